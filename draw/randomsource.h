#pragma once

#include <QtGlobal>

#include <memory>

// Where the draw's random numbers come from; tests inject a deterministic one.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Called at every tick before the pool is looked at.
    virtual void reseed() = 0;
    // A value r with 0 <= r < 1 and 53 bits of resolution.
    virtual double next() = 0;
};

// Reseeds from the clock at every tick, mixed with the operating system's entropy,
// so a pick cannot be predicted from the time alone.
std::unique_ptr<RandomSource> makeClockSeededRandom();

// Index = floor(r * n): the same formula for every source, so 0 <= index < n.
qsizetype pickIndex(double r, qsizetype n);
