#include "drawengine.h"

#include <QtNumeric>

#include <algorithm>
#include <utility>

std::array<QString, 4> DrawState::startCaptions()
{
    std::array<QString, 4> captions;
    for (PrizeTier tier : AllTiers)
        captions[tierIndex(tier)] = tierRow(tier).startCaption.toString();
    return captions;
}

DrawEngine::DrawEngine(RandomSource &random) : random_(random) {}

DrawOutcome DrawEngine::click(PrizeTier tier)
{
    const std::size_t i = tierIndex(tier);
    // The caption is the tier's state: anything but the start caption means it rolls.
    typedStop_.reset();
    state_.rollHalted = false;
    state_.lastVoid.reset();
    if (state_.captions[i] == tierRow(tier).startCaption) {
        if (!anyTierRolling()) {
            state_.rollShowsName = false;
            displayEdited_ = false;
        }
        // The names a batch showed are not this tier's draw, nor is one name a batch: the
        // next tick shows what this tier draws.
        if (!state_.rollNames.isEmpty() || batchFor(tier) > 1) {
            state_.rollShowsName = false;
            state_.rollNames.clear();
        }
        state_.timerInterval = TickIntervalMs;
        resetCaptions();
        state_.captions[i] = StopCaption.toString();
        return DrawOutcome::Started;
    }
    state_.captions[i] = tierRow(tier).startCaption.toString();
    state_.timerInterval = 0;
    const bool hasWinner = state_.rollShowsName && !state_.display.isEmpty();
    state_.rollShowsName = false;
    if (hasWinner && state_.rollNames.size() > 1)
        return recordBatch(tier);
    state_.rollNames.clear();
    if (!hasWinner) {
        const Candidates::Condition pool = state_.candidates.condition();
        const bool noOneLeft =
            pool == Candidates::Condition::Empty || pool == Candidates::Condition::NeverFilled;
        return noOneLeft ? DrawOutcome::NoOneLeft : DrawOutcome::NoWinner;
    }
    // Only what the roll itself showed wins unasked: a name put there by hand was not
    // drawn, even when it is one of the list.
    if (std::exchange(displayEdited_, false)) {
        typedStop_ = tier;
        typedStopListed_ = state_.candidates.contains(state_.display);
        return typedStopListed_ ? DrawOutcome::Edited : DrawOutcome::Unlisted;
    }
    return record(tier, state_.display) ? DrawOutcome::Recorded : DrawOutcome::CounterFull;
}

DrawOutcome DrawEngine::recordTyped()
{
    const std::optional<PrizeTier> tier = std::exchange(typedStop_, std::nullopt);
    if (!tier)
        return DrawOutcome::NoWinner;
    return record(*tier, state_.display, true, typedStopListed_) ? DrawOutcome::Recorded
                                                                 : DrawOutcome::CounterFull;
}

void DrawEngine::editDisplay(const QString &text)
{
    // A batch's display is a list of the names drawn, not a name: nothing typed into it
    // counts (the window keeps it read-only meanwhile).
    if (batchRolls())
        return;
    state_.display = text;
    displayEdited_ = true;
    if (anyTierRolling())
        state_.rollShowsName = true;
}

DrawOutcome DrawEngine::shortcut()
{
    const std::optional<PrizeTier> tier = shortcutTier();
    if (!tier)
        return DrawOutcome::AllTiersDone;
    return click(*tier);
}

std::optional<PrizeTier> DrawEngine::shortcutTier() const
{
    for (PrizeTier tier : AllTiers) {
        if (state_.enabled[tierIndex(tier)])
            return tier;
    }
    return std::nullopt;
}

