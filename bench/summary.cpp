// Prints every figure beside its floor or target, as a Markdown table:
//   bench_summary FILES.json DRAW.json PROCESS.txt [IMPORT.json]
// The JSON files are Google Benchmark's output (medians of repeated runs); PROCESS.txt
// holds "key value" lines from processes.sh.
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

using Figures = QHash<QString, double>;

double toMilliseconds(double value, const QString &unit)
{
    if (unit == u"ns")
        return value / 1e6;
    if (unit == u"us")
        return value / 1e3;
    if (unit == u"s")
        return value * 1e3;
    return value;
}

// Benchmark name (without the "/manual_time" suffix) to its median real time in ms.
bool readBenchmarks(const QString &path, Figures &figures)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonArray runs = QJsonDocument::fromJson(file.readAll())["benchmarks"].toArray();
    for (const QJsonValue &run : runs) {
        const QJsonObject object = run.toObject();
        const QString aggregate = object["aggregate_name"].toString();
        if (!aggregate.isEmpty() && aggregate != u"median")
            continue;
        QString name = object["run_name"].toString();
        name.remove(QStringLiteral("/manual_time"));
        figures[name] =
            toMilliseconds(object["real_time"].toDouble(), object["time_unit"].toString());
        for (const char *counter : {"memory_mb", "unpacked_mb"}) {
            if (object.contains(QLatin1String(counter)))
                figures[name + u'/' + QLatin1String(counter)] =
                    object[QLatin1String(counter)].toDouble();
        }
    }
    return true;
}

bool readProcessFigures(const QString &path, Figures &figures)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine()).simplified().split(u' ');
        if (fields.size() == 2)
            figures[fields[0]] = fields[1].toDouble();
    }
    return true;
}

QString machine()
{
    QString model;
    qint64 memoryKb = 0;
    QFile cpu(QStringLiteral("/proc/cpuinfo"));
    if (cpu.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const auto match = QRegularExpression(QStringLiteral("model name\\s*:\\s*(.*)"))
                               .match(QString::fromUtf8(cpu.readAll()));
        model = match.captured(1).trimmed();
    }
    QFile memory(QStringLiteral("/proc/meminfo"));
    if (memory.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const auto match = QRegularExpression(QStringLiteral("MemTotal:\\s*(\\d+)"))
                               .match(QString::fromUtf8(memory.readAll()));
        memoryKb = match.captured(1).toLongLong();
    }
    return QStringLiteral("%1, %2 cores, %3 GB memory, %4")
        .arg(model.isEmpty() ? QSysInfo::currentCpuArchitecture() : model)
        .arg(QThread::idealThreadCount())
        .arg(double(memoryKb) / (1024 * 1024), 0, 'f', 1)
        .arg(QSysInfo::prettyProductName());
}

class Table {
public:
    explicit Table(const Figures &figures) : figures_(figures) {}

    // A figure against its floor, the ratio against the highest allowed.
    void ratio(const QString &what, const QString &measured, const QString &floor,
               std::optional<double> limit)
    {
        const auto m = value(measured);
        const auto f = value(floor);
        const std::optional<double> r = m && f && *f > 0 ? std::optional(*m / *f) : std::nullopt;
        row(what, time(m), time(f), r ? QStringLiteral("%1×").arg(*r, 0, 'f', 2) : QString(),
            limit ? QStringLiteral("≤ %1×").arg(*limit) : QStringLiteral("—"),
            limit ? verdict(r && *r <= *limit) : QString());
    }

    // A share of one core against another's, at most `limit` times it.
    void cpuRatio(const QString &what, const QString &measured, const QString &floor, double limit)
    {
        const auto m = value(measured);
        const auto f = value(floor);
        const std::optional<double> r = m && f && *f > 0 ? std::optional(*m / *f) : std::nullopt;
        const auto percent = [](std::optional<double> v) {
            return v ? QStringLiteral("%1 %").arg(*v, 0, 'f', 2) : QString();
        };
        row(what, percent(m), percent(f), r ? QStringLiteral("%1×").arg(*r, 0, 'f', 2) : QString(),
            QStringLiteral("≤ %1×").arg(limit), verdict(r && *r <= limit));
    }

