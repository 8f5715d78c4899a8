#include "wavfile.h"
#include "soundconvert.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr quint16 FormatPcm = 1;
constexpr quint16 FormatFloat = 3;
constexpr quint16 FormatExtensible = 0xFFFE;
// The tail that every KSDATAFORMAT_SUBTYPE GUID of a plain format shares; its first two
// bytes hold the format tag.
constexpr unsigned char SubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                           0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct Format {
    quint16 tag = 0;
    int channels = 0;
    int sampleRate = 0;
    int bits = 0;
};

quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

bool readFormat(const char *p, quint32 size, Format *format, QString *error)
{
    if (size < 16)
        return fail(error, QStringLiteral("WAV 文件头不完整"));
    format->tag = u16(p);
    format->channels = u16(p + 2);
    format->sampleRate = int(std::min<quint32>(u32(p + 4), 0x7FFFFFFF));
    format->bits = u16(p + 14);
    if (format->tag == FormatExtensible) {
        if (size < 40)
            return fail(error, QStringLiteral("WAV 文件头不完整"));
        const char *subtype = p + 24;
        if (std::memcmp(subtype + 2, SubtypeTail, sizeof SubtypeTail) != 0)
            return fail(error, QStringLiteral("WAV 文件是不支持的格式"));
        format->tag = u16(subtype);
    }
    if (format->tag != FormatPcm && format->tag != FormatFloat) {
        return fail(error, QStringLiteral("WAV 文件是压缩格式（编码 0x%1），只能读未压缩的 WAV")
                               .arg(format->tag, 4, 16, QLatin1Char('0')));
    }
    if (format->channels == 0 || format->sampleRate == 0)
        return fail(error, QStringLiteral("WAV 文件头有误：没有声道或采样率"));
    const bool pcmBits = format->tag == FormatPcm && format->bits >= 1 && format->bits <= 32;
    const bool floatBits = format->tag == FormatFloat && (format->bits == 32 || format->bits == 64);
    if (!pcmBits && !floatBits)
        return fail(error, QStringLiteral("WAV 文件的采样位数（%1 位）不支持").arg(format->bits));
    return true;
}

// One sample in 16-bit scale from its container. PCM wider than 8 bits is signed and
// left-justified in its bytes, so the whole container read as a number is the sample.
template <int Bytes, bool IsFloat> float sampleAt(const char *p)
{
    if constexpr (IsFloat && Bytes == 4) {
        float v;
        std::memcpy(&v, p, 4);
        v = qFromLittleEndian(v);
        return v == v ? std::clamp(v, -1.0f, 1.0f) * 32767.0f : 0.0f;
    } else if constexpr (IsFloat) {
        double v;
        std::memcpy(&v, p, 8);
        v = qFromLittleEndian(v);
        return v == v ? float(std::clamp(v, -1.0, 1.0) * 32767.0) : 0.0f;
    } else if constexpr (Bytes == 1) {
        return float((int(quint8(*p)) - 128) * 256);
    } else if constexpr (Bytes == 2) {
        return float(qint16(u16(p)));
    } else if constexpr (Bytes == 3) {
        const qint32 v = qint32(quint32(quint8(p[0])) << 8 | quint32(quint8(p[1])) << 16 |
                                quint32(quint8(p[2])) << 24);
        return float(v) / 65536.0f;
    } else {
        return float(qint32(u32(p))) / 65536.0f;
    }
}

template <int Bytes, bool IsFloat>
SoundClip convert(const char *data, qsizetype frames, int channels, int rate, int toRate,
                  qsizetype maxFrames)
{
    const soundconvert::Downmix downmix(channels);
    const qsizetype frameBytes = qsizetype(Bytes) * channels;
    const auto readFrame = [&](qsizetype i) {
        const char *frame = data + i * frameBytes;
        return downmix([&](int c) { return sampleAt<Bytes, IsFloat>(frame + c * Bytes); });
    };
    return soundconvert::resample(readFrame, frames, rate, toRate, maxFrames);
}

} // namespace

std::optional<SoundClip> readWav(const QByteArray &bytes, int toRate, qsizetype maxFrames,
                                 QString *error)
{
    const char *base = bytes.constData();
    const qsizetype end = bytes.size();
    if (end < 12 || std::memcmp(base, "RIFF", 4) != 0 || std::memcmp(base + 8, "WAVE", 4) != 0) {
        fail(error, QStringLiteral("不是 WAV 文件"));
        return std::nullopt;
    }
    // The RIFF size is not trusted: programs that record live leave it at 0 or too large.
    Format format;
    bool haveFormat = false;
    qsizetype dataOffset = -1;
    qsizetype dataSize = 0;
    for (qsizetype at = 12; at + 8 <= end;) {
        const char *chunk = base + at;
        const quint32 size = u32(chunk + 4);
        const qsizetype body = at + 8;
        const qsizetype available = end - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (qint64(size) > available) {
                fail(error, QStringLiteral("WAV 文件头不完整"));
                return std::nullopt;
            }
            if (!readFormat(base + body, size, &format, error))
                return std::nullopt;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && dataOffset < 0) {
            dataOffset = body;
            dataSize = qsizetype(std::min<qint64>(size, available));
        }
        if (qint64(size) >= available)
            break;
        at = body + qsizetype(size) + qsizetype(size & 1); // chunks are padded to an even size
    }
    if (!haveFormat) {
        fail(error, QStringLiteral("WAV 文件头不完整"));
        return std::nullopt;
    }
    const int sampleBytes = (format.bits + 7) / 8;
    const qsizetype frameBytes = qsizetype(sampleBytes) * format.channels;
    const qsizetype frames = dataOffset < 0 ? 0 : dataSize / frameBytes;
    if (frames == 0) {
        fail(error, QStringLiteral("WAV 文件里没有声音数据"));
        return std::nullopt;
    }
    const char *data = base + dataOffset;
    const int channels = format.channels;
    const int rate = format.sampleRate;
    if (format.tag == FormatFloat) {
        return sampleBytes == 4 ? convert<4, true>(data, frames, channels, rate, toRate, maxFrames)
                                : convert<8, true>(data, frames, channels, rate, toRate, maxFrames);
    }
    switch (sampleBytes) {
    case 1:
        return convert<1, false>(data, frames, channels, rate, toRate, maxFrames);
    case 2:
        return convert<2, false>(data, frames, channels, rate, toRate, maxFrames);
    case 3:
        return convert<3, false>(data, frames, channels, rate, toRate, maxFrames);
    default:
        return convert<4, false>(data, frames, channels, rate, toRate, maxFrames);
    }
}

QByteArray wavBytes(const SoundClip &clip)
{
    const quint32 dataSize = quint32(clip.samples.size() * sizeof(qint16));
    QByteArray bytes(44, Qt::Uninitialized);
    char *p = bytes.data();
    const auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, p + at); };
    const auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, p + at); };
    std::memcpy(p, "RIFF", 4);
    put32(4, 36 + dataSize);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, FormatPcm);
    put16(22, 2);
    put32(24, quint32(clip.sampleRate));
    put32(28, quint32(clip.sampleRate) * 4);
    put16(32, 4);
    put16(34, 16);
    std::memcpy(p + 36, "data", 4);
    put32(40, dataSize);
    bytes.reserve(44 + qsizetype(dataSize));
    for (const qint16 sample : clip.samples) {
        char le[2];
        qToLittleEndian(sample, le);
        bytes.append(le, 2);
    }
    return bytes;
}
