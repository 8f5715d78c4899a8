// The engine's rolls of several names at once: what a tick shows and what the stop records.
#include "drawengine.h"

#include "batchpick.h"

#include <algorithm>
#include <utility>

namespace {

// Between the names of a batch in the display.
const QString BatchSeparator = QStringLiteral("、");

} // namespace

int DrawEngine::batchFor(PrizeTier tier) const
{
    const std::size_t i = tierIndex(tier);
    const qint64 wanted = state_.batchSize[i];
    const qint64 placesLeft = qint64(state_.quota[i]) - state_.drawnCount[i];
    // The last name of the pool is never drawn: with one left the draw is decided, and a
    // stop there draws nobody.
    const qint64 names = state_.candidates.size() - 1;
    // A tier without places left (a quota of 0 is switched off only by a stop) draws as a
    // single stop did.
    return int(std::max<qint64>(1, std::min({wanted, placesLeft, names})));
}

bool DrawEngine::batchRolls() const
{
    const std::optional<PrizeTier> tier = rollingTier();
    return tier && batchFor(*tier) > 1;
}

std::optional<PrizeTier> DrawEngine::rollingTier() const
{
    for (PrizeTier tier : AllTiers)
        if (state_.captions[tierIndex(tier)] != tierRow(tier).startCaption)
            return tier;
    return std::nullopt;
}

TickOutcome DrawEngine::tickBatch(PrizeTier tier)
{
    state_.rollNames = pickBatch(state_.candidates, batchFor(tier), random_);
    state_.display = state_.rollNames.join(BatchSeparator);
    state_.rollShowsName = !state_.rollNames.isEmpty();
    displayEdited_ = false;
    return TickOutcome::Shown;
}

DrawOutcome DrawEngine::recordBatch(PrizeTier tier)
{
    // As the stops one after another would have: each name's log line in front, counted,
    // then the pool, the status line and the quota tests once for all of them.
    const QStringList names = std::exchange(state_.rollNames, {});
    const qsizetype press = ++presses_;
    QStringList recorded;
    for (const QString &name : names) {
        if (!count(tier, name))
            break;
        state_.winners.last().press = press;
        recorded << name;
    }
    if (recorded.isEmpty())
        return DrawOutcome::CounterFull;
    state_.stopPools = state_.candidates.removeInTurn(recorded);
    state_.status = statusLine(state_.drawnCount);
    applyQuotaTests();
    return DrawOutcome::Recorded;
}

void DrawEngine::dropFromBatchDisplay(qsizetype place)
{
    // The display lists the last press's winners: a voided one of them leaves it, so it
    // never stands there as if current.
    const qsizetype press = state_.winners[place].press;
    if (state_.winners.isEmpty() || state_.winners.last().press != press)
        return;
    QStringList standing;
    qsizetype inPress = 0;
    for (const DrawnWinner &winner : state_.winners) {
        if (winner.press != press)
            continue;
        ++inPress;
        if (!winner.voided)
            standing << winner.name;
    }
    if (inPress > 1 && !anyTierRolling())
        state_.display = standing.join(BatchSeparator);
}
