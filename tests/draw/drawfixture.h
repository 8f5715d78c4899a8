#pragma once

#include "drawengine.h"
#include "testrandom.h"

#include <QMetaType>
#include <QStringList>

using Enabled = std::array<bool, 4>;
using Counts = std::array<qint32, 4>;
Q_DECLARE_METATYPE(PrizeTier)
Q_DECLARE_METATYPE(Enabled)
Q_DECLARE_METATYPE(Counts)

// An engine on a scripted source, filled with a pool and quotas.
struct DrawFixture {
    explicit DrawFixture(const QStringList &pool, const Counts &quotas = {100, 100, 100, 100});

    // Starts tier, lets one tick show pool entry index, and stops: the stop's outcome.
    DrawOutcome drawEntry(PrizeTier tier, qsizetype index);
    // Lines up r so that the next tick shows pool entry index.
    void aimAt(qsizetype index);

    ScriptedRandom random;
    DrawEngine engine{random};
    DrawState &state = engine.state();
};

inline QString startCaption(PrizeTier tier)
{
    return tierRow(tier).startCaption.toString();
}
