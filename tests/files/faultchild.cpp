// Runs one read or write of the program's files inside a fault that only a separate
// process can suffer: a file size limit, a kill at the commit point, or the permissions of
// an ordinary user when the tests run as root. Prints "ok" or "error <message>".
//
//   faultchild <operation> <path> [--size N] [--file-size-limit N] [--as-nobody]
//              [--stop-before-rename | --stop-after-rename]
//
// The operations are listed in faultoperations.cpp.

#include "faultoperations.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

enum class Stop { Never, BeforeRename, AfterRename };
Stop stopAt = Stop::Never;

// Tells the test where the write stands, then waits for the test to kill this process.
[[noreturn]] void announceAndWait(const char *line, std::size_t size)
{
    if (::write(STDOUT_FILENO, line, size) < 0)
        _exit(4);
    for (;;)
        pause();
}

bool dropToNobody()
{
    const gid_t nobody = 65534;
    return setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0;
}

bool limitFileSize(rlim_t bytes)
{
    // Without this the kernel kills the process instead of failing the write.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

} // namespace

// QSaveFile puts the finished file in place with rename(); this definition comes first in
// the lookup, so the commit point can be announced to the test.
extern "C" int rename(const char *from, const char *to) noexcept
{
    using RenameFunction = int (*)(const char *, const char *);
    static const auto realRename = reinterpret_cast<RenameFunction>(dlsym(RTLD_NEXT, "rename"));
    if (stopAt == Stop::BeforeRename)
        announceAndWait("before-rename\n", 14);
    const int result = realRename(from, to);
    if (stopAt == Stop::AfterRename)
        announceAndWait("after-rename\n", 13);
    return result;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout);
    if (args.size() < 2) {
        out << "usage: faultchild <operation> <path> [options]\n";
        return 2;
    }
    const QString operation = args.takeFirst();
    const QString path = args.takeFirst();
    qsizetype size = 0;
    while (!args.isEmpty()) {
        const QString option = args.takeFirst();
        bool ok = true;
        if (option == QLatin1String("--size") && !args.isEmpty())
            size = args.takeFirst().toLongLong(&ok);
        else if (option == QLatin1String("--file-size-limit") && !args.isEmpty())
            ok = limitFileSize(args.takeFirst().toULongLong());
        else if (option == QLatin1String("--as-nobody"))
            ok = dropToNobody();
        else if (option == QLatin1String("--stop-before-rename"))
            stopAt = Stop::BeforeRename;
        else if (option == QLatin1String("--stop-after-rename"))
            stopAt = Stop::AfterRename;
        else
            ok = false;
        if (!ok) {
            out << "setup failed at " << option << '\n';
            return 3;
        }
    }
    const std::optional<QString> error = runFaultOperation(operation, path, size);
    if (!error) {
        out << "unknown operation " << operation << '\n';
        return 2;
    }
    out << (error->isEmpty() ? QStringLiteral("ok") : QStringLiteral("error ") + *error) << '\n';
    return error->isEmpty() ? 0 : 1;
}
