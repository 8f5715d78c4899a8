#include "firstpaint.h"
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

namespace {

// A window not painted by then (started minimised) does not hold the sound back longer.
constexpr int SoundStartLatestMs = 1000;

} // namespace

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
        MusicPlayer music;
        host.setSoundOutput([&music](const SoundCue &cue) { music.apply(cue); });
        notifier.setPlacement(&host.boxPlacement());
        QObject::connect(&host, &ProgramHost::programEnded, &app,
                         [] { QCoreApplication::exit(0); });
        // A second copy that refuses to start never opens the sound.
        if (!host.start())
            return 0;
        QObject::connect(&music, &MusicPlayer::problem, &host, [&host](const QString &text) {
            if (host.mainWindow())
                host.mainWindow()->soundProblem(text);
        });
        QObject::connect(&music, &MusicPlayer::deviceAvailable, &host,
                         &ProgramHost::setSoundDeviceAvailable);
        // The window is on the screen before the media backend, the sound device and the
        // music files are opened: none of them may delay it.
        afterFirstPaint(host.mainWindow(), SoundStartLatestMs, &music,
                        [&music, &directory] { music.start(*directory); });
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
