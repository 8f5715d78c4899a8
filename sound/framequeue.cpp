#include "framequeue.h"

#include <algorithm>

qsizetype FrameQueue::frames() const
{
    return qsizetype(m_size / 2);
}

void FrameQueue::grow(size_t samples)
{
    // Unwrapped into a larger ring: a handful of times per file, as the queue finds its size.
    std::vector<qint16> ring(std::max(samples, 2 * m_ring.size()));
    const size_t first = std::min(m_size, m_ring.size() - m_head);
    std::copy_n(m_ring.begin() + qsizetype(m_head), first, ring.begin());
    std::copy_n(m_ring.begin(), m_size - first, ring.begin() + qsizetype(first));
    m_ring = std::move(ring);
    m_head = 0;
}

void FrameQueue::push(const qint16 *samples, qsizetype frames)
{
    if (frames <= 0)
        return;
    const size_t count = size_t(frames) * 2;
    if (m_size + count > m_ring.size())
        grow(m_size + count);
    const size_t tail = (m_head + m_size) % m_ring.size();
    const size_t first = std::min(count, m_ring.size() - tail);
    std::copy_n(samples, first, m_ring.begin() + qsizetype(tail));
    std::copy_n(samples + first, count - first, m_ring.begin());
    m_size += count;
}

qsizetype FrameQueue::pop(qint16 *out, qsizetype frames)
{
    const size_t count = std::min(m_size, size_t(std::max<qsizetype>(frames, 0)) * 2);
    if (count == 0)
        return 0;
    const size_t first = std::min(count, m_ring.size() - m_head);
    std::copy_n(m_ring.begin() + qsizetype(m_head), first, out);
    std::copy_n(m_ring.begin(), count - first, out + first);
    m_head = (m_head + count) % m_ring.size();
    m_size -= count;
    return qsizetype(count / 2);
}

void FrameQueue::clear()
{
    m_head = 0;
    m_size = 0;
}
