// Reading cjk.txt into the pool beside the floor (decoding the same bytes with the same
// codec and nothing else), the same names saved as UTF-8 without a byte-order mark (read
// both ways and judged), the duplicate scan the journal adds at every start, and
// writing the report with a 10,000-line log beside writing the same bytes plainly.
#include "benchfiles.h"
#include "candidatefile.h"
#include "candidates.h"
#include "drawengine.h"
#include "namegenerator.h"
#include "reportfile.h"
#include "textcodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>

#include <benchmark/benchmark.h>

#include <chrono>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

bool syncToDisk(QFile &file)
{
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

double seconds(Clock::time_point start, Clock::time_point stop)
{
    return std::chrono::duration<double>(stop - start).count();
}

void readPool(benchmark::State &state)
{
    const GeneratedProgramDirectory directory(state.range(0));
    const QString path = directory.filePath(QStringLiteral("cjk.txt"));
    for (auto _ : state) {
        const auto start = Clock::now();
        Candidates pool;
        pool.fill(readCandidatePool(path).names);
        const auto stop = Clock::now();
        benchmark::DoNotOptimize(pool.size());
        // The pool is freed outside the measured time: at an event it lives on.
        state.SetIterationTime(seconds(start, stop));
    }
}

void readPoolUtf8(benchmark::State &state)
{
    QTemporaryDir directory;
    QFile file(directory.filePath(QStringLiteral("cjk.txt")));
    const QByteArray bytes = utf8CandidateFileBytes(generateNames(state.range(0)));
    if (!directory.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size()) {
        state.SkipWithError("cannot write cjk.txt");
        return;
    }
    file.close();
    for (auto _ : state) {
        const auto start = Clock::now();
        Candidates pool;
        pool.fill(readCandidatePool(file.fileName()).names);
        const auto stop = Clock::now();
        benchmark::DoNotOptimize(pool.size());
        state.SetIterationTime(seconds(start, stop));
    }
}

void decodeFloor(benchmark::State &state)
{
    const GeneratedProgramDirectory directory(state.range(0));
    QFile file(directory.filePath(QStringLiteral("cjk.txt")));
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("cannot open cjk.txt");
        return;
    }
    const QByteArray bytes = file.readAll();
    QTextCodec *codec = QTextCodec::codecForName("GB18030");
    for (auto _ : state) {
        const auto start = Clock::now();
        const QString text = codec->toUnicode(bytes);
        const auto stop = Clock::now();
        benchmark::DoNotOptimize(text.constData());
        state.SetIterationTime(seconds(start, stop));
    }
}

void duplicateScan(benchmark::State &state)
{
    const GeneratedProgramDirectory directory(state.range(0));
    const CandidatePool pool = readCandidatePool(directory.filePath(QStringLiteral("cjk.txt")));
    qsizetype names = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const QList<DuplicateName> duplicates = findDuplicateNames(pool);
        const auto stop = Clock::now();
        names = duplicates.size();
        state.SetIterationTime(seconds(start, stop));
    }
    state.counters["duplicate_names"] = double(names);
}

// A log of `lines` winners, grown as the program grows it, and the status line after it.
struct Results {
    QString log;
    QString status;
};

Results evening(int lines)
{
    const QStringList names = generateNames(lines);
    Results results;
    std::array<qint32, 4> counts{};
    for (int i = 0; i < lines; ++i) {
        const PrizeTier tier = AllTiers[std::size_t(i % 4)];
        results.log.prepend(logLine(tier, names[i]));
        ++counts[tierIndex(tier)];
    }
    results.status = statusLine(counts);
    return results;
}

void writeReport(benchmark::State &state)
{
    const GeneratedProgramDirectory directory(0);
    const QString path = directory.filePath(QStringLiteral("获奖名单.txt"));
    const Results results = evening(int(state.range(0)));
    for (auto _ : state) {
        if (!writeReportFile(path, results.log, results.status).ok())
            state.SkipWithError("the report was not written");
    }
}

// The same text encoded and written in place, then synced to disk as the report is:
// what any report must cost, without the temporary file and the rename that keep the
// previous report whole.
void writeFloor(benchmark::State &state)
{
    const GeneratedProgramDirectory directory(0);
    const QString path = directory.filePath(QStringLiteral("plain.txt"));
    const Results results = evening(int(state.range(0)));
    for (auto _ : state) {
        QFile file(path);
        const QByteArray bytes = encodeText(reportText(results.log, results.status));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.flush() || !syncToDisk(file))
            state.SkipWithError("the plain file was not written");
    }
}

void sizes(benchmark::internal::Benchmark *b)
{
    b->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(readPool)->Apply(sizes);
BENCHMARK(readPoolUtf8)->Apply(sizes);
BENCHMARK(decodeFloor)->Apply(sizes);
BENCHMARK(duplicateScan)->Apply(sizes);
BENCHMARK(writeReport)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(writeFloor)->Arg(10'000)->Unit(benchmark::kMillisecond);
