#include "faultchildrunner.h"

#include <QDirIterator>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool isRoot()
{
#ifdef Q_OS_UNIX
    return geteuid() == 0;
#else
    return false;
#endif
}

} // namespace

namespace FaultChild {

bool available()
{
#ifdef FAULTCHILD_PATH
    return true;
#else
    return false;
#endif
}

bool prepareFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    constexpr uid_t Nobody = 65534;
    if (!isRoot())
        return true;
    bool ok = chown(QFile::encodeName(folder).constData(), Nobody, Nobody) == 0;
    QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        ok = chown(QFile::encodeName(entries.next()).constData(), Nobody, Nobody) == 0 && ok;
    return ok;
#else
    Q_UNUSED(folder);
    return true;
#endif
}

void start(QProcess &process, const QStringList &arguments)
{
    QStringList all = arguments;
    if (isRoot())
        all << QStringLiteral("--as-nobody");
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef FAULTCHILD_PATH
    process.start(QStringLiteral(FAULTCHILD_PATH), all);
#endif
}

Result finish(QProcess &process)
{
    Result result;
    // Far longer than any single write takes; only a hung child reaches it.
    process.waitForFinished(120'000);
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    result.setupFailed = !result.crashed && result.exitCode == 3;
    if (result.output.startsWith(QLatin1String("error ")))
        result.error = result.output.sliced(6);
    return result;
}

Result run(const QStringList &arguments)
{
    QProcess process;
    start(process, arguments);
    return finish(process);
}

} // namespace FaultChild
