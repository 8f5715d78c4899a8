#pragma once

#include <QtGlobal>

#include <vector>

// Decoded music on its way to the mixer: stereo 16-bit frames, first in, first out. The
// decoder keeps it a little ahead of the device, so it holds about a second, never a file.
class FrameQueue {
public:
    qsizetype frames() const;
    void push(const qint16 *samples, qsizetype frames);
    // Moves up to `frames` frames into `out`; returns how many there were.
    qsizetype pop(qint16 *out, qsizetype frames);
    void clear();

private:
    void grow(size_t samples);

    std::vector<qint16> m_ring; // interleaved samples, wrapping at its size
    size_t m_head = 0;          // the oldest sample
    size_t m_size = 0;          // samples held
};
