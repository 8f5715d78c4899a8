#include "randomnesstest.h"

#include "drawfixture.h"

#include <QHash>
#include <QSet>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Chi-square bound for 9 degrees of freedom at p = 1e-6: a fair source crosses it
// about once in a million runs.
constexpr double ChiSquareBound = 44.81;

// Rolls a pool of ten names for 100,000 ticks and returns the chi-square statistic of
// how often each was shown.
double chiSquareOfTicks(RandomSource &random)
{
    constexpr int ticks = 100'000;
    constexpr int names = 10;
    DrawEngine engine(random);
    QStringList pool;
    for (int i = 0; i < names; ++i)
        pool.append(u"Guest %1"_s.arg(i));
    engine.state().candidates.fill(pool);
    engine.click(PrizeTier::Third);

    QHash<QString, int> shown;
    for (int i = 0; i < ticks; ++i) {
        engine.tick();
        ++shown[engine.state().display];
    }
    const double expected = double(ticks) / names;
    double chiSquare = 0;
    for (const QString &name : pool)
        chiSquare += std::pow(shown.value(name) - expected, 2) / expected;
    return chiSquare;
}

} // namespace

void RandomnessTest::pickIndexStaysInsideThePool_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<qsizetype>("n");
    QTest::addColumn<qsizetype>("index");

    const double belowOne = 1.0 - 0x1.0p-53;
    QTest::newRow("r 0 of a million names") << 0.0 << qsizetype(1'000'000) << qsizetype(0);
    QTest::newRow("r just below 1 of a million names")
        << belowOne << qsizetype(1'000'000) << qsizetype(999'999);
    QTest::newRow("r 0 of two names") << 0.0 << qsizetype(2) << qsizetype(0);
    QTest::newRow("r just below 1 of two names") << belowOne << qsizetype(2) << qsizetype(1);
    QTest::newRow("r just below one half of two names")
        << 0.5 - 0x1.0p-54 << qsizetype(2) << qsizetype(0);
    QTest::newRow("r one half of two names") << 0.5 << qsizetype(2) << qsizetype(1);
    QTest::newRow("r 1 from a faulty source clamps to the last")
        << 1.0 << qsizetype(10) << qsizetype(9);
    QTest::newRow("negative r from a faulty source clamps to the first")
        << -0.25 << qsizetype(10) << qsizetype(0);
}

void RandomnessTest::pickIndexStaysInsideThePool()
{
    QFETCH(double, r);
    QFETCH(qsizetype, n);
    QFETCH(qsizetype, index);
    QCOMPARE(pickIndex(r, n), index);
}

void RandomnessTest::clockSeededValuesHave53BitsBelowOne()
{
    const auto random = makeClockSeededRandom();
    QSet<double> seen;
    for (int i = 0; i < 10'000; ++i) {
        random->reseed();
        const double r = random->next();
        QVERIFY2(r >= 0.0 && r < 1.0, qPrintable(QString::number(r, 'g', 17)));
        const double scaled = r * 0x1.0p53;
        QCOMPARE(scaled, std::floor(scaled));
        seen.insert(r);
    }
    // Reseeds within one clock tick still differ thanks to the system's entropy.
    QCOMPARE(seen.size(), 10'000);
}

void RandomnessTest::picksAreUniform()
{
    SeededRandom random(20240601);
    const double chiSquare = chiSquareOfTicks(random);
    QVERIFY2(chiSquare < ChiSquareBound, qPrintable(QString::number(chiSquare)));
}

void RandomnessTest::uniformityCheckCatchesABiasedSource()
{
    BiasedRandom random(20240601);
    const double chiSquare = chiSquareOfTicks(random);
    QVERIFY2(chiSquare >= ChiSquareBound, qPrintable(QString::number(chiSquare)));
}

void RandomnessTest::wholeEventFromTheKeyboard()
{
    const Counts quotas{60, 25, 10, 5};
    QStringList pool;
    for (int i = 1; i <= 300; ++i)
        pool.append(u"Guest %1"_s.arg(i, 3, 10, QLatin1Char('0')));
    SeededRandom random(7);
    DrawEngine engine(random);
    DrawState &state = engine.state();
    engine.applySettings(u"Gala"_s, quotas);
    state.candidates.fill(pool);

    QSet<QString> winners;
    Counts perTier{};
    for (int draw = 0; engine.shortcutTier(); ++draw) {
        QVERIFY2(draw < 1000, "the event never ends");
        const PrizeTier tier = *engine.shortcutTier();
        QCOMPARE(engine.shortcut(), DrawOutcome::Started);
        for (int t = 0; t <= draw % 4; ++t)
            QCOMPARE(engine.tick(), TickOutcome::Shown);

        const QStringList before = state.candidates.names();
        QCOMPARE(engine.shortcut(), DrawOutcome::Recorded);
        const QString winner = state.display;
        QVERIFY2(before.contains(winner), qPrintable(winner));
        QVERIFY2(!state.candidates.names().contains(winner), qPrintable(winner));
        QCOMPARE(state.candidates.size(), before.size() - 1);
        QVERIFY2(!winners.contains(winner), qPrintable(winner));
        QVERIFY(state.log.startsWith(logLine(tier, winner)));
        winners.insert(winner);
        ++perTier[tierIndex(tier)];
    }

    QCOMPARE(engine.shortcut(), DrawOutcome::AllTiersDone);
    QCOMPARE(state.drawnCount, quotas);
    QCOMPARE(perTier, quotas);
    QCOMPARE(winners.size(), 100);
    QCOMPARE(state.log.count(u"\r\n"_s), 100);
    QCOMPARE(state.candidates.size(), 200);
    QCOMPARE(state.status, u"          已抽取：3等奖60名，2等奖25名，1等奖10名，特等奖5名"_s);
}
