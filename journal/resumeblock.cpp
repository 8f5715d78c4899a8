#include "resumeblock.h"

#include "journal.h"
#include "winnervoid.h"

#include <algorithm>

ResumePlan planResume(const InterruptedDraw &draw)
{
    ResumePlan plan;
    QList<qsizetype> kept; // each journal winner's index in plan.winners, or -1
    for (const JournalWinner &winner : draw.winners) {
        kept.append(-1);
        if (const std::optional<PrizeTier> tier = tierOfLogLabel(winner.logLabel)) {
            kept.last() = plan.winners.size();
            plan.winners.append(
                {*tier, winner.name, winner.typed, winner.check, winner.pressPosition});
            plan.winnerLines.append(winner.line);
            plan.winnerCodes.append(winner.code);
        }
    }
    for (const JournalVoid &voided : draw.voids) {
        JournalRecord line = voided.line;
        if (voided.place == 0) {
            const std::optional<PrizeTier> tier = tierOfLogLabel(voided.logLabel);
            if (!tier)
                continue;
            plan.voids.append(plan.winners.size());
            plan.winners.append({*tier, voided.name, false, voided.winnerLine});
            plan.winnerLines.append(JournalRecord());
            plan.winnerCodes.append(QString());
        } else if (kept[voided.place - 1] >= 0) {
            const qsizetype index = kept[voided.place - 1];
            plan.voids.append(index);
            // Whatever place it had, the block's winners may stand at other places.
            if (line.fields.size() > 3)
                line.fields[3] = VoidWinnerLineKey + plan.winners[index].journalLine;
        } else {
            continue;
        }
        plan.voidLines.append(line);
    }
    return plan;
}

QList<JournalRecord> resumedBlock(const ResumePlan &plan, const std::vector<bool> &restored)
{
    QList<JournalRecord> block{{}};
    QStringList codes;
    for (std::size_t i = 0; i < restored.size(); ++i) {
        if (restored[i] && !plan.winnerLines[qsizetype(i)].stamp.isEmpty()) {
            block.append(plan.winnerLines[qsizetype(i)]);
            codes.append(plan.winnerCodes.value(qsizetype(i)));
        }
    }
    const qsizetype winners = block.size() - 1;
    for (qsizetype v = 0; v < plan.voids.size(); ++v)
        if (restored[std::size_t(plan.voids[v])])
            block.append(plan.voidLines[v]);
    const qsizetype voids = block.size() - 1 - winners;
    QStringList resumed{JournalEvent::Resumed, QStringLiteral("人数=%1").arg(winners)};
    if (voids > 0)
        resumed << ResumedVoidsKey + QString::number(voids);
    if (std::any_of(codes.begin(), codes.end(),
                    [](const QString &code) { return !code.isEmpty(); }))
        resumed << ResumedCodesKey + codes.join(QLatin1Char(','));
    block.first() = journalRecordNow(resumed);
    return block;
}
