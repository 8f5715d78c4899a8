#include "drawfixture.h"

DrawFixture::DrawFixture(const QStringList &pool, const Counts &quotas)
{
    engine.applySettings(QStringLiteral("Annual party"), quotas);
    state.candidates.fill(pool);
}

void DrawFixture::aimAt(qsizetype index)
{
    random.values.append((static_cast<double>(index) + 0.5) /
                         static_cast<double>(state.candidates.size()));
}

DrawOutcome DrawFixture::drawEntry(PrizeTier tier, qsizetype index)
{
    engine.click(tier);
    aimAt(index);
    engine.tick();
    return engine.click(tier);
}