    // A share of one core against another's, at most `limit` percentage points above it.
    void cpuExtra(const QString &what, const QString &measured, const QString &floor, double limit)
    {
        const auto m = value(measured);
        const auto f = value(floor);
        const std::optional<double> d = m && f ? std::optional(*m - *f) : std::nullopt;
        const auto percent = [](std::optional<double> v) {
            return v ? QStringLiteral("%1 %").arg(*v, 0, 'f', 2) : QStringLiteral("missing");
        };
        row(what, percent(m), percent(f),
            d ? QStringLiteral("%1%2 points").arg(*d >= 0 ? "+" : "").arg(*d, 0, 'f', 2)
              : QString(),
            QStringLiteral("≤ +%1 points").arg(limit), verdict(d && *d <= limit));
    }

    // A figure as a share of another, in per cent, against the largest share allowed.
    void share(const QString &what, const QString &measured, const QString &whole,
               double limitPercent)
    {
        const auto m = value(measured);
        const auto w = value(whole);
        const std::optional<double> percent =
            m && w && *w > 0 ? std::optional(*m / *w * 100) : std::nullopt;
        row(what, time(m), time(w),
            percent ? QStringLiteral("%1 %").arg(*percent, 0, 'f', 3) : QString(),
            QStringLiteral("≤ %1 %").arg(limitPercent),
            verdict(percent && *percent <= limitPercent));
    }

    // A figure against a range of its own unit.
    void bounded(const QString &what, const QString &measured, const QString &unit, double low,
                 double high, const QString &target)
    {
        const auto m = value(measured);
        row(what, m ? QStringLiteral("%1 %2").arg(*m, 0, 'f', 2).arg(unit) : QString(), QString(),
            QString(), target, verdict(m && *m >= low && *m <= high));
    }

    // A count of things that should not happen.
    void noneOf(const QString &what, const QString &measured, const QString &unit)
    {
        const auto m = value(measured);
        row(what,
            m ? QStringLiteral("%1 %2").arg(*m, 0, 'f', 0).arg(unit) : QStringLiteral("missing"),
            QString(), QString(), QStringLiteral("none"), verdict(m && *m == 0));
    }

    // A figure shown for context, with no target of its own.
    void info(const QString &what, const QString &measured, const QString &unit)
    {
        const auto m = value(measured);
        row(what,
            m ? QStringLiteral("%1 %2").arg(*m, 0, 'f', 2).arg(unit) : QStringLiteral("missing"),
            QString(), QString(), QStringLiteral("—"), QString());
    }

    void startUp()
    {
        const auto full = value(QStringLiteral("startup_million_ms"));
        const auto empty = value(QStringLiteral("startup_empty_ms"));
        const std::optional<double> more =
            full && empty ? std::optional(*full - *empty) : std::nullopt;
        row(QStringLiteral("Start-up to the window shown, 1,000,000 names"), time(full),
            time(empty) + QStringLiteral(" (no names)"),
            more ? QStringLiteral("+%1 ms").arg(*more, 0, 'f', 0) : QString(),
            QStringLiteral("≤ +1000 ms"), verdict(more && *more <= 1000));
    }

    // Memory against a size it must stay well under.
    void memoryShare(const QString &what, const QString &measured, const QString &floor,
                     double limit)
    {
        const auto m = value(measured);
        const auto f = value(floor);
        const std::optional<double> r = m && f && *f > 0 ? std::optional(*m / *f) : std::nullopt;
        const auto mb = [](std::optional<double> v) {
            return v ? QStringLiteral("%1 MB").arg(*v, 0, 'f', 1) : QStringLiteral("missing");
        };
        row(what, mb(m), mb(f), r ? QStringLiteral("%1×").arg(*r, 0, 'f', 2) : QString(),
            QStringLiteral("≤ %1×").arg(limit), verdict(r && *r <= limit));
    }

    bool allMet() const { return allMet_; }

private:
    std::optional<double> value(const QString &key) const
    {
        const auto found = figures_.constFind(key);
        return found == figures_.cend() ? std::nullopt : std::optional(*found);
    }

    static QString time(std::optional<double> ms)
    {
        if (!ms)
            return QStringLiteral("missing");
        if (*ms < 0.1)
            return QStringLiteral("%1 µs").arg(*ms * 1000, 0, 'f', 2);
        return QStringLiteral("%1 ms").arg(*ms, 0, 'f', *ms < 10 ? 2 : 1);
    }

