// The proof of a draw: prizedraw-verify's whole check of a draw on 1,000,000 names with
// 300 winners (its journal and list read from disk); its check of a journal of 500 MB
// (evening after evening on one list), with the memory it takes; and what the chain costs
// at a stop: a winner's line journalled with its chain value against the same bytes
// written and synced as the journal wrote them before it had one, and the chain value
// alone.
#include "candidatefile.h"
#include "drawengine.h"
#include "drawverifier.h"
#include "journal.h"
#include "journalfields.h"
#include "journalline.h"
#include "namegenerator.h"
#include "namelist.h"
#include "processmemory.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Winners = 300;
const QString Stamp = QStringLiteral("2026-12-07 20:00:00");

class StepRandom : public RandomSource {
public:
    void reseed() override {}
    double next() override
    {
        value_ += 0.618033988749895;
        value_ -= qint64(value_);
        return value_;
    }

private:
    double value_ = 0;
};

// A program folder after a draw of 300 third prizes from `count` names, journalled as
// the program journals it.
struct DrawnFolder {
    QTemporaryDir directory;
    QString journal = directory.filePath(JournalFileName);
    QString list = directory.filePath(QStringLiteral("cjk.txt"));
    bool ready = false;

    explicit DrawnFolder(qsizetype count)
    {
        QFile file(list);
        if (!file.open(QIODevice::WriteOnly) ||
            !file.write(candidateFileBytes(generateNames(count))))
            return;
        file.close();
        CandidatePool pool = readCandidatePool(list);
        Journal writer(journal);
        StepRandom random;
        DrawEngine engine(random);
        engine.applySettings(QStringLiteral("年会"), {Winners, 0, 0, 0});
        if (!writer
                 .appendAll({{JournalEvent::ProgramStart},
                             drawStartJournalFields(JournalEvent::DrawStart, QStringLiteral("年会"),
                                                    {Winners, 0, 0, 0}, list, pool)})
                 .ok())
            return;
        engine.state().candidates.fill(std::move(pool.names));
        for (int n = 0; n < Winners; ++n) {
            const qsizetype before = engine.state().candidates.size();
            engine.click(PrizeTier::Third);
            engine.tick();
            if (engine.click(PrizeTier::Third) != DrawOutcome::Recorded)
                return;
            const QString &name = engine.state().winners.last().name;
            if (!writer
                     .append(winnerJournalFields(PrizeTier::Third, name, before,
                                                 engine.state().candidates.size(), false))
                     .ok())
                return;
        }
        ready = writer.append({JournalEvent::CleanEnd}).ok();
    }
};