TickOutcome DrawEngine::tick()
{
    // While the notice is open the timer still runs; ignoring its ticks keeps one
    // notice from turning into a stack of them.
    if (state_.timerInterval == 0 || singleCandidateNoticeOpen_)
        return TickOutcome::Idle;
    random_.reseed();
    const Candidates &pool = state_.candidates;
    switch (pool.condition()) {
    case Candidates::Condition::TwoOrMore:
        if (const std::optional<PrizeTier> tier = rollingTier(); tier && batchFor(*tier) > 1)
            return tickBatch(*tier);
        state_.rollNames.clear();
        state_.display = pool.at(pickIndex(random_.next(), pool.size()));
        state_.rollShowsName = true;
        displayEdited_ = false;
        return TickOutcome::Shown;
    case Candidates::Condition::One:
        singleCandidateNoticeOpen_ = true;
        state_.rollHalted = true;
        return TickOutcome::SingleCandidate;
    case Candidates::Condition::Empty:
    case Candidates::Condition::NeverFilled:
        break;
    }
    return TickOutcome::EmptyPool;
}

void DrawEngine::singleCandidateNoticeClosed()
{
    // A close that arrives after a reset must not stop a draw started since.
    if (!singleCandidateNoticeOpen_)
        return;
    singleCandidateNoticeOpen_ = false;
    state_.timerInterval = 0;
}

void DrawEngine::resetCaptions()
{
    state_.captions = DrawState::startCaptions();
}

void DrawEngine::clearForReset()
{
    state_.timerInterval = 0;
    singleCandidateNoticeOpen_ = false;
    state_.rollShowsName = false;
    state_.rollHalted = false;
    state_.rollNames.clear();
    displayEdited_ = false;
    typedStop_.reset();
    state_.enabled.fill(true);
    clearTexts();
    state_.drawnCount.fill(0);
}

void DrawEngine::clearTexts()
{
    state_.display.clear();
    state_.log.clear();
    state_.status.clear();
    state_.winners.clear();
    state_.voidedLines.clear();
    state_.lastVoid.reset();
}

void DrawEngine::applySettings(const QString &title, const std::array<qint32, 4> &quotas)
{
    state_.eventTitle = title;
    state_.quota = quotas;
}

bool DrawEngine::record(PrizeTier tier, const QString &winner, bool typed, bool listed)
{
    const qsizetype before = state_.candidates.size();
    if (!count(tier, winner, typed, listed))
        return false;
    state_.winners.last().press = ++presses_;
    state_.candidates.removeContaining(winner);
    state_.stopPools = {before, state_.candidates.size()};
    state_.status = statusLine(state_.drawnCount);
    applyQuotaTests();
    return true;
}

bool DrawEngine::count(PrizeTier tier, const QString &winner, bool typed, bool listed)
{
    qint32 &counter = state_.drawnCount[tierIndex(tier)];
    qint32 increased = 0;
    // A full counter refuses the winner outright rather than log a name it cannot count.
    if (qAddOverflow(counter, qint32(1), &increased))
        return false;
    state_.log.prepend(logLine(tier, winner));
    state_.winners.append({tier, winner, false, typed, {}, listed});
    counter = increased;
    return true;
}

VoidOutcome DrawEngine::checkVoid(qsizetype line) const
{
    if (anyTierRolling())
        return VoidOutcome::Rolling;
    return placeOnLine(line) ? VoidOutcome::Voided : VoidOutcome::EmptyLine;
}

std::optional<qsizetype> DrawEngine::placeOnLine(qsizetype line) const
{
    if (line < 0)
        return std::nullopt;
    for (qsizetype place = state_.winners.size() - 1; place >= 0; --place) {
        if (!state_.winners[place].voided && line-- == 0)
            return place;
    }
    return std::nullopt;
}

VoidOutcome DrawEngine::voidPlace(qsizetype line)
{
    const VoidOutcome outcome = checkVoid(line);
    if (outcome == VoidOutcome::Voided)
        voidWinner(*placeOnLine(line));
    return outcome;
}

