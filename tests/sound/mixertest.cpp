#include "soundmixer.h"
#include "soundtests.h"

#include <QTest>

namespace {

// A low rate keeps the numbers small: ramps of 64 frames (8 ms), a fade of 2667 (1/3 s),
// a mute ramp of 160 (20 ms).
constexpr int Rate = 8000;
constexpr int Ramp = 64;
constexpr int Fade = Rate / 3;
constexpr int Mute = 160;

SoundClip clipOf(qsizetype frames, qint16 (*value)(qsizetype))
{
    SoundClip clip;
    clip.sampleRate = Rate;
    for (qsizetype i = 0; i < frames; ++i) {
        clip.samples.push_back(value(i));
        clip.samples.push_back(qint16(-value(i)));
    }
    return clip;
}

SoundClip constant(qsizetype frames, qint16 level)
{
    SoundClip clip;
    clip.sampleRate = Rate;
    clip.samples.assign(size_t(frames) * 2, level);
    return clip;
}

// Frame values that tell every position apart.
qint16 ramp(qsizetype i)
{
    return qint16(100 + i);
}

std::vector<qint16> render(SoundMixer &mixer, qsizetype frames, qsizetype block = 256)
{
    std::vector<qint16> out(size_t(frames) * 2, 12345); // render must overwrite everything
    for (qsizetype at = 0; at < frames; at += block)
        mixer.render(out.data() + 2 * at, std::min(block, frames - at));
    return out;
}

qint16 left(const std::vector<qint16> &out, qsizetype frame)
{
    return out[size_t(2 * frame)];
}

// The largest change from one frame to the next among the first `frames`.
int largestStep(const std::vector<qint16> &out, qsizetype frames = -1)
{
    const size_t end = frames < 0 ? out.size() : size_t(2 * frames);
    int largest = 0;
    for (size_t i = 2; i < end; i += 2)
        largest = std::max(largest, std::abs(out[i] - out[i - 2]));
    return largest;
}

} // namespace

void MixerTest::rollLoopsSeamlessly_data()
{
    QTest::addColumn<int>("block");
    QTest::newRow("a frame at a time") << 1;
    QTest::newRow("blocks across the loop's end") << 333;
    QTest::newRow("blocks longer than the mixer's own") << 5000;
}

void MixerTest::rollLoopsSeamlessly()
{
    QFETCH(int, block);
    SoundMixer mixer(Rate);
    mixer.setRollMusic(clipOf(1000, ramp));
    mixer.startRoll();
    const std::vector<qint16> out = render(mixer, 3500, block);
    for (qsizetype i = Ramp; i < 3500; ++i) {
        QCOMPARE(left(out, i), ramp(i % 1000));
        QCOMPARE(out[size_t(2 * i + 1)], qint16(-ramp(i % 1000)));
    }
    // The start rises from silence instead of jumping to the clip's first value.
    QVERIFY(std::abs(left(out, 0)) <= ramp(0) / Ramp + 1);
    QVERIFY(mixer.isSounding() && mixer.isForegroundPlaying());
}

void MixerTest::fadeReachesSilence()
{
    SoundMixer mixer(Rate);
    mixer.setRollMusic(constant(500, 16000));
    mixer.startRoll();
    render(mixer, 700);
    mixer.fadeOutRoll();
    mixer.fadeOutRoll(); // a second stop press does not restart the fade
    const std::vector<qint16> out = render(mixer, Rate);
    QVERIFY(std::abs(left(out, Fade / 2) - 8000) < 100);
    for (qsizetype i = 1; i < Fade; ++i)
        QVERIFY(left(out, i) <= left(out, i - 1));
    QVERIFY(left(out, Fade - 20) > 0);
    for (qsizetype i = Fade + 2; i < Rate; ++i)
        QCOMPARE(left(out, i), qint16(0));
    QVERIFY(!mixer.isSounding());
    QVERIFY(!mixer.isForegroundPlaying());
}

void MixerTest::fanfarePlaysOnceAndEnds()
{
    SoundMixer mixer(Rate);
    mixer.setFanfare(clipOf(500, ramp));
    mixer.playFanfare();
    const std::vector<qint16> out = render(mixer, 2000);
    for (qsizetype i = Ramp; i < 500; ++i)
        QCOMPARE(left(out, i), ramp(i));
    for (qsizetype i = 500; i < 2000; ++i)
        QCOMPARE(left(out, i), qint16(0));
    QVERIFY(!mixer.isSounding());
    QVERIFY(!mixer.isForegroundPlaying());
}

