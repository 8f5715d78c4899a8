#pragma once

#include "drawengine.h"
#include "journalreader.h"

#include <QList>
#include <QStringList>

#include <vector>

// What a resume gives the engine: the interrupted draw's winners whose tier the program
// knows, the voids among them (indexes into `winners`, in the order voided), and the
// journal lines of both as they stood.
struct ResumePlan {
    QList<RestoredWinner> winners;
    QList<qsizetype> voids;
    QList<QStringList> winnerLines;
    QList<QStringList> voidLines;
};

ResumePlan planResume(const InterruptedDraw &draw);

// The lines a resume writes in one go: 续接 with the number of winners (and of voids, only
// when there are any, so a draw without a void writes what it always did), the winners
// the engine put back, then the voids of those.
QList<QStringList> resumedBlock(const ResumePlan &plan, const std::vector<bool> &restored);
