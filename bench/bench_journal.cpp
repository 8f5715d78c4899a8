// The journal at start-up and at a resume: finding the interrupted draw at the end of a
// journal of a gigabyte (a year of events) with the memory it takes, and putting back 300
// winners into a pool of 1,000,000 names with their one synced journal write.
#include "drawengine.h"
#include "journal.h"
#include "journalline.h"
#include "journalreader.h"
#include "namegenerator.h"
#include "namelist.h"
#include "processmemory.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int ResumedWinners = 300;

QStringList winnerLine(qsizetype n, const QString &name)
{
    return {JournalEvent::Winner, QStringLiteral("3等奖:"), name,
            QStringLiteral("抽前=%1").arg(1'000'000 - n),
            QStringLiteral("抽后=%1").arg(999'999 - n)};
}

// A journal of about a gigabyte: evening after evening of whole runs, the last one
// interrupted after 300 winners.
QString writeLargeJournal(const QTemporaryDir &directory)
{
    const QString stamp = QStringLiteral("2026-12-07 20:00:00");
    const QStringList names = generateNames(1000);
    QByteArray evening = journalLineBytes(stamp, {JournalEvent::ProgramStart}) +
                         journalLineBytes(stamp, {JournalEvent::DrawStart,
                                                  QStringLiteral("SHA-256=") + QString(64, u'a')});
    for (qsizetype n = 0; n < 1000; ++n)
        evening += journalLineBytes(stamp, winnerLine(n, names[n]));
    evening += journalLineBytes(stamp, {JournalEvent::CleanEnd});
    QByteArray last = evening.left(evening.indexOf(
        journalLineBytes(stamp, winnerLine(ResumedWinners, names[ResumedWinners]))));

    const QString path = directory.filePath(JournalFileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    for (qint64 written = 0; written < (qint64(1) << 30); written += evening.size())
        file.write(evening);
    file.write(last);
    return path;
}

void findInLargeJournal(benchmark::State &state)
{
    const QTemporaryDir directory;
    const QString path = writeLargeJournal(directory);
    double growth = 0;
    for (auto _ : state) {
        const double before = processMemoryMb("VmRSS:");
        resetPeakMemory();
        const auto start = Clock::now();
        const InterruptedDraw draw = readInterruptedDraw(path);
        const auto stop = Clock::now();
        growth = qMax(growth, processMemoryMb("VmHWM:") - before);
        if (draw.winners.size() != ResumedWinners)
            state.SkipWithError("the interrupted draw was not found");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    state.counters["memory_mb"] = growth;
}

void resumeWinners(benchmark::State &state)
{
    const QStringList names = generateNames(state.range(0));
    QList<RestoredWinner> winners;
    QList<QStringList> block{
        {JournalEvent::Resumed, QStringLiteral("人数=%1").arg(ResumedWinners)}};
    for (qsizetype n = 0; n < ResumedWinners; ++n) {
        const QString &name = names[n * (names.size() / ResumedWinners)];
        winners.append({PrizeTier::Third, name});
        block.append(winnerLine(n, name));
    }
    const QTemporaryDir directory;
    Journal journal(directory.filePath(JournalFileName));
    class FixedRandom : public RandomSource {
        void reseed() override {}
        double next() override { return 0.5; }
    } random;
    for (auto _ : state) {
        DrawEngine engine(random);
        engine.applySettings(QStringLiteral("年会"), {ResumedWinners, 0, 0, 0});
        engine.state().candidates.fill(NameList(names));
        const auto start = Clock::now();
        engine.restoreWinners(winners);
        const bool written = journal.appendAll(block).ok();
        const auto stop = Clock::now();
        if (!written || engine.state().drawnCount[0] != ResumedWinners)
            state.SkipWithError("the winners were not put back");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}

} // namespace

BENCHMARK(findInLargeJournal)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(resumeWinners)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);
