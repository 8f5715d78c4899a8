#pragma once

#include <QString>
#include <QStringList>

class QProcess;

// Starts the faultchild helper. When the tests run as root, the child drops to the
// user "nobody" so that file permissions hold for it; the folder it works in is handed
// to that user first.
namespace FaultChild {

struct Result {
    int exitCode = -1;
    bool crashed = false;
    bool setupFailed = false; // the child could not take the fault on (or leave root)
    QString error;            // the operator's message, after "error "
    QString output;
};

// The child takes its faults from Unix (file size limits, signals, user ids).
bool available();

// Gives the folder and everything in it to the user the child runs as.
bool prepareFolder(const QString &folder);

// Starts `faultchild <operation> <path> [options]` without waiting for it.
void start(QProcess &process, const QStringList &arguments);
// Waits for a started child to end and reads what it said.
Result finish(QProcess &process);
Result run(const QStringList &arguments);

} // namespace FaultChild
