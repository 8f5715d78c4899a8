#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// What the system says about a running process, for telling a live owner of the program's
// lock from a process that merely has the same id now. Each platform answers in its own
// file (processinfo_win.cpp, processinfo_posix.cpp).
struct RunningProcess {
    // The program's file name without its folder and without ".exe"; empty when the
    // system does not say (another user's process).
    QString program;
    // When the process started; invalid when the system does not say.
    QDateTime started;
};

// The process with that id, or nothing when none runs.
std::optional<RunningProcess> runningProcess(qint64 pid);
