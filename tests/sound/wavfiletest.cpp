#include "wavfile.h"
#include "soundtests.h"

#include <QTest>
#include <QtEndian>

#include <cmath>
#include <limits>

using Samples = std::vector<qint16>;

namespace {

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le24(qint32 v)
{
    return le32(quint32(v)).left(3);
}

template <typename T> QByteArray bytesOf(std::initializer_list<T> values)
{
    QByteArray b;
    for (T v : values) {
        char le[sizeof(T)];
        qToLittleEndian(v, le);
        b.append(le, sizeof(T));
    }
    return b;
}

// A chunk as RIFF lays it out: an odd body is followed by a pad byte.
QByteArray chunk(const char *id, const QByteArray &body)
{
    QByteArray b = QByteArray(id, 4) + le32(quint32(body.size())) + body;
    if (body.size() % 2)
        b.append('\0');
    return b;
}

QByteArray fmt(quint16 tag, int channels, int rate, int bits)
{
    const int align = channels * ((bits + 7) / 8);
    return chunk("fmt ", le16(tag) + le16(quint16(channels)) + le32(quint32(rate)) +
                             le32(quint32(rate * align)) + le16(quint16(align)) +
                             le16(quint16(bits)));
}

// WAVE_FORMAT_EXTENSIBLE with the sub-format GUID of `tag`, as Windows and ffmpeg write
// it for more than two channels or more than 16 bits.
QByteArray extensible(quint16 tag, int channels, int rate, int bits)
{
    const int align = channels * bits / 8;
    const QByteArray guidTail = QByteArray::fromHex("000000001000800000aa00389b71");
    return chunk("fmt ", le16(0xFFFE) + le16(quint16(channels)) + le32(quint32(rate)) +
                             le32(quint32(rate * align)) + le16(quint16(align)) +
                             le16(quint16(bits)) + le16(22) + le16(quint16(bits)) + le32(0x3F) +
                             le16(tag) + guidTail);
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

QByteArray wav(const QByteArray &format, const QByteArray &data)
{
    return riff(format + chunk("data", data));
}

Samples stereo(std::initializer_list<int> mono)
{
    Samples s;
    for (int v : mono) {
        s.push_back(qint16(v));
        s.push_back(qint16(v));
    }
    return s;
}

} // namespace

void WavFileTest::reads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rate");
    QTest::addColumn<Samples>("samples");

    const QByteArray pcm16 = bytesOf<qint16>({1000, -1000, 32767, -32768});
    const Samples pcm16Samples{1000, -1000, 32767, -32768};
    const QByteArray pcm24 = le24(0x123456) + le24(-0x100000) + le24(0x7FFFFF) + le24(-0x800000);
    const Samples pcm24Samples{4660, -4096, 32767, -32768};
    const QByteArray float32 = bytesOf<float>({0.5f, -0.5f, 1.5f, -1.0f});
    const Samples float32Samples{16384, -16384, 32767, -32767};

    QTest::newRow("8-bit PCM mono, unsigned")
        << wav(fmt(1, 1, 8000, 8), QByteArray::fromHex("80ff00c0")) << 8000
        << stereo({0, 32512, -32768, 16384});
    QTest::newRow("16-bit PCM stereo") << wav(fmt(1, 2, 44100, 16), pcm16) << 44100 << pcm16Samples;
    QTest::newRow("24-bit PCM stereo") << wav(fmt(1, 2, 48000, 24), pcm24) << 48000 << pcm24Samples;
    QTest::newRow("32-bit PCM stereo")
        << wav(fmt(1, 2, 48000, 32),
               bytesOf<qint32>({0x40000000, -0x40000000, 0x7FFFFFFF, 0x18000}))
        << 48000 << Samples{16384, -16384, 32767, 2};
    QTest::newRow("32-bit float stereo, over full scale clipped")
        << wav(fmt(3, 2, 48000, 32), float32) << 48000 << float32Samples;
    QTest::newRow("64-bit float mono, NaN as silence")
        << wav(fmt(3, 1, 22050, 64),
               bytesOf<double>({0.25, -0.25, std::numeric_limits<double>::quiet_NaN(), 0.0}))
        << 22050 << stereo({8192, -8192, 0, 0});
    QTest::newRow("extensible 24-bit PCM")
        << wav(extensible(1, 2, 96000, 24), pcm24) << 96000 << pcm24Samples;
    QTest::newRow("extensible 32-bit float")
        << wav(extensible(3, 2, 48000, 32), float32) << 48000 << float32Samples;
    // Front left, front right, centre, bass, back left, back right: the first two keep their
    // sides, the rest go to both at half weight, and a signal in all six keeps its level.
    QTest::newRow("5.1 extensible, down-mixed")
        << wav(extensible(1, 6, 48000, 16),
               bytesOf<qint16>({1200, -1200, 600, 0, 400, 200, 3000, 3000, 3000, 3000, 3000, 3000}))
        << 48000 << Samples{600, -200, 3000, 3000};
    QTest::newRow("odd chunks padded: LIST, odd data, a chunk after it")
        << riff(fmt(1, 1, 8000, 8) + chunk("LIST", "INFOabc") +
                chunk("data", QByteArray::fromHex("8090a0")) + chunk("id3 ", "xyz"))
        << 8000 << stereo({0, 4096, 8192});
    QTest::newRow("JUNK first, fmt after, fact before data")
        << riff(chunk("JUNK", QByteArray(28, '\0')) + fmt(1, 2, 48000, 16) +
                chunk("fact", le32(2)) + chunk("data", pcm16))
        << 48000 << pcm16Samples;
    // A recorder killed mid-stream leaves the sizes as it wrote them at the start.
    QTest::newRow("data size overruns the file, half a frame at the end")
        << "RIFF" + le32(0xFFFFFFFF) + "WAVE" + fmt(1, 2, 48000, 16) + "data" + le32(0xFFFFFFFF) +
               pcm16 + "\x01\x02"
        << 48000 << pcm16Samples;
    QTest::newRow("RIFF size zero")
        << "RIFF" + le32(0) + "WAVE" + fmt(1, 2, 48000, 16) + chunk("data", pcm16) << 48000
        << pcm16Samples;
}

