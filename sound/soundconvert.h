#pragma once

// The one resampler behind toStereoClip and the WAV reader: it reads each source frame
// through `readFrame`, so a file's 24-bit or float samples need no copy in between.

#include "soundclip.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace soundconvert {

inline qint16 toSample(float value)
{
    if (!(value == value)) // NaN from a broken float file
        return 0;
    return qint16(std::lround(std::clamp(value, -32768.0f, 32767.0f)));
}

// Output frames for `frames` at fromRate, at least one for any sound, at most maxFrames.
inline qsizetype outputFrames(qsizetype frames, int fromRate, int toRate, qsizetype maxFrames)
{
    const qint64 scaled = (qint64(frames) * toRate + fromRate / 2) / fromRate;
    return qsizetype(std::min<qint64>(std::max<qint64>(scaled, 1), maxFrames));
}

// Channel weights of the downmix: the first two channels keep their sides, every further
// one goes to both at half weight; each side's weights add up to one.
struct Downmix {
    int channels;
    float main;
    float shared;
    explicit Downmix(int channelCount)
        : channels(channelCount), main(1.0f / (1.0f + 0.5f * float(std::max(channelCount - 2, 0)))),
          shared(0.5f * main)
    {
    }
    // `sample(c)` gives channel c of one frame in 16-bit scale.
    template <typename Sample> std::pair<float, float> operator()(Sample sample) const
    {
        if (channels == 1) {
            const float mono = sample(0);
            return {mono, mono};
        }
        float left = main * sample(0);
        float right = main * sample(1);
        for (int c = 2; c < channels; ++c) {
            const float s = shared * sample(c);
            left += s;
            right += s;
        }
        return {left, right};
    }
};

// `readFrame(i)` gives frame i as a (left, right) pair in 16-bit scale.
template <typename ReadFrame>
SoundClip resample(ReadFrame readFrame, qsizetype frames, int fromRate, int toRate,
                   qsizetype maxFrames)
{
    SoundClip clip;
    if (frames <= 0 || fromRate <= 0 || toRate <= 0 || maxFrames <= 0)
        return clip;
    clip.sampleRate = toRate;
    const qsizetype count = outputFrames(frames, fromRate, toRate, maxFrames);
    clip.samples.resize(size_t(count) * 2);
    qint16 *out = clip.samples.data();
    if (fromRate == toRate) {
        for (qsizetype i = 0; i < count; ++i) {
            const auto [left, right] = readFrame(i);
            out[2 * i] = toSample(left);
            out[2 * i + 1] = toSample(right);
        }
        return clip;
    }
    // The source position of output frame i is i * fromRate / toRate, kept exact as a
    // whole frame and a remainder so that long files do not drift.
    qsizetype index = -2; // nothing read yet
    std::pair<float, float> a{}, b{};
    for (qsizetype i = 0; i < count; ++i) {
        const qint64 position = qint64(i) * fromRate;
        const qsizetype whole = qsizetype(position / toRate);
        const float fraction = float(position % toRate) / float(toRate);
        if (whole != index) {
            a = whole == index + 1 ? b : readFrame(std::min(whole, frames - 1));
            b = readFrame(std::min(whole + 1, frames - 1));
            index = whole;
        }
        out[2 * i] = toSample(a.first + (b.first - a.first) * fraction);
        out[2 * i + 1] = toSample(a.second + (b.second - a.second) * fraction);
    }
    return clip;
}

} // namespace soundconvert
