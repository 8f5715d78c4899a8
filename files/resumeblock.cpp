#include "resumeblock.h"

#include "journal.h"
#include "winnervoid.h"

ResumePlan planResume(const InterruptedDraw &draw)
{
    ResumePlan plan;
    QList<qsizetype> kept; // each journal winner's index in plan.winners, or -1
    for (const JournalWinner &winner : draw.winners) {
        kept.append(-1);
        if (const std::optional<PrizeTier> tier = tierOfLogLabel(winner.logLabel)) {
            kept.last() = plan.winners.size();
            plan.winners.append({*tier, winner.name});
            plan.winnerLines.append(winner.fields);
        }
    }
    // The reader keeps only voids whose place names a winner of the draw.
    for (const JournalVoid &voided : draw.voids) {
        if (kept[voided.place - 1] >= 0) {
            plan.voids.append(kept[voided.place - 1]);
            plan.voidLines.append(voided.fields);
        }
    }
    return plan;
}

QList<QStringList> resumedBlock(const ResumePlan &plan, const std::vector<bool> &restored)
{
    QList<QStringList> block{{}};
    for (std::size_t i = 0; i < restored.size(); ++i)
        if (restored[i])
            block.append(plan.winnerLines[qsizetype(i)]);
    const qsizetype winners = block.size() - 1;
    for (qsizetype v = 0; v < plan.voids.size(); ++v)
        if (restored[std::size_t(plan.voids[v])])
            block.append(plan.voidLines[v]);
    const qsizetype voids = block.size() - 1 - winners;
    block.first() = {JournalEvent::Resumed, QStringLiteral("人数=%1").arg(winners)};
    if (voids > 0)
        block.first() << ResumedVoidsKey + QString::number(voids);
    return block;
}
