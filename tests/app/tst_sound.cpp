#include "tst_sound.h"

#include "drawwindowpresses.h"
#include "firstpaint.h"
#include "form2.h"
#include "programhost.h"
#include "soundmark.h"
#include "stageview.h"

#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

QString describe(const SoundCue &cue)
{
    QStringList parts;
    switch (cue.roll) {
    case SoundCue::Roll::Keep:
        break;
    case SoundCue::Roll::Start:
        parts << QStringLiteral("roll");
        break;
    case SoundCue::Roll::FadeOut:
        parts << QStringLiteral("fade");
        break;
    case SoundCue::Roll::Stop:
        parts << QStringLiteral("stop");
        break;
    }
    if (cue.silenceAll)
        parts << QStringLiteral("silence");
    if (cue.reloadMusic)
        parts << QStringLiteral("reload");
    if (cue.fanfare)
        parts << QStringLiteral("fanfare");
    if (cue.muteChanged)
        parts << (cue.muted ? QStringLiteral("mute") : QStringLiteral("unmute"));
    return parts.join(QLatin1Char('+'));
}

// A key event as a platform delivers it, sent to `target`.
void sendKey(QWidget *target, QEvent::Type type, int key, bool autoRepeat, quint64 timestamp)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    event.setTimestamp(timestamp);
    QApplication::sendEvent(target, &event);
}

} // namespace

void TestSound::init()
{
    fixture_.emplace();
    fixture_->writeSettings(Title, {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                                    QStringLiteral("1")});
    fixture_->writeCandidates({QStringLiteral("Anna"), QStringLiteral("Bob"),
                               QStringLiteral("Carl"), QStringLiteral("Dora"),
                               QStringLiteral("Emil")});
    window_ = fixture_->openMainWindow();
    cues_.clear();
    window_->setSoundOutput([this](const SoundCue &cue) { cues_ << describe(cue); });
}

void TestSound::cleanup()
{
    window_.reset();
    fixture_.reset();
}

void TestSound::operatorStepsCueTheSound_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("cues");
    QTest::addColumn<bool>("muted");

    const auto list = [](const char *text) {
        return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    QTest::newRow("a draw: roll, then fade and fanfare")
        << list("space tick space") << list("roll fade fanfare") << false;
    QTest::newRow("a stop before any name showed: fade only")
        << list("space space") << list("roll fade") << false;
    QTest::newRow("typed name declined: fade only")
        << list("space tick type space") << list("roll fade") << false;
    QTest::newRow("typed name recorded: fade, then fanfare")
        << list("space tick type confirm space") << list("roll fade fanfare") << false;
    QTest::newRow("a void is quiet")
        << list("space tick space void") << list("roll fade fanfare") << false;
    QTest::newRow("the stop that fills a tier")
        << list("space tick space space tick space") << list("roll fade fanfare roll fade fanfare")
        << false;
    QTest::newRow("reset mid-roll")
        << list("space tick reset") << list("roll fade stop+silence+reload") << false;
    QTest::newRow("F8 mutes, F8 again unmutes") << list("F8 F8") << list("mute unmute") << false;
    QTest::newRow("a held F8 is one press") << list("F8hold") << list("mute") << true;
    QTest::newRow("F8 on the stage, mid-roll")
        << list("space F5 F8stage tick space") << list("roll mute fade fanfare") << true;
}

void TestSound::operatorStepsCueTheSound()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, cues);
    QFETCH(bool, muted);

    Form1 &w = *window_;
    quint64 time = 1000;
    for (const QString &step : steps) {
        time += 200;
        if (step == QLatin1String("space")) {
            press(w.controls().T1, Qt::Key_Space);
        } else if (step == QLatin1String("tick")) {
            w.tick();
        } else if (step == QLatin1String("type")) {
            w.controls().Text1->setText(QStringLiteral("Zed"));
        } else if (step == QLatin1String("confirm")) {
            fixture_->notifier.recordAnywayAnswer = true;
        } else if (step == QLatin1String("void")) {
            fixture_->notifier.confirmAnswer = true;
            QTest::keyClick(w.controls().T1, Qt::Key_Delete);
        } else if (step == QLatin1String("reset")) {
            w.controls().Format->click();
        } else if (step == QLatin1String("F5")) {
            press(w.controls().T1, Qt::Key_F5);
        } else if (step.startsWith(QLatin1String("F8"))) {
            QWidget *target = step == QLatin1String("F8stage")
                                  ? static_cast<QWidget *>(w.stageView())
                                  : w.controls().T1;
            sendKey(target, QEvent::KeyPress, Qt::Key_F8, false, time);
            // A hold: repeats until the release, each marked as one.
            if (step == QLatin1String("F8hold"))
                for (int r = 0; r < 10; ++r)
                    sendKey(target, QEvent::KeyPress, Qt::Key_F8, true, time + 500 + 33 * r);
            sendKey(target, QEvent::KeyRelease, Qt::Key_F8, false, time + 900);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
    QCOMPARE(cues_, cues);
    QCOMPARE(w.soundMuted(), muted);
    QCOMPARE(w.findChild<SoundMark *>()->isMuted(), muted);
}

void TestSound::markShowsTheSoundAsItIs_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("muted");
    QTest::addColumn<bool>("device");
    QTest::addColumn<QString>("toolTip");

    const QString on = QStringLiteral("声音已打开（按 F8 关闭）");
    const QString off = QStringLiteral("声音已关闭（按 F8 打开）");
    const QString none = QStringLiteral("没有可用的声音设备，抽奖照常进行，只是没有声音。");
    QTest::newRow("at start, before the sound says") << "" << false << true << on;
    QTest::newRow("muted") << "F8" << true << true << off;
    QTest::newRow("no device") << "nodevice" << false << false << none + on;
    QTest::newRow("no device, then muted") << "nodevice F8" << true << false << none + off;
    QTest::newRow("a device plugged in again") << "nodevice device" << false << true << on;
    QTest::newRow("muted, device lost and back, unmuted")
        << "F8 nodevice device F8" << false << true << on;
}

