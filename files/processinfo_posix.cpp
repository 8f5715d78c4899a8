#include "processinfo.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// /proc/stat's btime: the boot, in whole seconds since the epoch.
std::optional<qint64> bootSeconds()
{
    QFile stat(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray &line : stat.readAll().split('\n'))
        if (line.startsWith("btime "))
            return line.mid(6).trimmed().toLongLong();
    return std::nullopt;
}

// The 22nd field of /proc/<pid>/stat, the start in clock ticks after the boot. The name
// in the second field may hold spaces and parentheses, so counting starts after its end.
QDateTime startTime(const QByteArray &stat)
{
    const qsizetype nameEnd = stat.lastIndexOf(')');
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    const std::optional<qint64> boot = bootSeconds();
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (nameEnd < 0 || fields.size() < 20 || !boot || ticksPerSecond <= 0)
        return {};
    const qint64 ticks = fields.at(19).toLongLong();
    return QDateTime::fromMSecsSinceEpoch(*boot * 1000 + ticks * 1000 / ticksPerSecond, Qt::UTC);
}

} // namespace

std::optional<RunningProcess> runningProcess(qint64 pid)
{
    if (pid <= 0)
        return std::nullopt;
    const QString proc = QStringLiteral("/proc/%1").arg(pid);
    QFile stat(proc + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        // Without /proc only the process's existence can be asked.
        if (QFileInfo::exists(QStringLiteral("/proc/self")) ||
            (::kill(pid_t(pid), 0) != 0 && errno == ESRCH))
            return std::nullopt;
        return RunningProcess{};
    }
    const QByteArray content = stat.readAll();
    // A zombie has ended: only its exit status waits for its parent.
    const qsizetype nameEnd = content.lastIndexOf(')');
    if (nameEnd >= 0 && content.mid(nameEnd + 2, 1) == "Z")
        return std::nullopt;
    RunningProcess process;
    process.started = startTime(content);
    // The executable's link is readable for one's own processes; the kernel's short name
    // (15 bytes) stands in for the others'.
    const QString executable = QFile::symLinkTarget(proc + QStringLiteral("/exe"));
    if (!executable.isEmpty()) {
        // A program replaced on disk while it runs still is that program.
        process.program = QFileInfo(executable).fileName().remove(QStringLiteral(" (deleted)"));
    } else {
        QFile comm(proc + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly))
            process.program = QString::fromUtf8(comm.readAll().trimmed());
    }
    return process;
}