void WavFileTest::reads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rate);
    QFETCH(Samples, samples);

    QString error;
    const std::optional<SoundClip> clip = readWav(bytes, rate, 1000, &error);
    QVERIFY2(clip, qPrintable(error));
    QCOMPARE(clip->sampleRate, rate);
    QCOMPARE(clip->samples, samples);
}

void WavFileTest::rejects_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    const QByteArray data = chunk("data", bytesOf<qint16>({1, 2, 3, 4}));
    const QString notWav = QStringLiteral("不是 WAV 文件");
    const QString header = QStringLiteral("文件头不完整");
    const QString compressed = QStringLiteral("压缩格式");
    const QString noData = QStringLiteral("没有声音数据");
    const QString bits = QStringLiteral("采样位数");

    QTest::newRow("empty file") << QByteArray() << notWav;
    QTest::newRow("an MP3 named .wav") << QByteArray("ID3\x03\0\0\0\0\0\0\xff\xfb", 12) << notWav;
    QTest::newRow("AVI: RIFF but not WAVE") << "RIFF" + le32(4) + "AVI " << notWav;
    QTest::newRow("IMA ADPCM") << riff(fmt(0x11, 2, 44100, 4) + data) << compressed;
    QTest::newRow("Microsoft ADPCM") << riff(fmt(2, 1, 22050, 4) + data) << compressed;
    QTest::newRow("MP3 in WAV") << riff(fmt(0x55, 2, 44100, 0) + data) << compressed;
    QTest::newRow("extensible, ADPCM inside")
        << riff(extensible(2, 2, 44100, 16) + data) << compressed;
    QTest::newRow("extensible, a foreign GUID")
        << riff(extensible(1, 2, 44100, 16).replace(36, 4, "\x12\x34\x56\x78") + data)
        << QStringLiteral("不支持的格式");
    QTest::newRow("header only") << "RIFF" + le32(4) + "WAVE" << header;
    QTest::newRow("fmt cut short") << riff(fmt(1, 2, 44100, 16)).left(12 + 8 + 10) << header;
    QTest::newRow("fmt chunk too small") << riff(chunk("fmt ", le16(1) + le16(2)) + data) << header;
    QTest::newRow("no data chunk") << riff(fmt(1, 2, 44100, 16) + chunk("LIST", "INFO")) << noData;
    QTest::newRow("less than a frame of data")
        << riff(fmt(1, 2, 44100, 24) + chunk("data", "\1\2\3\4\5")) << noData;
    QTest::newRow("16-bit float") << riff(fmt(3, 2, 44100, 16) + data) << bits;
    QTest::newRow("no channels") << riff(fmt(1, 0, 44100, 16) + data) << QStringLiteral("没有声道");
}

void WavFileTest::rejects()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);

    QString error;
    QVERIFY(!readWav(bytes, 48000, 1000, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY(!readWav(bytes, 48000, 1000, nullptr)); // no place for a reason is fine too
}

void WavFileTest::writesWhatItReads()
{
    SoundClip clip;
    clip.sampleRate = 44100;
    for (int i = 0; i < 1001; ++i) {
        clip.samples.push_back(qint16(i * 65 - 32768));
        clip.samples.push_back(qint16(32767 - i * 65));
    }
    const QByteArray bytes = wavBytes(clip);
    QCOMPARE(bytes.size(), 44 + 1001 * 4);
    QCOMPARE(bytes.left(4), QByteArray("RIFF"));
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(bytes.size() - 8));
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 28), quint32(44100 * 4)); // byte rate
    const std::optional<SoundClip> back = readWav(bytes, 44100, 2000, nullptr);
    QVERIFY(back);
    QCOMPARE(back->samples, clip.samples);
}

void WavFileTest::resamplesAndCaps()
{
    // 100 frames at 8000 Hz are 600 at 48000; the cap keeps the first 250 of them.
    QByteArray data;
    for (int i = 0; i < 100; ++i)
        data += bytesOf<qint16>({qint16(i * 100), qint16(-i * 100)});
    const QByteArray bytes = wav(fmt(1, 2, 8000, 16), data);
    const std::optional<SoundClip> full = readWav(bytes, 48000, 10'000, nullptr);
    const std::optional<SoundClip> capped = readWav(bytes, 48000, 250, nullptr);
    QVERIFY(full && capped);
    QCOMPARE(full->frames(), 600);
    QCOMPARE(capped->frames(), 250);
    QVERIFY(std::equal(capped->samples.begin(), capped->samples.end(), full->samples.begin()));
    QCOMPARE(full->samples[2 * 6], qint16(100)); // frame 6 is the source's frame 1
    QCOMPARE(full->samples[2 * 9 + 1], qint16(-150));
}
