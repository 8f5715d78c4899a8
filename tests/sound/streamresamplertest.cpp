#include "streamresampler.h"
#include "soundtests.h"

#include <QTest>

#include <cmath>
#include <numbers>

namespace {

constexpr int ToRate = 48000;

std::vector<qint16> sine(int rate, qsizetype frames, double hertz, double amplitude)
{
    std::vector<qint16> samples;
    for (qsizetype i = 0; i < frames; ++i) {
        const auto value = qint16(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hertz * double(i) / rate)));
        samples.push_back(value);
        samples.push_back(qint16(-value));
    }
    return samples;
}

// The stereo samples in blocks of the given sizes, taken in turn until all are used.
std::vector<qint16> inBlocks(StreamResampler &resampler, const std::vector<qint16> &samples,
                             int rate, const QList<int> &blocks)
{
    std::vector<qint16> out;
    const qsizetype frames = qsizetype(samples.size() / 2);
    qsizetype at = 0;
    for (int i = 0; at < frames; ++i) {
        const qsizetype size = std::min<qsizetype>(blocks[i % blocks.size()], frames - at);
        resampler.convert(samples.data() + 2 * at, size, 2, rate, out);
        at += size;
    }
    return out;
}

} // namespace

void StreamResamplerTest::joinsAreNotHeard_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QList<int>>("blocks");
    // How far from the true tone a frame may be: cubic interpolation's error grows as the
    // music's rate falls (half a percent at 32 kHz, two at 22 kHz for this 1 kHz tone).
    QTest::addColumn<int>("tolerance");
    QTest::newRow("CD rate, MP3 frames") << 44100 << QList<int>{1152} << 40;
    QTest::newRow("CD rate, odd blocks") << 44100 << QList<int>{7, 1, 1000, 2, 333} << 40;
    QTest::newRow("same rate") << 48000 << QList<int>{1024, 5} << 1;
    QTest::newRow("low rate, frame by frame") << 22050 << QList<int>{1} << 330;
    QTest::newRow("high rate") << 96000 << QList<int>{4096, 3} << 10;
    QTest::newRow("radio rate") << 32000 << QList<int>{576, 1, 2} << 130;
}

void StreamResamplerTest::joinsAreNotHeard()
{
    QFETCH(int, rate);
    QFETCH(QList<int>, blocks);
    QFETCH(int, tolerance);
    const qsizetype frames = rate / 2;
    const double hertz = 1000;
    const double amplitude = 16000;
    const std::vector<qint16> samples = sine(rate, frames, hertz, amplitude);

    StreamResampler whole(ToRate);
    std::vector<qint16> expected;
    whole.convert(samples.data(), frames, 2, rate, expected);
    StreamResampler blockwise(ToRate);
    // However the decoder cuts the music into blocks, the result is the same.
    QCOMPARE(inBlocks(blockwise, samples, rate, blocks), expected);

    // Nothing lost or added but the last frames, which wait for the next block...
    const qsizetype outFrames = qsizetype(expected.size() / 2);
    const qsizetype ideal = frames * ToRate / rate;
    QVERIFY2(outFrames <= ideal && outFrames >= ideal - 3 * ToRate / rate - 1,
             qPrintable(QStringLiteral("%1 of %2").arg(outFrames).arg(ideal)));
    // ...and each frame is the tone at its own moment, within a few steps of 16 bits.
    int worst = 0;
    for (qsizetype j = 0; j < outFrames; ++j) {
        const double value =
            amplitude * std::sin(2 * std::numbers::pi * hertz * double(j) / ToRate);
        worst = std::max(worst, int(std::abs(expected[size_t(2 * j)] - value)));
        QCOMPARE(expected[size_t(2 * j + 1)], qint16(-expected[size_t(2 * j)]));
    }
    QVERIFY2(worst <= tolerance, qPrintable(QString::number(worst)));
}

void StreamResamplerTest::readsEverySampleFormat()
{
    // A constant level of a quarter scale, in each format and channel layout, comes out as
    // 8192 on both sides.
    StreamResampler resampler(ToRate);
    std::vector<qint16> out;
    const std::vector<quint8> u8(64, quint8(128 + 32));
    resampler.convert(u8.data(), 64, 1, ToRate, out);
    const std::vector<qint32> s32(64 * 2, qint32(1) << 29);
    resampler.reset();
    resampler.convert(s32.data(), 64, 2, ToRate, out);
    const std::vector<float> f32(64 * 6, 0.25f);
    resampler.reset();
    resampler.convert(f32.data(), 64, 6, ToRate, out);
    const std::vector<qint16> s16(64 * 2, qint16(8192));
    resampler.reset();
    resampler.convert(s16.data(), 64, 2, ToRate, out);
    QCOMPARE(qsizetype(out.size()), qsizetype(4 * 2 * (64 - 2)));
    for (qint16 sample : out)
        QCOMPARE(sample, qint16(8192));
}

void StreamResamplerTest::newRateStartsAfresh()
{
    // A block of another rate is not interpolated against the old one's frames.
    StreamResampler resampler(ToRate);
    std::vector<qint16> out;
    const std::vector<qint16> loud(100 * 2, qint16(20000));
    const std::vector<qint16> quiet(100 * 2, qint16(-20000));
    resampler.convert(loud.data(), 100, 2, 44100, out);
    const size_t before = out.size();
    resampler.convert(quiet.data(), 100, 2, 48000, out);
    QVERIFY(out.size() > before);
    for (size_t i = before; i < out.size(); ++i)
        QCOMPARE(out[i], qint16(-20000));
    // Nonsense gives nothing and keeps what there was.
    const size_t now = out.size();
    resampler.convert(quiet.data(), 100, 0, 48000, out);
    resampler.convert(quiet.data(), 100, 2, 0, out);
    QCOMPARE(out.size(), now);
}
