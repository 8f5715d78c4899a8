#include "messageboxnotifier.h"
#include "programhost.h"
#include "programpaths.h"
#include "randomsource.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The host decides when the program ends: the settings window alone keeps it running.
    QApplication::setQuitOnLastWindowClosed(false);

    QIcon icon;
    for (const char *size : {"16", "32", "48"})
        icon.addFile(QStringLiteral(":/icon%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);

    MessageBoxNotifier notifier;
    const auto random = makeClockSeededRandom();
    ProgramHost host(notifier, *random, programDirectory());
    QObject::connect(&host, &ProgramHost::programEnded, &app, [] { QCoreApplication::exit(0); });
    host.start();
    return QApplication::exec();
}
