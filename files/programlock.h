#pragma once

#include "processinfo.h"

#include <QLockFile>
#include <QString>

// One running program per folder: two copies would each offer the other's draw for
// resuming, end each other's runs in the journal and overwrite each other's report. The
// lock is a small file beside the journal that names the process holding it; one that a
// killed or crashed program left is taken over.
class ProgramLock {
public:
    enum class Outcome {
        Taken,
        HeldByAnother,
        // The folder cannot hold the lock (read-only, say): nothing will be written
        // there either, so the program runs and says so when it tries.
        Unavailable,
    };

    explicit ProgramLock(const QString &directory);

    Outcome take();

private:
    bool heldByDeadCopy() const;

    QString path_;
    QLockFile lock_;
};

inline const QString LockFileName = QStringLiteral("抽奖程序.lock");

// Whether a lock that names process `pid` of program `program`, written at `written`, was
// left by a copy that no longer runs. Windows hands a dead process's id to the next one,
// which may be this very process or another program, or a copy started since: none of
// them holds this lock. `process` is what the system says about that id now.
bool lockIsStale(qint64 pid, const QString &program, const QDateTime &written, qint64 ownPid,
                 const std::optional<RunningProcess> &process);

// The operator's sentence when the folder's program is already running.
QString alreadyRunningText(const QString &directory);
