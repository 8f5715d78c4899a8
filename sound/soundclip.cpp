#include "soundclip.h"
#include "soundconvert.h"

namespace {

template <typename Sample, typename Scale>
SoundClip convert(const Sample *samples, qsizetype frames, int channels, int fromRate, int toRate,
                  qsizetype maxFrames, Scale scale)
{
    if (!samples || channels <= 0)
        return {};
    const soundconvert::Downmix downmix(channels);
    const auto readFrame = [&](qsizetype i) {
        const Sample *frame = samples + i * channels;
        return downmix([&](int c) { return scale(frame[c]); });
    };
    return soundconvert::resample(readFrame, frames, fromRate, toRate, maxFrames);
}

} // namespace

SoundClip toStereoClip(const qint16 *samples, qsizetype frames, int channels, int fromRate,
                       int toRate, qsizetype maxFrames)
{
    return convert(samples, frames, channels, fromRate, toRate, maxFrames,
                   [](qint16 s) { return float(s); });
}

SoundClip toStereoClip(const float *samples, qsizetype frames, int channels, int fromRate,
                       int toRate, qsizetype maxFrames)
{
    return convert(samples, frames, channels, fromRate, toRate, maxFrames,
                   [](float s) { return s == s ? std::clamp(s, -1.0f, 1.0f) * 32767.0f : 0.0f; });
}
