#include "soundclip.h"
#include "soundtests.h"

#include <QTest>

#include <cmath>
#include <numbers>

namespace {

int zeroCrossings(const SoundClip &clip)
{
    int crossings = 0;
    for (qsizetype i = 1; i < clip.frames(); ++i) {
        if ((clip.samples[size_t(2 * i - 2)] < 0) != (clip.samples[size_t(2 * i)] < 0))
            ++crossings;
    }
    return crossings;
}

} // namespace

void ResampleTest::keepsFrequencyAndLength_data()
{
    QTest::addColumn<int>("fromRate");
    QTest::addColumn<int>("toRate");
    QTest::addColumn<int>("hz");
    QTest::addColumn<int>("channels");
    QTest::addColumn<bool>("asFloat");

    QTest::newRow("48000 to 44100, stereo") << 48000 << 44100 << 1000 << 2 << false;
    QTest::newRow("44100 to 48000, mono") << 44100 << 48000 << 440 << 1 << false;
    QTest::newRow("22050 to 48000, float") << 22050 << 48000 << 3000 << 2 << true;
    QTest::newRow("96000 to 48000, 6 channels") << 96000 << 48000 << 5000 << 6 << false;
    QTest::newRow("8000 to 48000, float mono") << 8000 << 48000 << 300 << 1 << true;
    QTest::newRow("same rate") << 48000 << 48000 << 2000 << 2 << true;
}

void ResampleTest::keepsFrequencyAndLength()
{
    QFETCH(int, fromRate);
    QFETCH(int, toRate);
    QFETCH(int, hz);
    QFETCH(int, channels);
    QFETCH(bool, asFloat);

    // One second of a sine in every channel, starting a little after a zero crossing so that
    // rounding at the start does not count as one.
    std::vector<float> floats;
    std::vector<qint16> ints;
    for (int i = 0; i < fromRate; ++i) {
        const double value = std::sin(2.0 * std::numbers::pi * hz * (i + 0.25) / fromRate) * 0.8;
        for (int c = 0; c < channels; ++c) {
            floats.push_back(float(value));
            ints.push_back(qint16(std::lround(value * 32767.0)));
        }
    }
    const SoundClip clip =
        asFloat ? toStereoClip(floats.data(), fromRate, channels, fromRate, toRate, 10 * toRate)
                : toStereoClip(ints.data(), fromRate, channels, fromRate, toRate, 10 * toRate);
    QCOMPARE(clip.sampleRate, toRate);
    QCOMPARE(clip.frames(), toRate);
    const int crossings = zeroCrossings(clip);
    QVERIFY2(std::abs(crossings - 2 * hz) <= 1, qPrintable(QString::number(crossings)));
    qint16 peak = 0;
    for (qsizetype i = 0; i < clip.frames(); ++i) {
        QCOMPARE(clip.samples[size_t(2 * i)], clip.samples[size_t(2 * i + 1)]);
        peak = std::max(peak, clip.samples[size_t(2 * i)]);
    }
    // Linear interpolation loses a little at the peaks, never gains.
    QVERIFY2(peak > 0.7 * 32767 && peak <= 0.8 * 32767 + 1, qPrintable(QString::number(peak)));
}

void ResampleTest::interpolatesBetweenFrames()
{
    const qint16 mono[] = {0, 1000, -1000};
    const SoundClip clip = toStereoClip(mono, 3, 1, 1, 4, 100);
    const std::vector<qint16> left{0, 250,  500,   750,   1000,  500,
                                   0, -500, -1000, -1000, -1000, -1000};
    QCOMPARE(clip.frames(), 12);
    for (size_t i = 0; i < left.size(); ++i) {
        QCOMPARE(clip.samples[2 * i], left[i]);
        QCOMPARE(clip.samples[2 * i + 1], left[i]);
    }
}

void ResampleTest::capsTheOutput()
{
    std::vector<qint16> ramp;
    for (int i = 0; i < 48000; ++i) {
        ramp.push_back(qint16(i % 30000));
        ramp.push_back(qint16(-(i % 30000)));
    }
    const SoundClip full = toStereoClip(ramp.data(), 48000, 2, 48000, 44100, 1'000'000);
    const SoundClip capped = toStereoClip(ramp.data(), 48000, 2, 48000, 44100, 1000);
    QCOMPARE(full.frames(), 44100);
    QCOMPARE(capped.frames(), 1000);
    QVERIFY(std::equal(capped.samples.begin(), capped.samples.end(), full.samples.begin()));
}

void ResampleTest::refusesNonsense_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("fromRate");
    QTest::addColumn<int>("toRate");
    QTest::addColumn<int>("maxFrames");

    QTest::newRow("no frames") << 0 << 2 << 48000 << 48000 << 100;
    QTest::newRow("no channels") << 4 << 0 << 48000 << 48000 << 100;
    QTest::newRow("no source rate") << 4 << 2 << 0 << 48000 << 100;
    QTest::newRow("negative target rate") << 4 << 2 << 48000 << -1 << 100;
    QTest::newRow("no room") << 4 << 2 << 48000 << 48000 << 0;
}

void ResampleTest::refusesNonsense()
{
    QFETCH(int, frames);
    QFETCH(int, channels);
    QFETCH(int, fromRate);
    QFETCH(int, toRate);
    QFETCH(int, maxFrames);

    const qint16 ints[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const float floats[8] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};
    QVERIFY(toStereoClip(ints, frames, channels, fromRate, toRate, maxFrames).isEmpty());
    QVERIFY(toStereoClip(floats, frames, channels, fromRate, toRate, maxFrames).isEmpty());
    QVERIFY(toStereoClip(static_cast<const qint16 *>(nullptr), 4, 2, 48000, 48000, 100).isEmpty());
}
