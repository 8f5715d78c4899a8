#include "framequeue.h"
#include "soundmixer.h"
#include "soundtests.h"

#include <QTest>

namespace {

// As in the mixer's test: ramps of 64 frames, a duck of 2667 frames (1/3 s).
constexpr int Rate = 8000;
constexpr int Ramp = 64;
constexpr int Duck = Rate / 3;
constexpr qint16 Level = 10000;

void queueConstant(SoundMixer &mixer, qsizetype frames, qint16 level = Level)
{
    const std::vector<qint16> samples(size_t(frames) * 2, level);
    mixer.queueBackground(samples.data(), frames);
}

std::vector<qint16> render(SoundMixer &mixer, qsizetype frames)
{
    std::vector<qint16> out(size_t(frames) * 2, 12345);
    for (qsizetype at = 0; at < frames; at += 300)
        mixer.render(out.data() + 2 * at, std::min<qsizetype>(300, frames - at));
    return out;
}

int largestStep(const std::vector<qint16> &out)
{
    int largest = 0;
    for (size_t i = 2; i < out.size(); i += 2)
        largest = std::max(largest, std::abs(out[i] - out[i - 2]));
    return largest;
}

SoundClip silentClip(qsizetype frames)
{
    SoundClip clip;
    clip.sampleRate = Rate;
    clip.samples.assign(size_t(frames) * 2, 0);
    return clip;
}

} // namespace

void BackgroundTest::queueKeepsOrder_data()
{
    // Pushes (positive) and pops (negative) of that many frames, in turn.
    QTest::addColumn<QList<int>>("steps");
    QTest::newRow("one in, one out") << QList<int>{5, -5};
    QTest::newRow("pop more than there is") << QList<int>{3, -10, 4, -2, -9};
    QTest::newRow("pop from nothing") << QList<int>{-4, 2, -2, -1};
    QTest::newRow("wraps around") << QList<int>{8, -6, 5, -4, 6, -20};
    QTest::newRow("grows while wrapped") << QList<int>{8, -6, 5, -3, 40, -100};
    QTest::newRow("grows from empty by a lot") << QList<int>{1, 1000, -500, 700, -2000};
}

void BackgroundTest::queueKeepsOrder()
{
    QFETCH(QList<int>, steps);
    FrameQueue queue;
    int pushed = 0;
    int popped = 0;
    for (int step : steps) {
        if (step > 0) {
            std::vector<qint16> samples(size_t(step) * 2);
            for (int i = 0; i < step; ++i) {
                samples[size_t(2 * i)] = qint16(pushed + i);
                samples[size_t(2 * i + 1)] = qint16(-(pushed + i));
            }
            queue.push(samples.data(), step);
            pushed += step;
        } else {
            std::vector<qint16> out(size_t(-step) * 2, 0);
            const qsizetype got = queue.pop(out.data(), -step);
            QCOMPARE(got, qsizetype(std::min(-step, pushed - popped)));
            for (qsizetype i = 0; i < got; ++i) {
                QCOMPARE(out[size_t(2 * i)], qint16(popped + i));
                QCOMPARE(out[size_t(2 * i + 1)], qint16(-(popped + i)));
            }
            popped += int(got);
        }
        QCOMPARE(queue.frames(), qsizetype(pushed - popped));
    }
    queue.clear();
    QCOMPARE(queue.frames(), qsizetype(0));
}

void BackgroundTest::levelFollowsTheForeground_data()
{
    // Steps: roll, fade, fanfare, mute, unmute, stop, start, or a number of frames rendered.
    // The background is started and 20000 frames are queued first; the roll and the
    // fanfare are silent, so what is heard is the background alone.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("sounding");

    QTest::newRow("alone, full") << QStringList{"200"} << int(Level) << true;
    QTest::newRow("rising from silence")
        << QStringList{QString::number(Ramp / 2 - 1)} << Level / 2 << true;
    QTest::newRow("under the roll") << QStringList{"roll", "3000"} << Level / 5 << true;
    QTest::newRow("half way down")
        << QStringList{"200", "roll", QString::number(Duck / 2)} << Level / 2 << true;
    QTest::newRow("back after the roll's fade")
        << QStringList{"roll", "3000", "fade", "6000"} << int(Level) << true;
    QTest::newRow("under the fanfare") << QStringList{"fanfare", "3000"} << Level / 5 << true;
    QTest::newRow("muted") << QStringList{"mute", "500"} << 0 << true;
    QTest::newRow("unmuted") << QStringList{"mute", "500", "unmute", "500"} << int(Level) << true;
    QTest::newRow("stopped") << QStringList{"500", "stop", "100"} << 0 << false;
    QTest::newRow("started again: what was queued is dropped")
        << QStringList{"500", "start", "100"} << 0 << true;
    QTest::newRow("ran dry, still on") << QStringList{"20100"} << 0 << true;
}

void BackgroundTest::levelFollowsTheForeground()
{
    QFETCH(QStringList, steps);
    QFETCH(int, level);
    QFETCH(bool, sounding);
    SoundMixer mixer(Rate);
    mixer.setRollMusic(silentClip(5000));
    mixer.setFanfare(silentClip(5000));
    mixer.startBackground();
    queueConstant(mixer, 20000);
    std::vector<qint16> out;
    for (const QString &step : steps) {
        if (step == "roll")
            mixer.startRoll();
        else if (step == "fade")
            mixer.fadeOutRoll();
        else if (step == "fanfare")
            mixer.playFanfare();
        else if (step == "mute")
            mixer.setMuted(true);
        else if (step == "unmute")
            mixer.setMuted(false);
        else if (step == "stop")
            mixer.stopBackground();
        else if (step == "start")
            mixer.startBackground();
        else
            out = render(mixer, step.toInt());
    }
    QVERIFY(!out.empty());
    QVERIFY2(std::abs(out[out.size() - 2] - level) <= Level / 50,
             qPrintable(QString::number(out[out.size() - 2])));
    QCOMPARE(out[out.size() - 1], out[out.size() - 2]); // both sides alike
    QCOMPARE(mixer.isSounding(), sounding);
}

void BackgroundTest::changesWithoutClicks()
{
    // Every change of level is a ramp: the start, the ducking both ways, a gap in the
    // decoding and the stop.
    SoundMixer mixer(Rate);
    mixer.setRollMusic(silentClip(500));
    mixer.startBackground();
    queueConstant(mixer, 6000);
    const std::vector<qint16> out = render(mixer, 100);
    mixer.startRoll();
    const std::vector<qint16> ducked = render(mixer, 3000);
    mixer.fadeOutRoll();
    const std::vector<qint16> back = render(mixer, 2800);
    const std::vector<qint16> dry = render(mixer, 200); // 100 left, then a gap
    queueConstant(mixer, 2000);
    const std::vector<qint16> again = render(mixer, 200);
    mixer.stopBackground();
    const std::vector<qint16> stopped = render(mixer, 200);
    for (const std::vector<qint16> *part : {&out, &ducked, &back, &again, &stopped})
        QVERIFY2(largestStep(*part) <= Level / Ramp + 2,
                 qPrintable(QString::number(largestStep(*part))));
    QCOMPARE(dry.back(), qint16(0));
    QCOMPARE(stopped.back(), qint16(0));
    QVERIFY(!mixer.isSounding());
    // Stopped, the music's last frames are dropped, and what comes late is not queued.
    queueConstant(mixer, 100);
    QCOMPARE(mixer.backgroundQueued(), qsizetype(0));
}