    QString verdict(bool met)
    {
        allMet_ = allMet_ && met;
        return met ? QStringLiteral("met") : QStringLiteral("**missed**");
    }

    static void row(const QString &what, const QString &measured, const QString &floor,
                    const QString &ratio, const QString &target, const QString &verdict)
    {
        std::printf("| %s | %s | %s | %s | %s | %s |\n", qPrintable(what), qPrintable(measured),
                    qPrintable(floor), qPrintable(ratio), qPrintable(target), qPrintable(verdict));
    }

    const Figures &figures_;
    bool allMet_ = true;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s FILES.json DRAW.json PROCESS.txt [IMPORT.json]\n", argv[0]);
        return EXIT_FAILURE;
    }
    Figures figures;
    if (!readBenchmarks(QString::fromLocal8Bit(argv[1]), figures) ||
        !readBenchmarks(QString::fromLocal8Bit(argv[2]), figures) ||
        !readProcessFigures(QString::fromLocal8Bit(argv[3]), figures) ||
        (argc == 5 && !readBenchmarks(QString::fromLocal8Bit(argv[4]), figures))) {
        std::fprintf(stderr, "cannot read the benchmark results\n");
        return EXIT_FAILURE;
    }

    std::printf("Measured %s on %s\n\n", qPrintable(QDate::currentDate().toString(Qt::ISODate)),
                qPrintable(machine()));
    std::printf("| Figure | Measured | Floor | Ratio | Target | |\n|---|---|---|---|---|---|\n");
    Table table(figures);
    const std::pair<QString, QString> sizes[] = {
        {u"1000"_s, u"1,000"_s}, {u"100000"_s, u"100,000"_s}, {u"1000000"_s, u"1,000,000"_s}};
    for (const auto &[count, label] : sizes) {
        table.ratio(u"Read cjk.txt into the pool, %1 names"_s.arg(label), u"readPool/"_s + count,
                    u"decodeFloor/"_s + count,
                    count == u"1000000" ? std::optional(2.0) : std::nullopt);
    }
    table.ratio(QStringLiteral("Duplicate scan for the journal, 1,000,000 names"),
                QStringLiteral("duplicateScan/1000000"), QStringLiteral("decodeFloor/1000000"),
                std::nullopt);
    table.ratio(QStringLiteral("Record a winner, 1,000,000 names, 10,000-line log"),
                QStringLiteral("recordWinner/1000000"), QStringLiteral("scanFloor/1000000"), 2.0);
    table.ratio(QStringLiteral("One tick, 1,000,000 names (floor: 1,000 names)"),
                QStringLiteral("tick/1000000"), QStringLiteral("tick/1000"), 1.5);
    table.ratio(QStringLiteral("Write the report, 10,000-line log (floor: one synced write)"),
                QStringLiteral("writeReport/10000"), QStringLiteral("writeFloor/10000"),
                std::nullopt);
    table.bounded(QStringLiteral("Resume 300 winners, 1,000,000 names, one synced write"),
                  QStringLiteral("resumeWinners/1000000"), QStringLiteral("ms"), 0, 1000,
                  QStringLiteral("≤ 1000 ms"));
    table.bounded(QStringLiteral("Find the interrupted draw at the end of a 1 GB journal"),
                  QStringLiteral("findInLargeJournal/iterations:5"), QStringLiteral("ms"), 0, 50,
                  QStringLiteral("≤ 50 ms"));
    table.bounded(QStringLiteral("Memory to find it"),
                  QStringLiteral("findInLargeJournal/iterations:5/memory_mb"), QStringLiteral("MB"),
                  0, 10, QStringLiteral("≤ 10 MB"));
    table.bounded(QStringLiteral("Verify a draw: 1,000,000 names, 300 winners (prizedraw-verify)"),
                  QStringLiteral("verifyDraw/1000000/iterations:3"), QStringLiteral("ms"), 0, 5000,
                  QStringLiteral("≤ 5000 ms"));
    table.info(QStringLiteral("Verify a journal of 500 MB: evening after evening on one list"),
               QStringLiteral("verifyLargeJournal/500/iterations:1"), QStringLiteral("ms"));
    table.bounded(QStringLiteral("Memory to verify it"),
                  QStringLiteral("verifyLargeJournal/500/iterations:1/memory_mb"),
                  QStringLiteral("MB"), 0, 256, QStringLiteral("≤ 256 MB"));
    table.ratio(QStringLiteral("Journal a winner's line with its chain value (floor: the same "
                               "line unchained, one synced write)"),
                QStringLiteral("journalWinner"), QStringLiteral("journalWinnerFloor"),
                std::nullopt);
    table.share(
        QStringLiteral("Chain value of a winner's line (share of a whole stop, 1,000 names)"),
        QStringLiteral("chainValue"), QStringLiteral("stop_thousand_ms"), 1);
    table.bounded(QStringLiteral("Import a workbook of 1,000,000 rows × 3 columns (.xlsx)"),
                  QStringLiteral("importWorkbook/1000000/iterations:1"), QStringLiteral("ms"), 0,
                  5000, QStringLiteral("≤ 5000 ms"));
    table.memoryShare(QStringLiteral("Memory to import it (floor: the workbook unpacked)"),
                      QStringLiteral("importWorkbook/1000000/iterations:1/memory_mb"),
                      QStringLiteral("importWorkbook/1000000/iterations:1/unpacked_mb"), 0.5);
    table.bounded(QStringLiteral("Import the same list saved by LibreOffice Calc (.xlsx)"),
                  QStringLiteral("importLibreOfficeWorkbook/iterations:1"), QStringLiteral("ms"), 0,
                  5000, QStringLiteral("≤ 5000 ms"));
    table.memoryShare(QStringLiteral("Memory to import it (floor: the workbook unpacked)"),
                      QStringLiteral("importLibreOfficeWorkbook/iterations:1/memory_mb"),
                      QStringLiteral("importLibreOfficeWorkbook/iterations:1/unpacked_mb"), 0.5);
    table.bounded(QStringLiteral("Memory to import it"),
                  QStringLiteral("importLibreOfficeWorkbook/iterations:1/memory_mb"),
                  QStringLiteral("MB"), 0, 100, QStringLiteral("≤ 100 MB"));
    table.memoryShare(QStringLiteral("Memory to read it, the sheet alone (floor: the workbook "
                                     "unpacked)"),
                      QStringLiteral("importLibreOfficeWorkbook/iterations:1/read_mb"),
                      QStringLiteral("importLibreOfficeWorkbook/iterations:1/unpacked_mb"), 0.5);
    table.bounded(QStringLiteral("Import the same list as CSV (UTF-8)"),
                  QStringLiteral("importCsv/iterations:1"), QStringLiteral("ms"), 0, 2000,
                  QStringLiteral("≤ 2000 ms"));
    table.memoryShare(QStringLiteral("Memory to import it (floor: the file)"),
                      QStringLiteral("importCsv/iterations:1/memory_mb"),
                      QStringLiteral("importCsv/iterations:1/file_mb"), 2);
    table.memoryShare(QStringLiteral("Memory to read it, the table alone (floor: the file)"),
                      QStringLiteral("importCsv/iterations:1/read_mb"),
                      QStringLiteral("importCsv/iterations:1/file_mb"), 2);
    table.bounded(QStringLiteral("Import 20 names, cells formatted to row 1,048,576"),
                  QStringLiteral("importFormattedSheet/iterations:1"), QStringLiteral("ms"), 0,
                  1000, QStringLiteral("≤ 1000 ms"));
    table.startUp();
    table.ratio(QStringLiteral("Stop to the winner shown, 1,000,000 names (floor: 1,000 names)"),
                QStringLiteral("stop_million_ms"), QStringLiteral("stop_thousand_ms"),
                std::nullopt);
    table.bounded(QStringLiteral("Peak memory, 1,000,000 names"), QStringLiteral("peak_rss_mb"),
                  QStringLiteral("MB"), 0, 150, QStringLiteral("≤ 150 MB"));
    table.info(QStringLiteral("CPU with the window idle, 5 s under Xvfb"),
               QStringLiteral("cpu_idle_percent"), QStringLiteral("%"));
    table.bounded(QStringLiteral("CPU while rolling, 10 s under Xvfb"),
                  QStringLiteral("cpu_rolling_percent"), QStringLiteral("%"), 0, 3,
                  QStringLiteral("≤ 3% of one core"));
    table.bounded(
        QStringLiteral("CPU while rolling with the stage view open, 1920 × 1080, 10 s under Xvfb"),
        QStringLiteral("cpu_stage_rolling_percent"), QStringLiteral("%"), 0, 5,
        QStringLiteral("≤ 5% of one core"));
    table.bounded(QStringLiteral("The same over a 12-megapixel stage picture"),
                  QStringLiteral("cpu_stage_picture_rolling_percent"), QStringLiteral("%"), 0, 5,
                  QStringLiteral("≤ 5% of one core"));
    table.cpuRatio(QStringLiteral("CPU while ten names a press roll on the stage, 1920 × 1080 "
                                  "(floor: one name)"),
                   QStringLiteral("cpu_stage_batch_rolling_percent"),
                   QStringLiteral("cpu_stage_rolling_percent"), 2);
    table.cpuRatio(QStringLiteral("The same at 3840 × 2160 (floor: one name at that size)"),
                   QStringLiteral("cpu_stage_4k_batch_rolling_percent"),
                   QStringLiteral("cpu_stage_4k_rolling_percent"), 2);
    table.bounded(QStringLiteral("F5 to the stage's first frame, with a 12000 × 8000 picture"),
                  QStringLiteral("stage_first_frame_ms"), QStringLiteral("ms"), 0, 100,
                  QStringLiteral("≤ 100 ms"));
    table.info(QStringLiteral("F5 to that picture shown on the stage, read meanwhile"),
               QStringLiteral("stage_picture_ms"), QStringLiteral("ms"));
    table.bounded(QStringLiteral("Tick interval, median of 300"), QStringLiteral("tick_median_ms"),
                  QStringLiteral("ms"), 29, 31, QStringLiteral("30 ± 1 ms"));
    table.bounded(QStringLiteral("Tick interval, 95th percentile"), QStringLiteral("tick_p95_ms"),
                  QStringLiteral("ms"), 0, 35, QStringLiteral("≤ 35 ms"));
    table.ratio(QStringLiteral("Start-up with the operator's three music files and a sound "
                               "device (floor: without)"),
                QStringLiteral("startup_music_ms"), QStringLiteral("startup_empty_ms"), 1.1);
    table.cpuExtra(QStringLiteral("CPU while rolling with roll and background music, 10 s "
                                  "(floor: silent)"),
                   QStringLiteral("cpu_music_rolling_percent"),
                   QStringLiteral("cpu_rolling_percent"), 2);
    table.bounded(QStringLiteral("Tick interval with music, median of 300"),
                  QStringLiteral("tick_music_median_ms"), QStringLiteral("ms"), 29, 31,
                  QStringLiteral("30 ± 1 ms"));
    table.bounded(QStringLiteral("Tick interval with music, 95th percentile"),
                  QStringLiteral("tick_music_p95_ms"), QStringLiteral("ms"), 0, 35,
                  QStringLiteral("≤ 35 ms"));
    table.noneOf(QStringLiteral("Breaks in the sound heard: start with the three music files, "
                                "20 s of rolling and the fanfare"),
                 QStringLiteral("sound_breaks"), QStringLiteral("breaks"));
    table.bounded(QStringLiteral("Key to the first sound heard, median of five rolls"),
                  QStringLiteral("key_to_sound_ms"), QStringLiteral("ms"), 0, 100,
                  QStringLiteral("≤ 100 ms"));
    table.info(QStringLiteral("Start-up to the window shown under Wine, 1,000 names"),
               QStringLiteral("wine_startup_thousand_ms"), QStringLiteral("ms"));
    table.info(QStringLiteral("Start-up to the window shown under Wine, 1,000,000 names"),
               QStringLiteral("wine_startup_million_ms"), QStringLiteral("ms"));
    table.info(QStringLiteral("Windows ZIP"), QStringLiteral("zip_size_mb"), QStringLiteral("MB"));
    std::printf("\n%s\n", table.allMet() ? "Every target met." : "Some targets missed.");
    return EXIT_SUCCESS;
}