void DrawEngine::voidWinner(qsizetype place)
{
    // The log holds the winners not voided, newest first: the line starts after those
    // drawn later. Measured from the winners, not found in the text, so no name can
    // mislead it.
    qsizetype start = 0;
    for (qsizetype later = state_.winners.size() - 1; later > place; --later) {
        const DrawnWinner &winner = state_.winners[later];
        if (!winner.voided)
            start += tierRow(winner.tier).logLabel.size() + winner.name.size() + 2;
    }
    DrawnWinner &winner = state_.winners[place];
    const QString line = logLine(winner.tier, winner.name);
    state_.log.remove(start, line.size());
    state_.voidedLines.append(line);
    winner.voided = true;
    state_.lastVoid = place;
    // The display shows the last stop's winner: voided, it no longer stands there as if
    // current.
    if (place == state_.winners.size() - 1 && state_.display == winner.name)
        state_.display.clear();
    else
        dropFromBatchDisplay(place);

    const std::size_t i = tierIndex(winner.tier);
    --state_.drawnCount[i]; // the winner was counted, so the counter is at least 1
    state_.status = statusLine(state_.drawnCount);
    // The one place besides a reset that enables a tier, and only the voided one.
    if (state_.drawnCount[i] < state_.quota[i])
        state_.enabled[i] = true;
}

std::vector<bool> DrawEngine::restoreWinners(const QList<RestoredWinner> &winners,
                                             const QList<qsizetype> &voids)
{
    // Removal from the pool depends on each name alone, so removing all the names at the
    // end takes out what removing them one stop after another would have; the quota tests
    // only ever disable, so testing once at the end disables what testing each time would.
    // A void only lowers a counter and enables its own tier when below the quota, so
    // voiding after all the stops leaves the tiers as voiding between them did.
    std::vector<bool> restored;
    std::vector<qsizetype> places; // where each restored winner stands in state().winners
    QStringList names;
    const RestoredWinner *last = nullptr; // the winner restored before this one
    for (const RestoredWinner &winner : winners) {
        places.push_back(state_.winners.size());
        // The journal says only that it was typed; the pool as it stood says whether the
        // text was one of its entries.
        const bool listed = winner.typed && state_.candidates.contains(winner.name);
        restored.push_back(count(winner.tier, winner.name, winner.typed, listed));
        if (restored.back()) {
            names << winner.name;
            state_.winners.last().journalLine = winner.journalLine;
            // A line of the press may be lost: the places only ever rise within one.
            const bool samePress = last && winner.pressPosition > 1 && last->pressPosition > 0 &&
                                   last->pressPosition < winner.pressPosition &&
                                   last->tier == winner.tier;
            state_.winners.last().press = samePress ? presses_ : ++presses_;
            last = &winner;
        }
    }
    if (names.isEmpty())
        return restored;
    state_.candidates.removeContainingAny(names);
    state_.status = statusLine(state_.drawnCount);
    applyQuotaTests();
    for (qsizetype index : voids) {
        if (index >= 0 && std::size_t(index) < restored.size() && restored[std::size_t(index)] &&
            !state_.winners[places[std::size_t(index)]].voided)
            voidWinner(places[std::size_t(index)]);
    }
    // A resume shows where the draw stands, not the void it put back last.
    state_.lastVoid.reset();
    return restored;
}

void DrawEngine::applyQuotaTests()
{
    // Only ever disables: a tier comes back through a reset or a new window alone.
    for (PrizeTier tier : AllTiers) {
        const std::size_t i = tierIndex(tier);
        if (state_.drawnCount[i] >= state_.quota[i])
            state_.enabled[i] = false;
    }
}

QString logLine(PrizeTier tier, const QString &winner)
{
    QString line = tierRow(tier).logLabel.toString();
    line += winner;
    line += u"\r\n";
    return line;
}

QString statusLine(const std::array<qint32, 4> &drawnCount)
{
    QString line(10, u' ');
    line += u"已抽取：";
    for (PrizeTier tier : AllTiers) {
        if (tier != AllTiers.front())
            line += u'，';
        line += tierRow(tier).statusLabel;
        line += QString::number(drawnCount[tierIndex(tier)]);
        line += u'名';
    }
    return line;
}
