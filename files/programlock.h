#pragma once

#include <QLockFile>
#include <QString>

// One running program per folder: two copies would each offer the other's draw for
// resuming, end each other's runs in the journal and overwrite each other's report. The
// lock is a small file beside the journal; one that a killed or crashed program left is
// taken over, because the process named in it no longer runs.
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
    QLockFile lock_;
};

inline const QString LockFileName = QStringLiteral("抽奖程序.lock");

// The operator's sentence when the folder's program is already running.
QString alreadyRunningText(const QString &directory);