void TestSound::markShowsTheSoundAsItIs()
{
    QFETCH(QString, steps);
    QFETCH(bool, muted);
    QFETCH(bool, device);
    QFETCH(QString, toolTip);

    Form1 &w = *window_;
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("F8"))
            press(w.controls().T1, Qt::Key_F8);
        else
            w.setSoundDeviceAvailable(step == QLatin1String("device"));
    }
    const SoundMark *mark = w.findChild<SoundMark *>();
    QCOMPARE(mark->isMuted(), muted);
    QCOMPARE(mark->isDeviceAvailable(), device);
    QCOMPARE(mark->toolTip(), toolTip);
    QVERIFY(mark->isVisible());
}

void TestSound::markLooksDifferForEachState()
{
    // The operator reads the state from the picture alone: on, muted, and no device (muted
    // or not, F8 still shows its cross).
    const auto look = [](bool muted, bool device) {
        SoundMark mark;
        mark.resize(32, 32);
        mark.setMuted(muted);
        mark.setDeviceAvailable(device);
        return mark.grab().toImage();
    };
    const QImage on = look(false, true);
    const QImage muted = look(true, true);
    const QImage noDevice = look(false, false);
    QVERIFY(on != muted);
    QVERIFY(on != noDevice);
    QVERIFY(muted != noDevice);
    QCOMPARE(look(true, false), muted);
}

void TestSound::settingsSaveKeepsTheSoundState()
{
    window_.reset();
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    QVERIFY(host.start());
    QPointer<Form1> old = host.mainWindow();
    host.setSoundDeviceAvailable(false);
    press(old->controls().T1, Qt::Key_F8);
    QVERIFY(old->soundMuted());
    QTest::mouseClick(old->controls().settxt, Qt::LeftButton);
    QVERIFY(host.settingsWindow());
    emit host.settingsWindow()->settingsSaved();

    QVERIFY(!old);
    Form1 *replaced = host.mainWindow();
    QVERIFY(replaced);
    QVERIFY(replaced->soundMuted());
    const SoundMark *mark = replaced->findChild<SoundMark *>();
    QVERIFY(mark->isMuted());
    QVERIFY(!mark->isDeviceAvailable());
    host.setSoundDeviceAvailable(true);
    QVERIFY(mark->isDeviceAvailable());
}

void TestSound::soundStartsOnceTheWindowIsPainted_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("latestMs");
    QTest::addColumn<int>("runs");
    QTest::newRow("shown: after its first paint, once") << QStringLiteral("show") << 60000 << 1;
    QTest::newRow("never shown: at the latest") << QStringLiteral("hide") << 50 << 1;
    QTest::newRow("closed before it was painted") << QStringLiteral("close") << 60000 << 1;
    QTest::newRow("the sound gone first: never") << QStringLiteral("context") << 50 << 0;
}

void TestSound::soundStartsOnceTheWindowIsPainted()
{
    QFETCH(QString, what);
    QFETCH(int, latestMs);
    QFETCH(int, runs);

    int ran = 0;
    bool paintedFirst = false;
    struct PaintSeen : QObject {
        bool painted = false;
        bool eventFilter(QObject *, QEvent *event) override
        {
            painted = painted || event->type() == QEvent::Paint;
            return false;
        }
    } paints;
    // Made after what the work touches, so gone before it whatever the test's outcome.
    auto window = std::make_unique<QWidget>();
    auto context = std::make_unique<QObject>();
    window->installEventFilter(&paints);
    afterFirstPaint(window.get(), latestMs, context.get(), [&] {
        ++ran;
        paintedFirst = paints.painted;
    });
    if (what == QLatin1String("show")) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_COMPARE(ran, 1);
        QVERIFY(paintedFirst);
        window->repaint();
    } else if (what == QLatin1String("close")) {
        window.reset();
    } else if (what == QLatin1String("context")) {
        context.reset();
        window->show();
    }
    QTest::qWait(std::min(latestMs, 200) + 100);
    QCOMPARE(ran, runs);
}
