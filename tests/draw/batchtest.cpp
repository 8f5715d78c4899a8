#include "batchtest.h"

#include "batchpick.h"
#include "drawengine.h"
#include "manynames.h"
#include "testrandom.h"

#include <QTest>

#include <cmath>

void BatchTest::removalInTurnIsRemovalStopByStop_data()
{
    QTest::addColumn<QStringList>("pool");
    QTest::addColumn<QStringList>("winners");

    QTest::newRow("a name inside a later winner's")
        << QStringList{"王伟东", "王伟", "李娜", "王伟东", "张敏"} << QStringList{"王伟", "李娜"};
    QTest::newRow("a later winner inside an earlier one's")
        << QStringList{"王伟东", "王伟", "李娜", "张敏"} << QStringList{"王伟东", "王伟"};
    QTest::newRow("letter case aside, duplicates with it")
        << QStringList{"Anna", "ANNA LEE", "anna", "Bob", "annabel", "Bo"}
        << QStringList{"Bo", "aNNa"};
    QTest::newRow("the sharp s folds as the matcher folds it")
        << QStringList{"Straße", "STRASSE", "straße", "Gasse"} << QStringList{"straße", "Gasse"};
    QTest::newRow("one winner") << QStringList{"a", "b", "ab"} << QStringList{"b"};
    // Past a few winners the removal is one sweep that finds each entry's first winner.
    QTest::newRow("eight winners in one sweep, inside one another both ways")
        << QStringList{"Anna", "ANNA LEE", "anna",   "Bob",     "annabel", "Bo", "王伟东", "王伟",
                       "李",   "李娜",     "Straße", "STRASSE", "x",       "y",  "李娜娜", "Gasse"}
        << QStringList{"Bo", "aNNa", "王伟东", "王伟", "李娜", "李", "straße", "y"};
    QTest::newRow("a winner whose text an earlier one holds, in one sweep")
        << QStringList{"ab", "abc", "b", "c", "d", "e", "f", "g", "h", "bc"}
        << QStringList{"abc", "b", "d", "e", "f", "g", "h"};
    QTest::newRow("a thousand names, ten winners")
        << manyNames(1000) << manyNames(1000).mid(100, 10);
}

void BatchTest::removalInTurnIsRemovalStopByStop()
{
    QFETCH(QStringList, pool);
    QFETCH(QStringList, winners);

    Candidates inTurn, stopByStop;
    inTurn.fill(pool);
    stopByStop.fill(pool);
    QList<qsizetype> sizes{stopByStop.size()};
    for (const QString &winner : winners) {
        stopByStop.removeContaining(winner);
        sizes << stopByStop.size();
    }
    QCOMPARE(inTurn.removeInTurn(winners), sizes);
    QCOMPARE(inTurn.names(), stopByStop.names());
}

void BatchTest::picksAreStopsOneAfterAnother_data()
{
    QTest::addColumn<QStringList>("pool");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("presses");

    // Names inside names, in every letter case: a pick is never one that an earlier pick of
    // the batch would have taken out.
    QStringList traps;
    for (const QString &stem : {u"王伟"_qs, u"Anna"_qs, u"李"_qs})
        traps << stem << stem + u"东"_qs << stem.toUpper() + u" Lee"_qs << u"小"_qs + stem;
    QTest::newRow("a small pool, kept exactly") << traps << 10 << 300;
    // Large enough that picks are drawn again on a miss rather than from a kept list.
    QStringList large = manyNames(30000);
    large << traps;
    QTest::newRow("a large pool, misses drawn again") << large << 100 << 5;
}

void BatchTest::picksAreStopsOneAfterAnother()
{
    QFETCH(QStringList, pool);
    QFETCH(int, count);
    QFETCH(int, presses);

    Candidates candidates;
    candidates.fill(pool);
    SeededRandom random(7);
    for (int press = 0; press < presses; ++press) {
        const QStringList picks = pickBatch(candidates, count, random);
        QVERIFY(!picks.isEmpty());
        QVERIFY(picks.size() <= count);
        // Replayed as stops: each pick an entry of the pool its stop would find, and that
        // pool never down to one name.
        for (qsizetype i = 0; i < picks.size(); ++i) {
            QVERIFY2(candidates.contains(picks[i]), qPrintable(picks[i]));
            for (qsizetype j = 0; j < i; ++j)
                QVERIFY2(!picks[i].contains(picks[j], Qt::CaseInsensitive),
                         qPrintable(picks[i] + u" / "_qs + picks[j]));
        }
        Candidates stops;
        stops.fill(pool);
        const QList<qsizetype> sizes = stops.removeInTurn(picks);
        for (qsizetype i = 0; i < picks.size(); ++i)
            QVERIFY2(sizes[i] >= 2, "a pick from a pool of one");
        // A batch short of its count is one the pool could not give.
        if (picks.size() < count)
            QVERIFY(sizes.last() < 2);
    }
}

