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

#include <cstdio>
#include <optional>

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
    int code = 0;
    {
        ProgramHost host(notifier, *random, *directory);
        // Made once the program runs: a second copy that refuses to start needs no sound.
        std::optional<MusicPlayer> music;
        host.setSoundOutput([&music](const SoundCue &cue) {
            if (music)
                music->apply(cue);
        });
        notifier.setPlacement(&host.boxPlacement());
        QObject::connect(&host, &ProgramHost::programEnded, &app,
                         [] { QCoreApplication::exit(0); });
        if (!host.start())
            return 0;
        music.emplace();
        QObject::connect(&*music, &MusicPlayer::problem, &host, [&host](const QString &text) {
            if (host.mainWindow())
                host.mainWindow()->soundProblem(text);
        });
        QObject::connect(&*music, &MusicPlayer::deviceAvailable, &host,
                         &ProgramHost::setSoundDeviceAvailable);
        // The window is up before the sound device and the music files are opened.
        music->start(*directory);
        code = QApplication::exec();
    }
#ifdef Q_OS_WIN
    // The journal, the report and the lock are closed by now. Qt Multimedia's backend shuts
    // Media Foundation down as Qt unloads it, and that can wait for ever for Media
    // Foundation's own threads while the process ends (seen under Wine without a sound
    // device): the process ends without unloading anything.
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), UINT(code));
#endif
    return code;
}
