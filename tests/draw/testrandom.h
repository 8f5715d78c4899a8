#pragma once

#include "randomsource.h"
#include "scriptedrandom.h"

#include <random>

// A fixed-seed generator, so statistical checks give the same answer on every run.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(quint64 seed) : generator_(seed) {}

    void reseed() override {}
    double next() override { return static_cast<double>(generator_() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 generator_;
};

// A source that favours the first entry one time in a hundred: the uniformity
// check has to catch a bias this small.
class BiasedRandom : public SeededRandom {
public:
    using SeededRandom::SeededRandom;

    double next() override
    {
        const double r = SeededRandom::next();
        return ++calls_ % 100 == 0 ? 0.0 : r;
    }

private:
    int calls_ = 0;
};
