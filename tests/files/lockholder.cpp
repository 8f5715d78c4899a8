// Stands in for another process in the lock tests: with "hold <folder>" it takes that
// folder's program lock as a running copy does, with "idle" it only runs. Either way it
// prints "ready" and runs until its input closes.
#include "programlock.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    std::optional<ProgramLock> lock;
    if (arguments.value(1) == QLatin1String("hold")) {
        lock.emplace(arguments.value(2));
        if (lock->take() != ProgramLock::Outcome::Taken)
            return 2;
    }
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    char buffer[64];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    return 0;
}
