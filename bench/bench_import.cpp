// Importing a staff list of 1,000,000 rows × 3 columns (工号, 姓名, 部门): from a workbook
// as the tests' maker writes it, from the same list saved by LibreOffice (when `soffice`
// is installed: the workbook is made once and kept in the cache folder), from a CSV, and
// a sheet of 20 names whose cells are formatted down to the sheet's last row. Each is
// opened, its sheet read, the choice made (header, notes, the bracket column), the names
// taken and cjk.txt's bytes made; reported with the peak memory the import took, and that
// of reading the sheet alone, beside the file's size and its unpacked size.
#include "importnames.h"
#include "listsource.h"
#include "namegenerator.h"
#include "processmemory.h"
#include "workbookmaker.h"
#include "ziparchive.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

#include <chrono>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr qsizetype Rows = 1'000'000;

// What earlier runs freed goes back to the system first: the growth then counts every page
// the import takes, not only those it found no free memory for. glibc's threshold for
// blocks of their own is held at its start value: it rises after a large block is freed,
// and then blocks of up to 32 MB come from the heap, whose freed pages stay counted. A
// large block goes back when it is freed on Windows, the program's first system, and so it
// does here.
void returnFreedMemoryAsWindowsDoes()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    returnFreedMemory();
}

// Where generated files are kept between runs: LibreOffice takes minutes for a million rows.
QString cacheFolder()
{
    const QString folder = qEnvironmentVariable(
        "PRIZEDRAW_BENCH_CACHE", QDir::temp().filePath(QStringLiteral("prizedraw-bench")));
    QDir().mkpath(folder);
    return folder;
}

QString staffCsv()
{
    const QString path = QDir(cacheFolder()).filePath(QStringLiteral("staff-1000000.csv"));
    if (QFile::exists(path))
        return path;
    const QStringList names = generateNames(Rows);
    QString text = QStringLiteral("工号,姓名,部门\r\n");
    for (qsizetype i = 0; i < names.size(); ++i)
        text += QStringLiteral("%1,%2,%3\r\n").arg(100001 + i).arg(names[i], staffDepartment(i));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        return {};
    return path;
}

// The CSV saved as .xlsx by LibreOffice Calc, headless; empty when it is not installed.
QString libreOfficeWorkbook()
{
    const QString folder = cacheFolder();
    const QString path = QDir(folder).filePath(QStringLiteral("staff-1000000.xlsx"));
    if (QFile::exists(path))
        return path;
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    const QString csv = staffCsv();
    if (soffice.isEmpty() || csv.isEmpty())
        return {};
    QProcess convert;
    convert.start(
        soffice,
        {QStringLiteral("-env:UserInstallation=file://") + folder + QStringLiteral("/profile"),
         QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:44,34,76,1"),
         QStringLiteral("--convert-to"), QStringLiteral("xlsx"), QStringLiteral("--outdir"), folder,
         csv});
    convert.waitForFinished(-1);
    return QFile::exists(path) ? path : QString();
}

qint64 unpackedSize(const QString &path)
{
    ZipArchive zip(path);
    qint64 size = 0;
    if (zip.open()) {
        for (const ZipArchive::Entry &entry : zip.entries())
            size += entry.uncompressedSize;
    }
    return size;
}

// Twenty names under a header, and every cell of the three columns formatted (a border, a
// font) down to row 1,048,576, as a sheet is when its columns were formatted by rows.
QString formattedSheet()
{
    const QString path = QDir(cacheFolder()).filePath(QStringLiteral("formatted-20.xlsx"));
    if (QFile::exists(path))
        return path;
    const QStringList names = generateNames(20);
    QByteArray strings = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                         "main\"><si><t>姓名</t></si>";
    for (const QString &name : names)
        strings += "<si><t>" + xmlEscaped(name).toUtf8() + "</t></si>";
    strings += "</sst>";
    QByteArray sheet = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                       "main\"><sheetData>";
    for (int row = 1; row <= 1'048'576; ++row) {
        const QByteArray r = QByteArray::number(row);
        sheet += "<row r=\"" + r + "\" spans=\"1:3\" s=\"1\" customFormat=\"1\">";
        if (row <= 21)
            sheet += "<c r=\"A" + r + "\" s=\"1\" t=\"s\"><v>" + QByteArray::number(row - 1) +
                     "</v></c>";
        else
            sheet += "<c r=\"A" + r + "\" s=\"1\"/>";
        sheet += "<c r=\"B" + r + "\" s=\"1\"/><c r=\"C" + r + "\" s=\"1\"/></row>";
    }
    sheet += "</sheetData></worksheet>";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(workbookAround(sheet, strings)) < 0)
        return {};
    return path;
}

void importFile(benchmark::State &state, const QString &path, qsizetype names, qint64 unpacked)
{
    if (path.isEmpty()) {
        state.SkipWithError("the file could not be made (is LibreOffice installed?)");
        return;
    }
    double growth = 0;
    double reading = 0;
    for (auto _ : state) {
        returnFreedMemoryAsWindowsDoes();
        const double before = processMemoryMb("VmRSS:");
        resetPeakMemory();
        const auto start = Clock::now();
        ReadFailure failure;
        OpenedList opened = openList(path, {}, failure);
        reading = qMax(reading, processMemoryMb("VmHWM:") - before);
        const ImportedNames imported = importNames(opened.table, suggestColumns(opened.table));
        const QByteArray bytes = importedListBytes(imported.names);
        const auto stop = Clock::now();
        growth = qMax(growth, processMemoryMb("VmHWM:") - before);
        if (!failure.ok() || imported.names.size() != names || bytes.isEmpty())
            state.SkipWithError("the file did not import");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    state.counters["memory_mb"] = growth;
    state.counters["read_mb"] = reading;
    state.counters["unpacked_mb"] = double(unpacked) / (1024 * 1024);
    state.counters["file_mb"] = double(QFile(path).size()) / (1024 * 1024);
}

// Kept in the cache folder like the other files: a million names generated in this
// process would leave its heap in pieces that the imports measured after them then fill.
void importWorkbook(benchmark::State &state)
{
    const QString path =
        QDir(cacheFolder()).filePath(QStringLiteral("员工名单-%1.xlsx").arg(state.range(0)));
    if (!QFile::exists(path) && writeStaffWorkbook(path, generateNames(state.range(0))) <= 0) {
        QFile::remove(path);
        state.SkipWithError("the workbook could not be written");
        return;
    }
    importFile(state, path, state.range(0), unpackedSize(path));
}

void importLibreOfficeWorkbook(benchmark::State &state)
{
    const QString path = libreOfficeWorkbook();
    importFile(state, path, Rows, path.isEmpty() ? 0 : unpackedSize(path));
}

void importCsv(benchmark::State &state)
{
    const QString path = staffCsv();
    importFile(state, path, Rows, QFile(path).size());
}

void importFormattedSheet(benchmark::State &state)
{
    const QString path = formattedSheet();
    importFile(state, path, 20, path.isEmpty() ? 0 : unpackedSize(path));
}

} // namespace

BENCHMARK(importWorkbook)->Arg(Rows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(importLibreOfficeWorkbook)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(importCsv)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(importFormattedSheet)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
