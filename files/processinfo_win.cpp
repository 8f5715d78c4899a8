#include "processinfo.h"

#include <QFileInfo>

#include <windows.h>

#include <iterator>

namespace {

// FILETIME counts 100 ns steps from 1601; the epoch is 11,644,473,600 s later.
QDateTime fromFileTime(const FILETIME &time)
{
    const qint64 steps = (qint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return QDateTime::fromMSecsSinceEpoch(steps / 10000 - Q_INT64_C(11644473600000), Qt::UTC);
}

} // namespace

std::optional<RunningProcess> runningProcess(qint64 pid)
{
    if (pid <= 0 || pid > qint64(MAXDWORD))
        return std::nullopt;
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!handle) {
        // A process of another user or of the system runs, but tells nothing.
        if (GetLastError() == ERROR_ACCESS_DENIED)
            return RunningProcess{};
        return std::nullopt;
    }
    RunningProcess process;
    DWORD exitCode = 0;
    // A handle can outlive its process: one that has ended is not running.
    const bool ended = GetExitCodeProcess(handle, &exitCode) && exitCode != STILL_ACTIVE;
    wchar_t path[MAX_PATH * 4];
    DWORD size = DWORD(std::size(path));
    if (QueryFullProcessImageNameW(handle, 0, path, &size)) {
        // Named as QLockFile names the program in its lock: without ".exe".
        process.program = QFileInfo(QString::fromWCharArray(path, int(size))).fileName();
        if (process.program.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
            process.program.chop(4);
    }
    FILETIME created{}, exited{}, kernel{}, user{};
    if (GetProcessTimes(handle, &created, &exited, &kernel, &user))
        process.started = fromFileTime(created);
    CloseHandle(handle);
    if (ended)
        return std::nullopt;
    return process;
}
