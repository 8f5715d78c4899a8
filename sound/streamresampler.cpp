#include "streamresampler.h"

#include "soundconvert.h"

#include <algorithm>

namespace {

constexpr qsizetype History = 3;

float toScale(quint8 sample)
{
    return float((int(sample) - 128) * 256);
}

float toScale(qint16 sample)
{
    return float(sample);
}

float toScale(qint32 sample)
{
    return float(sample) / 65536.0f;
}

float toScale(float sample)
{
    return sample * 32768.0f;
}

float catmullRom(float x0, float x1, float x2, float x3, float t)
{
    return x1 +
           0.5f * t *
               (x2 - x0 +
                t * (2.0f * x0 - 5.0f * x1 + 4.0f * x2 - x3 + t * (3.0f * (x1 - x2) + x3 - x0)));
}

} // namespace

StreamResampler::StreamResampler(int toRate) : m_toRate(toRate) {}

void StreamResampler::reset()
{
    m_fromRate = 0;
    m_frames.clear();
    m_index = 1;
    m_phase = 0;
}

template <typename Sample>
void StreamResampler::convert(const Sample *samples, qsizetype frames, int channels, int fromRate,
                              std::vector<qint16> &out)
{
    if (frames <= 0 || channels <= 0 || fromRate <= 0 || m_toRate <= 0)
        return;
    if (fromRate != m_fromRate) {
        reset();
        m_fromRate = fromRate;
    }
    const soundconvert::Downmix downmix(channels);
    const bool first = m_frames.empty();
    for (qsizetype i = 0; i < frames; ++i) {
        const Sample *frame = samples + i * channels;
        m_frames.push_back(downmix([frame](int c) { return toScale(frame[c]); }));
        // The music's first frame stands in for the frames before it.
        if (first && i == 0)
            m_frames.insert(m_frames.begin(), m_frames.front());
    }
    interpolate(fromRate, out);
}

// The sample formats decoders hand over.
template void StreamResampler::convert(const quint8 *, qsizetype, int, int, std::vector<qint16> &);
template void StreamResampler::convert(const qint16 *, qsizetype, int, int, std::vector<qint16> &);
template void StreamResampler::convert(const qint32 *, qsizetype, int, int, std::vector<qint16> &);
template void StreamResampler::convert(const float *, qsizetype, int, int, std::vector<qint16> &);

void StreamResampler::interpolate(int fromRate, std::vector<qint16> &out)
{
    const qsizetype count = qsizetype(m_frames.size());
    // Each output frame needs one frame before its place and two after.
    while (m_index + 2 < count) {
        const Frame &a = m_frames[size_t(m_index - 1)];
        const Frame &b = m_frames[size_t(m_index)];
        const Frame &c = m_frames[size_t(m_index + 1)];
        const Frame &d = m_frames[size_t(m_index + 2)];
        const float t = float(m_phase) / float(m_toRate);
        out.push_back(soundconvert::toSample(catmullRom(a.first, b.first, c.first, d.first, t)));
        out.push_back(
            soundconvert::toSample(catmullRom(a.second, b.second, c.second, d.second, t)));
        m_phase += fromRate;
        m_index += qsizetype(m_phase / m_toRate);
        m_phase %= m_toRate;
    }
    // Kept for the next block: the frames still needed, at most three (none when a large
    // step down in rate leaps past the block's end).
    const qsizetype keep = std::clamp<qsizetype>(count - (m_index - 1), 0, History);
    m_frames.erase(m_frames.begin(), m_frames.end() - keep);
    m_index -= count - keep;
}