void BatchTest::picksAreUniformOverWhatIsLeft()
{
    // After the first pick "Anna", "ANNA LEE" and "Annabel" are out: the second pick is one
    // of the other four, each about as often, and never one of those.
    const QStringList pool{"Anna", "ANNA LEE", "Annabel", "Bob", "Carl", "Dora", "Eve"};
    Candidates candidates;
    candidates.fill(pool);
    SeededRandom random(11);
    QHash<QString, int> second;
    int withAnnaFirst = 0;
    for (int i = 0; i < 70000; ++i) {
        const QStringList picks = pickBatch(candidates, 2, random);
        QCOMPARE(picks.size(), 2);
        if (picks[0] != u"Anna"_qs)
            continue;
        ++withAnnaFirst;
        ++second[picks[1]];
    }
    QCOMPARE(second.size(), 4);
    // Chi-square with 3 degrees of freedom: 30 is beyond p = 1e-6.
    double chi = 0;
    const double expected = withAnnaFirst / 4.0;
    for (const QString &name : {u"Bob"_qs, u"Carl"_qs, u"Dora"_qs, u"Eve"_qs})
        chi += std::pow(second.value(name) - expected, 2) / expected;
    QVERIFY2(chi < 30, qPrintable(QString::number(chi)));
    // The first pick is uniform over the whole pool.
    QVERIFY(std::abs(withAnnaFirst - 10000) < 500);
}

void BatchTest::batchNeverExceedsPlacesOrNames_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("quota");
    QTest::addColumn<int>("drawn");
    QTest::addColumn<int>("names");
    QTest::addColumn<int>("batch");

    QTest::newRow("as set") << 10 << 30 << 0 << 100 << 10;
    QTest::newRow("the places left") << 10 << 30 << 27 << 100 << 3;
    QTest::newRow("the names left, but the last") << 10 << 30 << 0 << 6 << 5;
    QTest::newRow("one place left rolls one name") << 10 << 30 << 29 << 100 << 1;
    QTest::newRow("a quota of 0 rolls one name") << 10 << 0 << 0 << 100 << 1;
    QTest::newRow("a full tier rolls one name") << 10 << 5 << 5 << 100 << 1;
    QTest::newRow("two names left roll one") << 10 << 30 << 0 << 2 << 1;
    QTest::newRow("one per press") << 1 << 30 << 0 << 100 << 1;
}

void BatchTest::batchNeverExceedsPlacesOrNames()
{
    QFETCH(int, setting);
    QFETCH(int, quota);
    QFETCH(int, drawn);
    QFETCH(int, names);
    QFETCH(int, batch);

    ScriptedRandom random;
    DrawEngine engine(random);
    QStringList pool;
    for (int i = 0; i < names; ++i)
        pool << QStringLiteral("名字%1号").arg(i, 3, 10, QLatin1Char('0'));
    engine.state().candidates.fill(pool);
    engine.applySettings(QString(), {quota, 5, 5, 5});
    engine.state().drawnCount[0] = drawn;
    engine.setBatchSizes({setting, 1, 1, 1});
    QCOMPARE(engine.batchFor(PrizeTier::Third), batch);

    // A press rolls that many, the next records that many, in order, each its own line.
    QCOMPARE(engine.click(PrizeTier::Third), DrawOutcome::Started);
    QCOMPARE(engine.batchRolls(), batch > 1);
    QCOMPARE(engine.tick(), TickOutcome::Shown);
    const QStringList rolled =
        batch > 1 ? engine.state().rollNames : QStringList{engine.state().display};
    QCOMPARE(rolled.size(), batch);
    QCOMPARE(engine.click(PrizeTier::Third), DrawOutcome::Recorded);
    QCOMPARE(engine.state().drawnCount[0], drawn + batch);
    QCOMPARE(engine.state().stopPools.size(), batch + 1);
    QCOMPARE(engine.state().stopPools.first(), names);
    QCOMPARE(engine.state().stopPools.last(), names - batch);
    QStringList logged;
    for (const QString &name : rolled)
        logged.prepend(logLine(PrizeTier::Third, name));
    QCOMPARE(engine.state().log, logged.join(QString()));
}
