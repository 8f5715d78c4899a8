#pragma once

#include <QtGlobal>

#include <array>
#include <utility>
#include <vector>

// Decoded music as it arrives, block after block, in whatever rate and channel count the
// file has, to 16-bit stereo at the mixer's rate. Each block goes on where the last one
// ended, so a join is never heard. Cubic (Catmull-Rom) interpolation between frames: far
// cleaner than a straight line for music, and a small fraction of what the platform's
// resampler costs while it plays.
class StreamResampler {
public:
    explicit StreamResampler(int toRate);

    // A new piece of music: nothing of the last one is carried into it.
    void reset();
    // Appends the block's frames at the mixer's rate to `out` (interleaved stereo). Samples
    // are 8-bit unsigned, 16- or 32-bit signed, or float at ±1 full scale. A block of
    // another rate than the last starts afresh.
    template <typename Sample>
    void convert(const Sample *samples, qsizetype frames, int channels, int fromRate,
                 std::vector<qint16> &out);

private:
    using Frame = std::pair<float, float>;
    void interpolate(int fromRate, std::vector<qint16> &out);

    int m_toRate;
    int m_fromRate = 0;
    // The last three frames of the blocks before, then this block's, in 16-bit scale.
    std::vector<Frame> m_frames;
    // The next output frame lies between m_frames[m_index] and [m_index + 1], at
    // m_phase / m_toRate of the way.
    qsizetype m_index = 1;
    qint64 m_phase = 0;
};
