// Importing a staff list from a workbook of 1,000,000 rows × 3 columns (工号, 姓名, 部门) as
// Excel saves it: opening the workbook and reading its sheet, recognising the header,
// joining 姓名 and 部门 and finding the duplicates, and making cjk.txt's bytes. Reported
// with the peak memory the import took beside the workbook's unpacked size.
#include "importnames.h"
#include "listsource.h"
#include "namegenerator.h"
#include "workbookmaker.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double memoryMb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key)) + 1).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

void resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

void importWorkbook(benchmark::State &state)
{
    const QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("员工名单.xlsx"));
    const qint64 unpacked = writeStaffWorkbook(path, generateNames(state.range(0)));
    double growth = 0;
    for (auto _ : state) {
        const double before = memoryMb("VmRSS:");
        resetPeakMemory();
        const auto start = Clock::now();
        ReadFailure failure;
        OpenedList opened = openList(path, {}, failure);
        const auto header = recognisedHeaderRow(opened.table, 1, 2);
        const ImportedNames imported = importNames(opened.table, {1, 2, header ? *header + 1 : 0});
        const QByteArray bytes = importedListBytes(imported.names);
        const auto stop = Clock::now();
        growth = qMax(growth, memoryMb("VmHWM:") - before);
        if (!failure.ok() || imported.names.size() != state.range(0) || bytes.isEmpty())
            state.SkipWithError("the workbook did not import");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    state.counters["memory_mb"] = growth;
    state.counters["unpacked_mb"] = double(unpacked) / (1024 * 1024);
    state.counters["file_mb"] = double(QFile(path).size()) / (1024 * 1024);
}

} // namespace

BENCHMARK(importWorkbook)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
