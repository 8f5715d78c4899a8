#include "builtinsounds.h"
#include "soundtests.h"

#include <QTest>

#include <cmath>

namespace {

double peakDbfs(const SoundClip &clip)
{
    int peak = 1;
    for (qint16 s : clip.samples)
        peak = std::max(peak, std::abs(int(s)));
    return 20.0 * std::log10(peak / 32768.0);
}

double mean(const SoundClip &clip, int side)
{
    double sum = 0.0;
    for (qsizetype i = 0; i < clip.frames(); ++i)
        sum += clip.samples[size_t(2 * i + side)];
    return sum / double(clip.frames());
}

double rmsDbfs(const SoundClip &clip)
{
    double sum = 0.0;
    for (qint16 s : clip.samples)
        sum += double(s) * s;
    return 10.0 * std::log10(sum / double(clip.samples.size()) / (32768.0 * 32768.0));
}

void addRates()
{
    QTest::addColumn<int>("rate");
    QTest::newRow("48000 Hz") << 48000;
    QTest::newRow("44100 Hz") << 44100;
}

} // namespace

void BuiltinSoundsTest::haveTheirShape_data()
{
    addRates();
}

void BuiltinSoundsTest::haveTheirShape()
{
    QFETCH(int, rate);
    const SoundClip roll = builtinRollMusic(rate);
    const SoundClip fanfare = builtinFanfare(rate);
    QCOMPARE(roll.sampleRate, rate);
    QCOMPARE(fanfare.sampleRate, rate);
    QVERIFY(roll.frames() >= 4 * rate && roll.frames() <= 8 * rate);
    QVERIFY(fanfare.frames() >= 2 * rate && fanfare.frames() <= 4 * rate);
    for (const SoundClip *clip : {&roll, &fanfare}) {
        // Loud enough for a hall, with room left and nothing clipped.
        const double peak = peakDbfs(*clip);
        QVERIFY2(peak <= -2.0 && peak > -12.0, qPrintable(QString::number(peak)));
        QVERIFY2(rmsDbfs(*clip) > -24.0, qPrintable(QString::number(rmsDbfs(*clip))));
        for (int side = 0; side < 2; ++side)
            QVERIFY2(std::abs(mean(*clip, side)) < 30.0,
                     qPrintable(QString::number(mean(*clip, side))));
    }
}

void BuiltinSoundsTest::rollLoopHasNoSeam_data()
{
    addRates();
}

void BuiltinSoundsTest::rollLoopHasNoSeam()
{
    QFETCH(int, rate);
    const SoundClip roll = builtinRollMusic(rate);
    QVERIFY(!roll.isEmpty());
    // From the last frame to the first is a step like any other around it: the music runs
    // on, with no jump (a click) and no gap.
    const qsizetype n = roll.frames();
    const qsizetype around = rate / 200;
    for (int side = 0; side < 2; ++side) {
        const auto at = [&](qsizetype i) {
            return int(roll.samples[size_t(2 * ((i + n) % n) + side)]);
        };
        int largest = 0;
        int loudest = 0;
        for (qsizetype i = -around; i < around; ++i) {
            if (i != -1)
                largest = std::max(largest, std::abs(at(i + 1) - at(i)));
            loudest = std::max(loudest, std::abs(at(i)));
        }
        QVERIFY2(
            std::abs(at(0) - at(-1)) <= largest,
            qPrintable(QStringLiteral("%1 against %2").arg(std::abs(at(0) - at(-1))).arg(largest)));
        QVERIFY(loudest > 1000);
    }
}

void BuiltinSoundsTest::fanfareEndsInSilence_data()
{
    addRates();
}

void BuiltinSoundsTest::fanfareEndsInSilence()
{
    QFETCH(int, rate);
    const SoundClip fanfare = builtinFanfare(rate);
    QVERIFY(!fanfare.isEmpty());
    const qsizetype n = fanfare.frames();
    // The last 100 ms are silent, the 300 ms before them die away, and it starts at once.
    for (qsizetype i = n - rate / 10; i < n; ++i)
        QVERIFY(fanfare.samples[size_t(2 * i)] == 0 && fanfare.samples[size_t(2 * i + 1)] == 0);
    for (qsizetype i = n - rate * 4 / 10; i < n; ++i)
        QVERIFY(std::abs(fanfare.samples[size_t(2 * i)]) < 3000);
    int start = 0;
    for (qsizetype i = 0; i < rate / 20; ++i)
        start = std::max(start, std::abs(int(fanfare.samples[size_t(2 * i)])));
    QVERIFY(start > 3000);
}
