#include "millionrecordingtest.h"

#include "drawfixture.h"
#include "manynames.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype Million = 1'000'000;

// The pool as it must be after `winner` was drawn, worked out the plain way.
QStringList without(const QStringList &pool, const QString &winner)
{
    QStringList rest;
    rest.reserve(pool.size());
    for (const QString &name : pool) {
        if (!name.contains(winner, Qt::CaseInsensitive))
            rest.append(name);
    }
    return rest;
}

} // namespace

void MillionRecordingTest::initTestCase()
{
    names_ = manyNames(Million);
}

void MillionRecordingTest::recordingRemovesExactlyTheMatchingNames_data()
{
    QTest::addColumn<QString>("winner");

    QTest::newRow("a name standing many times leaves with all its copies")
        << names_.at(Million / 2);
    QTest::newRow("a Latin name takes its other letter cases and longer names") << u"Anna Lee"_s;
    QTest::newRow("a two-character name takes the longer names holding it") << u"王伟"_s;
    QTest::newRow("the last name of the pool") << names_.last();
}

void MillionRecordingTest::recordingRemovesExactlyTheMatchingNames()
{
    QFETCH(QString, winner);
    DrawFixture f(names_);
    const qsizetype index = names_.indexOf(winner);
    QVERIFY(index >= 0);

    QCOMPARE(f.drawEntry(PrizeTier::Second, index), DrawOutcome::Recorded);

    const QStringList expected = without(names_, winner);
    QVERIFY(expected.size() < names_.size());
    QCOMPARE(f.state.candidates.size(), expected.size());
    QCOMPARE(f.state.candidates.names(), expected);
    QCOMPARE(f.state.log, u"2等奖:"_s + winner + u"\r\n"_s);
    QCOMPARE(f.state.drawnCount, (Counts{0, 1, 0, 0}));
}

void MillionRecordingTest::anEveningOfWinnersKeepsLogCountsAndPool()
{
    constexpr int Winners = 8;
    DrawFixture f(names_, {3, 3, 1, 1});
    QStringList expected = names_;
    QString log;
    for (int i = 0; i < Winners; ++i) {
        const std::optional<PrizeTier> tier = f.engine.shortcutTier();
        QVERIFY(tier);
        const qsizetype index = (qsizetype(i) * 104'729) % f.state.candidates.size();
        const QString winner = f.state.candidates.at(index);
        QCOMPARE(f.drawEntry(*tier, index), DrawOutcome::Recorded);
        log.prepend(tierRow(*tier).logLabel.toString() + winner + u"\r\n"_s);
        expected = without(expected, winner);
        QCOMPARE(f.state.candidates.size(), expected.size());
    }
    QCOMPARE(f.state.candidates.names(), expected);
    QCOMPARE(f.state.log, log);
    QCOMPARE(f.state.drawnCount, (Counts{3, 3, 1, 1}));
    QCOMPARE(f.state.enabled, (Enabled{false, false, false, false}));
    QCOMPARE(f.state.status, statusLine({3, 3, 1, 1}));
}
