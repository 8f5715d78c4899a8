#include "randomsource.h"

#include <QRandomGenerator>

#include <chrono>
#include <cmath>
#include <random>

namespace {

class ClockSeededRandom : public RandomSource {
public:
    void reseed() override
    {
        const auto steady = std::chrono::steady_clock::now().time_since_epoch();
        const auto wall = std::chrono::system_clock::now().time_since_epoch();
        const auto nanoseconds = [](auto duration) {
            return static_cast<quint64>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count());
        };
        generator_.seed(nanoseconds(steady) ^ nanoseconds(wall) ^
                        QRandomGenerator::system()->generate64());
    }

    double next() override
    {
        // The top 53 bits fill a double's mantissa exactly, so r stays below 1.
        return static_cast<double>(generator_() >> 11) * 0x1.0p-53;
    }

private:
    std::mt19937_64 generator_{QRandomGenerator::system()->generate64()};
};

} // namespace

std::unique_ptr<RandomSource> makeClockSeededRandom()
{
    return std::make_unique<ClockSeededRandom>();
}

qsizetype pickIndex(double r, qsizetype n)
{
    const double product = std::floor(r * static_cast<double>(n));
    // Guards a source that breaks its 0 <= r < 1 promise (or a NaN): never index
    // outside the pool.
    if (!(product >= 0.0) || n <= 0)
        return 0;
    if (product >= static_cast<double>(n))
        return n - 1;
    return static_cast<qsizetype>(product);
}