void MixerTest::fanfareGivesWayToTheNextRoll()
{
    // An operator's four-minute fanfare, and the next roll started under it (its music
    // silent here, so the fanfare alone is heard): it fades as a roll does.
    SoundMixer mixer(Rate);
    mixer.setFanfare(constant(240 * Rate, 12000));
    mixer.setRollMusic(constant(500, 0));
    mixer.playFanfare();
    render(mixer, Rate);
    mixer.startRoll();
    const std::vector<qint16> out = render(mixer, Rate);
    QVERIFY(std::abs(left(out, Fade / 2) - 6000) < 100);
    for (qsizetype i = 1; i < Fade; ++i)
        QVERIFY(left(out, i) <= left(out, i - 1));
    for (qsizetype i = Fade + 2; i < Rate; ++i)
        QCOMPARE(left(out, i), qint16(0));
    QVERIFY(mixer.isForegroundPlaying()); // the roll goes on
}

void MixerTest::restartsFromTheStart_data()
{
    QTest::addColumn<bool>("roll");
    QTest::addColumn<bool>("fading");
    QTest::newRow("fanfare again while it plays") << false << false;
    QTest::newRow("roll again while it rolls") << true << false;
    QTest::newRow("roll again during its fade") << true << true;
}

void MixerTest::restartsFromTheStart()
{
    QFETCH(bool, roll);
    QFETCH(bool, fading);
    SoundMixer mixer(Rate);
    mixer.setRollMusic(clipOf(3000, ramp));
    mixer.setFanfare(clipOf(3000, ramp));
    const auto play = [&] { roll ? mixer.startRoll() : mixer.playFanfare(); };
    play();
    render(mixer, 1500);
    if (fading) {
        mixer.fadeOutRoll();
        render(mixer, 500);
    }
    play();
    const std::vector<qint16> out = render(mixer, 1000);
    // The old sound ramps out while the new one ramps in: no jump bigger than the ramps'.
    QVERIFY2(largestStep(out) < 2 * 2100 / Ramp + 2, qPrintable(QString::number(largestStep(out))));
    for (qsizetype i = Ramp; i < 1000; ++i)
        QCOMPARE(left(out, i), ramp(i)); // full volume again, from the start
}

void MixerTest::newRollClipTakesOver()
{
    SoundMixer mixer(Rate);
    mixer.setRollMusic(constant(1000, 5000));
    mixer.startRoll();
    render(mixer, 700);
    mixer.setRollMusic(clipOf(400, ramp));
    const std::vector<qint16> out = render(mixer, 1000);
    QVERIFY(largestStep(out, 400) < 5200 / Ramp + 2); // the test clip itself jumps at its end
    for (qsizetype i = Ramp; i < 1000; ++i)
        QCOMPARE(left(out, i), ramp(i % 400));
    mixer.setRollMusic(SoundClip{}); // no roll music at all: the roll falls silent
    const std::vector<qint16> silent = render(mixer, 100);
    QCOMPARE(left(silent, Ramp + 1), qint16(0));
    QVERIFY(!mixer.isForegroundPlaying());
}

void MixerTest::stopAllIsQuickAndSmooth()
{
    SoundMixer mixer(Rate);
    mixer.setRollMusic(constant(1000, 10000));
    mixer.setFanfare(constant(5000, 12000));
    mixer.startRoll();
    mixer.playFanfare();
    render(mixer, 300);
    mixer.stopAll();
    QVERIFY(!mixer.isForegroundPlaying());
    QVERIFY(mixer.isSounding()); // the last milliseconds are still to come
    const std::vector<qint16> out = render(mixer, Rate / 100);
    QCOMPARE(left(out, Rate / 100 - 1), qint16(0));
    QVERIFY(largestStep(out) <= 22000 / Ramp + 3);
    QVERIFY(!mixer.isSounding());
}

