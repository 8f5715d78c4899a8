#pragma once

#include "fileresult.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct JournalWinner {
    QString logLabel;
    QString name;
    // The line's fields after its timestamp, to be journalled again as they stood.
    QStringList fields;
};

// A winner the operator voided: which place of the draw (1 is its first winner, voided
// ones included), with its label and name as they stood.
struct JournalVoid {
    QString logLabel;
    QString name;
    qsizetype place = 0;
    QStringList fields;
};

// The draw that was running when the last run stopped without a clean end: its winners
// since its last start or reset, oldest first (the voided ones included), the voids in
// their order, the candidate list's SHA-256 then, and how many lines on the way were torn
// or garbled and so left out.
struct InterruptedDraw {
    QList<JournalWinner> winners;
    QList<JournalVoid> voids;
    QString listSha256;
    int skippedLines = 0;
};

// Reads back from the end only as far as the last run's start: a journal of many years
// costs no more than one of an evening. A run that set out to resume an interrupted draw
// but did not get all of its winners written leaves that draw the one to offer.
InterruptedDraw readInterruptedDraw(const QString &path);
InterruptedDraw findInterruptedDraw(const QByteArray &journal);
