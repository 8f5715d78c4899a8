#pragma once

#include "journal.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct JournalWinner {
    QString logLabel;
    QString name;
    bool typed = false;      // the operator's own text, not an entry of the pool
    QString check = {};      // of its line: what a void names it by
    JournalRecord line = {}; // as it stood, to be journalled again
};

// A winner the operator voided: which of the draw's winners (1 is its first, voided ones
// included; 0 when that winner's own line is lost), with its label and name as they stood.
struct JournalVoid {
    QString logLabel;
    QString name;
    qsizetype place = 0;
    QString winnerLine = {}; // the check of the winner's line it names, if it names one
    JournalRecord line = {};
};

// The draw that was running when the last run stopped without a clean end: its winners
// since its last start or reset, oldest first (the voided ones included), the voids in
// their order, the candidate list's SHA-256 then, and how many of its lines were torn or
// garbled and so left out. A journal that could not be opened says why in `readError`.
struct InterruptedDraw {
    QList<JournalWinner> winners;
    QList<JournalVoid> voids;
    QString listSha256;
    int skippedLines = 0;
    bool savedAsUtf16 = false; // an editor re-saved the journal as UTF-16; read all the same
    QString readError;

    // Nothing to offer: no winner, no void and no line that might have been one.
    bool isEmpty() const { return winners.isEmpty() && voids.isEmpty() && skippedLines == 0; }
    // Voids whose winner's own line is lost.
    qsizetype voidsWithoutWinnerLine() const;
};

// Reads back from the end only as far as the last run's start: a journal of many years
// costs no more than one of an evening. A run that set out to resume an interrupted draw
// but did not get all of its winners written leaves that draw the one to offer.
InterruptedDraw readInterruptedDraw(const QString &path);
InterruptedDraw findInterruptedDraw(const QByteArray &journal);
