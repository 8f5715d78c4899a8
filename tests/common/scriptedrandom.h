#pragma once

#include "randomsource.h"

#include <QList>

// Hands out the values a test lines up, then 0 (the first name of the pool); counts the
// reseeds.
class ScriptedRandom : public RandomSource {
public:
    QList<double> values;
    int reseeds = 0;

    void reseed() override { ++reseeds; }
    double next() override { return values.isEmpty() ? 0.0 : values.takeFirst(); }
};
