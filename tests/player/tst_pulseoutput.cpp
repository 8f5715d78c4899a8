#include "pulsesoundoutput.h"
#include "soundmixer.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// The sound played into a PulseAudio server of the test's own: taken as it plays, and
// every way of losing it told once, without waiting for a server that is not there.
class TestPulseOutput : public QObject {
    Q_OBJECT
private slots:
    void playsOrFails_data();
    void playsOrFails();
};

namespace {

constexpr int Rate = 48000;

enum class Happening { Nothing, NoServer, Closed, Unplugged, ServerGone };

// A PulseAudio server with one null sink, "hall", as its only device, at `rate`.
class Hall {
public:
    ~Hall()
    {
        if (server_.state() == QProcess::NotRunning)
            return;
        server_.kill();
        server_.waitForFinished();
    }

    QString address() const
    {
        return QStringLiteral("unix:") + dir_.filePath(QStringLiteral("native"));
    }

    bool start(int rate)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"HOME", "XDG_RUNTIME_DIR"}) {
            const QString path = dir_.filePath(QString::fromLatin1(name));
            QDir().mkpath(path);
            environment.insert(QString::fromLatin1(name), path);
        }
        server_.setProcessEnvironment(environment);
        // As root it warns that it is meant for a user, and runs all the same.
        server_.setStandardOutputFile(QProcess::nullDevice());
        server_.setStandardErrorFile(QProcess::nullDevice());
        server_.start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
             QStringLiteral("-n"),
             QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") +
                 dir_.filePath(QStringLiteral("native")),
             QStringLiteral("--load=module-null-sink sink_name=hall rate=%1").arg(rate)});
        if (!server_.waitForStarted())
            return false;
        for (int tries = 0; tries < 100; ++tries) {
            if (pactl({QStringLiteral("info")}))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    bool unplug()
    {
        return pactl({QStringLiteral("unload-module"), QStringLiteral("module-null-sink")});
    }
    bool plug()
    {
        return pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                      QStringLiteral("sink_name=hall"), QStringLiteral("rate=%1").arg(Rate)});
    }
    bool end()
    {
        pactl({QStringLiteral("exit")});
        return server_.waitForFinished();
    }

private:
    bool pactl(const QStringList &arguments)
    {
        QProcess tool;
        tool.start(QStringLiteral("pactl"),
                   QStringList{QStringLiteral("--server=") + address()} + arguments);
        return tool.waitForFinished() && tool.exitStatus() == QProcess::NormalExit &&
               tool.exitCode() == 0;
    }

    QTemporaryDir dir_;
    QProcess server_;
};

// A third of a second of a 1 kHz tone.
SoundClip tone()
{
    SoundClip clip;
    clip.sampleRate = Rate;
    for (int i = 0; i < Rate / 3; ++i) {
        const auto value = qint16(8000 * std::sin(2 * M_PI * 1000 * i / Rate));
        clip.samples.insert(clip.samples.end(), {value, value});
    }
    return clip;
}

// Whether the output takes the mixer's sound: a fanfare played to its end within `ms`.
// A null sink that was idle wakes only after its idle block, up to two seconds.
bool fanfareTaken(SoundMixer &mixer, int ms)
{
    mixer.stopAll();
    mixer.playFanfare();
    return QTest::qWaitFor([&] { return !mixer.isSounding(); }, ms);
}

constexpr int TakenMs = 4000;
// Long enough to hear a third of a second played, were it played.
constexpr int NotTakenMs = 1000;

} // namespace

Q_DECLARE_METATYPE(Happening)

void TestPulseOutput::playsOrFails_data()
{
    QTest::addColumn<int>("deviceRate");
    QTest::addColumn<Happening>("happening");
    QTest::newRow("a device takes the sound") << Rate << Happening::Nothing;
    QTest::newRow("a device at 44.1 kHz") << 44100 << Happening::Nothing;
    QTest::newRow("no sound server") << Rate << Happening::NoServer;
    QTest::newRow("closed, it takes nothing") << Rate << Happening::Closed;
    QTest::newRow("the device unplugged, then back") << Rate << Happening::Unplugged;
    QTest::newRow("the server gone") << Rate << Happening::ServerGone;
}

void TestPulseOutput::playsOrFails()
{
    QFETCH(int, deviceRate);
    QFETCH(Happening, happening);
    Hall hall;
    QTemporaryDir nowhere;
    if (happening == Happening::NoServer) {
        qputenv("PULSE_SERVER", "unix:" + nowhere.filePath(QStringLiteral("none")).toUtf8());
    } else {
        QVERIFY2(hall.start(deviceRate), "PulseAudio did not start");
        qputenv("PULSE_SERVER", hall.address().toUtf8());
    }
    SoundMixer mixer(Rate);
    mixer.setFanfare(tone());
    mixer.setRollMusic(tone());
    PulseSoundOutput output(mixer);
    QSignalSpy failed(&output, &SoundOutput::failed);
    output.open();

    if (happening == Happening::NoServer) {
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(!output.plays());
        QVERIFY(!fanfareTaken(mixer, NotTakenMs));
        QCOMPARE(failed.count(), 1);
        return;
    }
    QVERIFY(fanfareTaken(mixer, TakenMs));
    QVERIFY(output.plays());
    switch (happening) {
    case Happening::Closed:
        output.close();
        QVERIFY(!output.plays());
        QVERIFY(!fanfareTaken(mixer, NotTakenMs));
        break;
    case Happening::Unplugged:
    case Happening::ServerGone:
        mixer.startRoll();
        QVERIFY(happening == Happening::Unplugged ? hall.unplug() : hall.end());
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(!output.plays());
        if (happening == Happening::ServerGone)
            break;
        QVERIFY(hall.plug());
        output.open();
        QVERIFY(output.plays());
        QVERIFY(fanfareTaken(mixer, TakenMs));
        break;
    default:
        break;
    }
    QCOMPARE(failed.count(),
             happening == Happening::Unplugged || happening == Happening::ServerGone ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestPulseOutput)
#include "tst_pulseoutput.moc"