void MixerTest::muteRampsWhileTimeGoesOn()
{
    SoundMixer mixer(Rate);
    mixer.setFanfare(clipOf(4000, ramp));
    mixer.playFanfare();
    render(mixer, 1000);
    mixer.setMuted(true);
    QVERIFY(mixer.isMuted());
    const std::vector<qint16> muted = render(mixer, 1000);
    QVERIFY(left(muted, 0) > 1000);
    QVERIFY(largestStep(muted) <= 1100 / Mute + 2);
    for (qsizetype i = Mute + 1; i < 1000; ++i)
        QCOMPARE(left(muted, i), qint16(0));
    QVERIFY(mixer.isSounding()); // the fanfare goes on unheard
    mixer.setMuted(false);
    QVERIFY(!mixer.isMuted());
    const std::vector<qint16> heard = render(mixer, 1000);
    QVERIFY(left(heard, 0) <= 2100 / Mute + 1); // rising again from silence
    for (qsizetype i = Mute + 1; i < 1000; ++i)
        QCOMPARE(left(heard, i), ramp(2000 + i)); // where it had got to, not its start
    render(mixer, 1000);
    QVERIFY(!mixer.isSounding());
}

void MixerTest::saturatesInsteadOfWrapping_data()
{
    QTest::addColumn<int>("level");
    QTest::newRow("positive") << 30000;
    QTest::newRow("negative") << -30000;
}

void MixerTest::saturatesInsteadOfWrapping()
{
    QFETCH(int, level);
    SoundMixer mixer(Rate);
    mixer.setRollMusic(constant(1000, qint16(level)));
    mixer.setFanfare(constant(1000, qint16(level)));
    mixer.startRoll();
    mixer.playFanfare();
    const std::vector<qint16> out = render(mixer, 500);
    const qint16 limit = level > 0 ? qint16(32767) : qint16(-32768);
    for (qsizetype i = Ramp; i < 500; ++i)
        QCOMPARE(left(out, i), limit);
}

void MixerTest::reportsWhatIsPlaying_data()
{
    // Steps: roll, fanfare, fade, stop, mute, or a number of frames rendered.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("sounding");
    QTest::addColumn<bool>("foreground");

    QTest::newRow("nothing yet") << QStringList{} << false << false;
    QTest::newRow("rolling") << QStringList{"roll", "5000"} << true << true;
    QTest::newRow("half way through the fade")
        << QStringList{"roll", "fade", "1300"} << true << true;
    QTest::newRow("fade done") << QStringList{"roll", "fade", "2700"} << false << false;
    QTest::newRow("fanfare playing") << QStringList{"fanfare", "1000"} << true << true;
    QTest::newRow("fanfare over") << QStringList{"fanfare", "1200"} << false << false;
    QTest::newRow("fanfare muted on") << QStringList{"fanfare", "mute", "600"} << true << true;
    QTest::newRow("fanfare over, muted")
        << QStringList{"fanfare", "mute", "1200"} << false << false;
    QTest::newRow("fade before any roll") << QStringList{"fade", "10"} << false << false;
    QTest::newRow("stopped") << QStringList{"roll", "fanfare", "100", "stop", "80"} << false
                             << false;
    QTest::newRow("fanfare over, roll on")
        << QStringList{"roll", "fanfare", "1500"} << true << true;
}

void MixerTest::reportsWhatIsPlaying()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, sounding);
    QFETCH(bool, foreground);
    SoundMixer mixer(Rate);
    mixer.setRollMusic(constant(700, 1000));
    mixer.setFanfare(constant(1100, 1000));
    for (const QString &step : steps) {
        if (step == "roll")
            mixer.startRoll();
        else if (step == "fanfare")
            mixer.playFanfare();
        else if (step == "fade")
            mixer.fadeOutRoll();
        else if (step == "stop")
            mixer.stopAll();
        else if (step == "mute")
            mixer.setMuted(true);
        else
            render(mixer, step.toInt());
    }
    QCOMPARE(mixer.isSounding(), sounding);
    QCOMPARE(mixer.isForegroundPlaying(), foreground);
}

void MixerTest::convertsClipsOfAnotherRate()
{
    SoundMixer mixer(Rate);
    QCOMPARE(mixer.sampleRate(), Rate);
    SoundClip clip = constant(400, 3000);
    clip.sampleRate = Rate / 2;
    mixer.setFanfare(clip);
    mixer.playFanfare();
    const std::vector<qint16> out = render(mixer, 1000);
    QCOMPARE(left(out, 790), qint16(3000));
    QCOMPARE(left(out, 810), qint16(0));
}
