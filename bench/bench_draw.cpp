// Recording a winner (log line, pool removal, status line, quota tests) beside the floor,
// one case-insensitive substring scan over the same pool; one tick's pick; and a press of
// several winners.
#include "drawengine.h"
#include "namegenerator.h"
#include "namelist.h"

#include <QStringMatcher>

#include <benchmark/benchmark.h>

#include <chrono>
#include <limits>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int LogLines = 10'000;

// A three-character Chinese name from the middle of the pool: a typical winner.
QString typicalWinner(const QStringList &names)
{
    for (qsizetype i = names.size() / 2; i < names.size(); ++i) {
        if (names[i].size() == 3 && names[i].at(0).unicode() >= 0x4E00)
            return names[i];
    }
    return names.first();
}

// An engine whose log already holds a long evening's winners, grown the way the program
// grows it: one line at a time in front. The pool is filled afterwards, per measurement.
void prepareEngine(DrawEngine &engine, const QStringList &names)
{
    constexpr qint32 Unlimited = std::numeric_limits<qint32>::max();
    engine.applySettings(QStringLiteral("年会"), {Unlimited, Unlimited, Unlimited, Unlimited});
    for (int i = 0; i < LogLines; ++i) {
        engine.click(PrizeTier::Third);
        engine.editDisplay(names.at(i % names.size()));
        engine.click(PrizeTier::Third);
        engine.recordTyped();
    }
}

class FixedRandom : public RandomSource {
public:
    void reseed() override {}
    double next() override { return 0.5; }
};

void recordWinner(benchmark::State &state)
{
    const QStringList names = generateNames(state.range(0));
    const QString winner = typicalWinner(names);
    FixedRandom random;
    DrawEngine engine(random);
    prepareEngine(engine, names);
    for (auto _ : state) {
        // A pool of its own each time, as the program's is: nothing shared to copy first.
        engine.state().candidates.fill(NameList(names));
        engine.click(PrizeTier::Third);
        engine.editDisplay(winner);

        // A name put into the display is confirmed: the stop and the record together.
        const auto start = Clock::now();
        engine.click(PrizeTier::Third);
        const DrawOutcome outcome = engine.recordTyped();
        const auto stop = Clock::now();
        if (outcome != DrawOutcome::Recorded)
            state.SkipWithError("the stop recorded nothing");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    state.counters["pool_after"] = double(engine.state().candidates.size());
}

void scanFloor(benchmark::State &state)
{
    const QStringList names = generateNames(state.range(0));
    const NameList pool(names);
    const QString winner = typicalWinner(names);
    for (auto _ : state) {
        const auto start = Clock::now();
        const QStringMatcher matcher(winner, Qt::CaseInsensitive);
        qsizetype matches = 0;
        for (qsizetype i = 0; i < pool.size(); ++i)
            matches += matcher.indexIn(pool.at(i)) >= 0;
        const auto stop = Clock::now();
        benchmark::DoNotOptimize(matches);
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}

void tick(benchmark::State &state)
{
    const auto random = makeClockSeededRandom();
    DrawEngine engine(*random);
    engine.state().candidates.fill(generateNames(state.range(0)));
    engine.click(PrizeTier::Third);
    for (auto _ : state) {
        if (engine.tick() != TickOutcome::Shown)
            state.SkipWithError("the tick showed no name");
    }
}

// A press of several winners from a million names: the stop records them all (log lines,
// the pool's removal in turn, the status line, the quota tests).
void recordBatch(benchmark::State &state)
{
    static const QStringList names = generateNames(1'000'000);
    const auto random = makeClockSeededRandom();
    DrawEngine engine(*random);
    constexpr qint32 Unlimited = std::numeric_limits<qint32>::max();
    engine.applySettings(QStringLiteral("年会"), {Unlimited, Unlimited, Unlimited, Unlimited});
    engine.setBatchSizes({int(state.range(0)), 1, 1, 1});
    for (auto _ : state) {
        engine.state().candidates.fill(NameList(names));
        engine.click(PrizeTier::Third);
        engine.tick();
        const auto start = Clock::now();
        const DrawOutcome outcome = engine.click(PrizeTier::Third);
        const auto stop = Clock::now();
        if (outcome != DrawOutcome::Recorded)
            state.SkipWithError("the stop recorded nothing");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}

void sizes(benchmark::internal::Benchmark *b)
{
    b->Arg(1'000)->Arg(100'000)->Arg(1'000'000);
}

} // namespace

BENCHMARK(recordWinner)->Apply(sizes)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(scanFloor)->Apply(sizes)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(tick)->Apply(sizes)->Unit(benchmark::kNanosecond);
BENCHMARK(recordBatch)
    ->Arg(1)
    ->Arg(5)
    ->Arg(10)
    ->Arg(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
