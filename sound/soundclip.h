#pragma once

#include <QtGlobal>

#include <vector>

// A sound held in memory: 16-bit stereo frames at one rate, ready to mix.
struct SoundClip {
    int sampleRate = 0;
    std::vector<qint16> samples; // interleaved stereo frames
    qsizetype frames() const { return qsizetype(samples.size() / 2); }
    bool isEmpty() const { return samples.empty(); }
};

// Interleaved samples of any channel count (1: both sides; more than 2: a plain downmix to
// two) and rate, as a stereo clip at `toRate`, linear interpolation, at most maxFrames frames
// of output. Channels beyond the first two (centre, bass, surround) go to both sides at half
// weight, and each side is scaled so that one signal in every channel keeps its level.
// Float samples are full scale at ±1 and clipped there. Nonsense arguments give an empty clip.
SoundClip toStereoClip(const qint16 *samples, qsizetype frames, int channels, int fromRate,
                       int toRate, qsizetype maxFrames);
SoundClip toStereoClip(const float *samples, qsizetype frames, int channels, int fromRate,
                       int toRate, qsizetype maxFrames);
