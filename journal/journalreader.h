#pragma once

#include "journal.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct JournalWinner {
    QString logLabel;
    QString name;
    bool typed = false;          // the operator's own text, not an entry of the pool
    QString check = {};          // of its line: what a void names it by
    JournalRecord line = {};     // as it stood, to be journalled again
    QString code = {};           // the short chain code of its line (drawproof.h), if chained
    qsizetype pressPosition = 0; // among the winners of a press of several, from 1
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

// Reads `size` bytes at `offset`; the journal's bytes come from a file or from memory.
using JournalReadAt = std::function<QByteArray(qint64 offset, qint64 size)>;
// The chain value the next line written to a journal of `size` bytes chains from: that of
// the newest whole line that carries one, read back from the end. Empty when there is none,
// or when the newest run was written by an earlier version (its lines carry none): the
// chain then starts afresh.
QByteArray chainHeadOf(qint64 size, JournalReadAt readAt);

// Whether the bytes after the journal's last CR LF are a whole chained line (that lacks
// only its CR LF).
bool endsInChainedLine(qint64 size, JournalReadAt readAt);

// The short chain codes a resume's line (续接) carries, one for each winner line of its
// block: the codes those winners were drawn with.
QStringList resumedCodes(const QStringList &resumedLine);
