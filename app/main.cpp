#include "form1.h"
#include "messageboxnotifier.h"
#include "musicplayer.h"
#include "programfont.h"
#include "programhost.h"
#include "programpaths.h"
#include "qttranslations.h"
#include "randomsource.h"

#include <QApplication>
#include <QIcon>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <commctrl.h>
#endif

int main(int argc, char *argv[])
{
#ifdef Q_OS_WIN
    // Registers the themed (version 6) common controls that the manifest selects, before
    // any window exists: Qt draws its own widgets, but whatever Windows draws for the
    // program then takes the themed style.
    InitCommonControls();
#endif
    QApplication app(argc, argv);
    useProgramFont();
    installQtTranslations(app);
    // The host decides when the program ends: the settings window alone keeps it running.
    QApplication::setQuitOnLastWindowClosed(false);

    QIcon icon;
    for (const char *size : {"16", "32", "48"})
        icon.addFile(QStringLiteral(":/icon%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
    // Desktops match the window to prizedraw.desktop, and so to its name and icon, by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("prizedraw"));

    MessageBoxNotifier notifier;
    // Without its own folder the program has nowhere it may read or write.
    const std::optional<QString> directory = programDirectory();
    if (!directory) {
        notifier.warning(QStringLiteral("提示"),
                         noProgramDirectoryText(QString::fromLocal8Bit(argv[0])));
        return 1;
    }
    const auto random = makeClockSeededRandom();
    ProgramHost host(notifier, *random, *directory);
    MusicPlayer music;
    host.setSoundOutput([&music](const SoundCue &cue) { music.apply(cue); });
    QObject::connect(&music, &MusicPlayer::problem, &host, [&host](const QString &text) {
        if (host.mainWindow())
            host.mainWindow()->soundProblem(text);
    });
    notifier.setPlacement(&host.boxPlacement());
    QObject::connect(&host, &ProgramHost::programEnded, &app, [] { QCoreApplication::exit(0); });
    if (!host.start())
        return 0;
    // The window is up before the sound device and the music files are opened.
    music.start(*directory);
    return QApplication::exec();
}