void verifyDrawBench(benchmark::State &state)
{
    const DrawnFolder folder(state.range(0));
    if (!folder.ready) {
        state.SkipWithError("the draw could not be written");
        return;
    }
    for (auto _ : state) {
        const auto start = Clock::now();
        const Verification verified = verifyDraw(folder.journal, folder.list);
        const auto stop = Clock::now();
        if (verified.exitStatus() != 0 || verified.draws.value(0).winners.size() != Winners)
            state.SkipWithError("the draw did not verify");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}

// A program folder whose journal holds evening after evening on one list of 1,000 names,
// each drawing 900 third prizes, up to `megabytes`: a journal of years, valid throughout.
struct YearsOfEvenings {
    QTemporaryDir directory;
    QString journal = directory.filePath(JournalFileName);
    QString list = directory.filePath(QStringLiteral("cjk.txt"));
    qint64 evenings = 0;
    bool ready = false;

    explicit YearsOfEvenings(qint64 megabytes)
    {
        constexpr int Drawn = 900;
        QFile listFile(list);
        if (!listFile.open(QIODevice::WriteOnly) ||
            !listFile.write(candidateFileBytes(generateNames(1000))))
            return;
        listFile.close();
        CandidatePool pool = readCandidatePool(list);
        // One evening's lines up to their checks; every evening chains them anew.
        std::vector<QByteArray> bodies;
        const auto add = [&bodies](const QStringList &fields) {
            bodies.push_back(journalLineBody(Stamp, fields));
        };
        add({JournalEvent::ProgramStart});
        add(drawStartJournalFields(JournalEvent::DrawStart, QStringLiteral("年会"),
                                   {Drawn, 0, 0, 0}, list, pool));
        StepRandom random;
        DrawEngine engine(random);
        engine.applySettings(QStringLiteral("年会"), {Drawn, 0, 0, 0});
        engine.state().candidates.fill(std::move(pool.names));
        for (int n = 0; n < Drawn; ++n) {
            const qsizetype before = engine.state().candidates.size();
            engine.click(PrizeTier::Third);
            engine.tick();
            if (engine.click(PrizeTier::Third) != DrawOutcome::Recorded)
                return;
            add(winnerJournalFields(PrizeTier::Third, engine.state().winners.last().name, before,
                                    engine.state().candidates.size(), false));
        }
        add({JournalEvent::CleanEnd});
        QFile file(journal);
        if (!file.open(QIODevice::WriteOnly))
            return;
        QByteArray chain;
        QByteArray evening;
        for (qint64 written = 0; written < megabytes << 20; written += evening.size()) {
            evening.clear();
            for (const QByteArray &body : bodies) {
                chain = journalChainValue(chain, body);
                evening += chainedJournalLine(body, chain);
            }
            if (file.write(evening) != evening.size())
                return;
            ++evenings;
        }
        ready = true;
    }
};

// The whole check of a journal of 500 MB, and the memory it takes beyond what the process
// held before: the journal is read as a stream.
void verifyLargeJournal(benchmark::State &state)
{
    const YearsOfEvenings folder(state.range(0));
    if (!folder.ready) {
        state.SkipWithError("the journal could not be written");
        return;
    }
    double growth = 0;
    for (auto _ : state) {
        returnFreedMemory();
        resetPeakMemory();
        const double before = processMemoryMb("VmRSS:");
        const auto start = Clock::now();
        const Verification verified = verifyDraw(folder.journal, folder.list);
        const auto stop = Clock::now();
        growth = qMax(growth, processMemoryMb("VmHWM:") - before);
        if (verified.exitStatus() != 0 || verified.drawCount != folder.evenings)
            state.SkipWithError("the journal did not verify");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    state.counters["memory_mb"] = growth;
    state.counters["journal_mb"] = double(QFileInfo(folder.journal).size()) / (1 << 20);
}

QStringList winnerLine(int n)
{
    return winnerJournalFields(PrizeTier::Third, QStringLiteral("王伟%1").arg(n), 1'000'000 - n,
                               999'999 - n, false);
}

// A stop's journal line as the program writes it: its chain value worked out, appended,
// synced.
void journalWinner(benchmark::State &state)
{
    const QTemporaryDir directory;
    Journal journal(directory.filePath(JournalFileName));
    int n = 0;
    for (auto _ : state) {
        if (!journal.append(winnerLine(n++)).ok())
            state.SkipWithError("the line was not written");
        journal.takeWritten();
    }
}

// The floor: the same line without a chain value, written as the journal wrote it before
// it had one: the record made, the file opened for appending, its first two bytes looked
// at (an editor's UTF-16) and its last two (a torn line), the line written and synced.
void journalWinnerFloor(benchmark::State &state)
{
    const QTemporaryDir directory;
    const QString path = directory.filePath(JournalFileName);
    int n = 0;
    for (auto _ : state) {
        const JournalRecord record = journalRecordNow(winnerLine(n++));
        const QByteArray bytes = journalLineBytes(record.stamp, record.fields);
        QFile file(path);
        bool ok = file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered);
        if (ok && file.size() >= 2 && file.seek(0) && startsAsUtf16(file.read(2)))
            ok = false;
        if (ok && file.size() > 0 && (!file.seek(file.size() - 2) || file.read(2) != "\r\n"))
            ok = false;
#ifdef Q_OS_WIN
        ok = ok && file.write(bytes) == bytes.size() && _commit(file.handle()) == 0;
#else
        ok = ok && file.write(bytes) == bytes.size() && ::fsync(file.handle()) == 0;
#endif
        if (!ok)
            state.SkipWithError("the line was not written");
    }
}

// The chain value alone, of a winner's line.
void chainValue(benchmark::State &state)
{
    const QByteArray body = journalLineBody(Stamp, winnerLine(1));
    QByteArray previous = journalChainValue({}, body);
    for (auto _ : state) {
        previous = journalChainValue(previous, body);
        benchmark::DoNotOptimize(previous);
    }
}

} // namespace

BENCHMARK(verifyDrawBench)
    ->Name("verifyDraw")
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(verifyLargeJournal)
    ->Name("verifyLargeJournal")
    ->Arg(500)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(journalWinner)->Unit(benchmark::kMillisecond);
BENCHMARK(journalWinnerFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(chainValue)->Unit(benchmark::kMicrosecond);
