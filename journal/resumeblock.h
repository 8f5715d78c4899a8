#pragma once

#include "drawengine.h"
#include "journalreader.h"

#include <QList>
#include <QStringList>

#include <vector>

// What a resume gives the engine: the interrupted draw's winners whose tier the program
// knows, the voids among them (indexes into `winners`, in the order voided), and the
// journal lines of both as they stood. A void whose winner's line is lost brings that
// winner from the void line alone, with no line of its own (an empty record), so the
// engine counts and voids it: the place stays open and the name out of the pool.
struct ResumePlan {
    QList<RestoredWinner> winners;
    QList<qsizetype> voids;
    QList<JournalRecord> winnerLines;
    QList<JournalRecord> voidLines;
    QStringList winnerCodes; // the short chain code each winner was drawn with, if known
};

ResumePlan planResume(const InterruptedDraw &draw);

// The lines a resume writes in one go: 续接 with the number of winners (and of voids, only
// when there are any, so a draw without a void writes what it always did; and the chain
// codes the winners were drawn with, when known), the winners the engine put back, then
// the voids of those, each as it stood. A void that named its winner by place names it by
// its line from then on.
QList<JournalRecord> resumedBlock(const ResumePlan &plan, const std::vector<bool> &restored);
