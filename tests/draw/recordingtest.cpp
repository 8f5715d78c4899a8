#include "recordingtest.h"

#include "drawfixture.h"
#include "scriptedrandom.h"

#include <QTest>

#include <limits>
#include <random>

using namespace Qt::StringLiterals;
using Condition = Candidates::Condition;
Q_DECLARE_METATYPE(Condition)
Q_DECLARE_METATYPE(DrawOutcome)

void RecordingTest::removalTakesEveryEntryContainingTheWinner_data()
{
    QTest::addColumn<QStringList>("pool");
    QTest::addColumn<QString>("winner");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<Condition>("condition");

    QTest::newRow("duplicates, longer names and upper case leave with the winner")
        << QStringList{u"Anna"_s, u"Annabel"_s, u"ANNA"_s, u"Bob"_s, u"Anna"_s} << u"Anna"_s
        << QStringList{u"Bob"_s} << Condition::One;
    QTest::newRow("a name contained in the winner stays")
        << QStringList{u"Anna"_s, u"Annabel"_s, u"Bob"_s} << u"Annabel"_s
        << QStringList{u"Anna"_s, u"Bob"_s} << Condition::TwoOrMore;
    QTest::newRow("full-width letters fold but differ from ASCII")
        << QStringList{u"ＡＮＮＡ"_s, u"Anna"_s, u"ｍｉｓｓ ａｎｎａ"_s} << u"ａｎｎａ"_s
        << QStringList{u"Anna"_s} << Condition::One;
    QTest::newRow("accented capitals fold to their small letters")
        << QStringList{u"ÉLODIE"_s, u"Elodie"_s, u"élodie"_s, u"Zoé"_s} << u"Élodie"_s
        << QStringList{u"Elodie"_s, u"Zoé"_s} << Condition::TwoOrMore;
    QTest::newRow("Chinese compares exactly")
        << QStringList{u"张三"_s, u"张三丰"_s, u"张 三"_s, u"李四"_s} << u"张三"_s
        << QStringList{u"张 三"_s, u"李四"_s} << Condition::TwoOrMore;
    QTest::newRow("the rest keep their order")
        << QStringList{u"Carl"_s, u"max"_s, u"Bea"_s, u"Maxine"_s, u"Al"_s} << u"MAX"_s
        << QStringList{u"Carl"_s, u"Bea"_s, u"Al"_s} << Condition::TwoOrMore;
    QTest::newRow("an empty winner removes nothing")
        << QStringList{u"Anna"_s, u"Bob"_s} << QString() << QStringList{u"Anna"_s, u"Bob"_s}
        << Condition::TwoOrMore;
    QTest::newRow("all removed leaves the pool empty, not never filled")
        << QStringList{u"anna"_s, u"Anna"_s} << u"ANNA"_s << QStringList{} << Condition::Empty;
}

void RecordingTest::removalTakesEveryEntryContainingTheWinner()
{
    QFETCH(QStringList, pool);
    QFETCH(QString, winner);
    QFETCH(QStringList, remaining);
    QFETCH(Condition, condition);

    Candidates candidates;
    candidates.fill(pool);
    candidates.removeContaining(winner);
    QCOMPARE(candidates.names(), remaining);
    QCOMPARE(candidates.condition(), condition);

    Candidates many;
    many.fill(pool);
    many.removeContainingAny({winner});
    QCOMPARE(many.names(), remaining);
}

// A resume puts back many winners with one sweep of the pool: the pool, log, counters,
// status line and enabled tiers must be what restoring them one after another gives.
void RecordingTest::restoringManyAtOnceIsRecordingThemInTurn()
{
    const QStringList pieces{u"an"_s, u"AN"_s, u"na"_s, u"王"_s, u"伟"_s,
                             u"😀"_s,  u"É"_s,  u"é"_s,  u"b"_s};
    std::mt19937 random(2027);
    const auto piece = [&] { return pieces[qsizetype(random() % pieces.size())]; };
    for (int round = 0; round < 200; ++round) {
        QStringList pool;
        for (int i = 0; i < 60; ++i)
            pool << piece() + piece() + (random() % 2 ? piece() : QString());
        QList<RestoredWinner> winners;
        for (int i = 0, n = int(random() % 8); i < n; ++i)
            winners.append({AllTiers[random() % 4], random() % 5 ? pool[random() % 60] : piece()});

        ScriptedRandom unused;
        DrawEngine atOnce(unused);
        DrawEngine inTurn(unused);
        for (DrawEngine *engine : {&atOnce, &inTurn}) {
            engine->state().candidates.fill(pool);
            engine->applySettings(u"t"_s, {2, 1, 1, 0});
        }
        atOnce.restoreWinners(winners);
        for (const RestoredWinner &winner : winners)
            inTurn.restoreWinners({winner});
        QCOMPARE(atOnce.state().candidates.names(), inTurn.state().candidates.names());
        QCOMPARE(atOnce.state().log, inTurn.state().log);
        QCOMPARE(atOnce.state().drawnCount, inTurn.state().drawnCount);
        QCOMPARE(atOnce.state().status, inTurn.state().status);
        QCOMPARE(atOnce.state().enabled, inTurn.state().enabled);
    }
}

// A resume replays the voids after all the stops: the log, counters, status line, enabled
// tiers and voided lines must be what stopping and voiding in turn gave.
void RecordingTest::restoringVoidsAfterTheStopsIsVoidingInTurn()
{
    std::mt19937 random(2028);
    for (int round = 0; round < 300; ++round) {
        QStringList pool;
        for (int i = 0; i < 40; ++i)
            pool << u"n%1"_s.arg(i);
        ScriptedRandom unused;
        DrawEngine atOnce(unused);
        DrawEngine inTurn(unused);
        for (DrawEngine *engine : {&atOnce, &inTurn}) {
            engine->state().candidates.fill(pool);
            engine->applySettings(u"t"_s, {2, 1, 1, 0});
        }
        QList<RestoredWinner> winners;
        QList<qsizetype> voids;
        qsizetype live = 0;
        for (int step = 0, n = int(random() % 12); step < n; ++step) {
            if (live > 0 && random() % 3 == 0) {
                const qsizetype line = qsizetype(random() % live);
                voids << *inTurn.placeOnLine(line);
                QCOMPARE(inTurn.voidPlace(line), VoidOutcome::Voided);
                --live;
            } else {
                winners.append({AllTiers[random() % 4], pool[qsizetype(step)]});
                inTurn.restoreWinners({winners.last()});
                ++live;
            }
        }
        atOnce.restoreWinners(winners, voids);
        QCOMPARE(atOnce.state().log, inTurn.state().log);
        QCOMPARE(atOnce.state().drawnCount, inTurn.state().drawnCount);
        QCOMPARE(atOnce.state().status, inTurn.state().status);
        QCOMPARE(atOnce.state().enabled, inTurn.state().enabled);
        QCOMPARE(atOnce.state().voidedLines, inTurn.state().voidedLines);
        QCOMPARE(atOnce.state().candidates.names(), inTurn.state().candidates.names());
    }
}

void RecordingTest::fillKeepsThePoolWhenGivenNothing()
{
    Candidates candidates;
    candidates.removeContaining(u"Anna"_s);
    QCOMPARE(candidates.condition(), Condition::NeverFilled);
    candidates.fill({});
    QCOMPARE(candidates.condition(), Condition::NeverFilled);

    candidates.fill({u"Anna"_s, u"Bob"_s, u"Chen"_s});
    candidates.removeContaining(u"Bob"_s);
    candidates.fill({});
    QCOMPARE(candidates.names(), (QStringList{u"Anna"_s, u"Chen"_s}));

    candidates.fill({u"Dora"_s});
    QCOMPARE(candidates.names(), QStringList{u"Dora"_s});
}

void RecordingTest::logAndStatusAfterSeveralWinners()
{
    DrawFixture f({u"Anna"_s, u"Bob"_s, u"陈静"_s, u"Dora"_s, u"Emil"_s});
    QCOMPARE(f.drawEntry(PrizeTier::Third, 1), DrawOutcome::Recorded); // Bob
    QCOMPARE(f.state.status, u"          已抽取：3等奖1名，2等奖0名，1等奖0名，特等奖0名"_s);

    f.drawEntry(PrizeTier::Third, 3);   // Emil
    f.drawEntry(PrizeTier::Special, 1); // 陈静
    f.drawEntry(PrizeTier::Second, 0);  // Anna

    QCOMPARE(f.state.log, u"2等奖:Anna\r\n特等奖:陈静\r\n3等奖:Emil\r\n3等奖:Bob\r\n"_s);
    QCOMPARE(f.state.status, u"          已抽取：3等奖2名，2等奖1名，1等奖0名，特等奖1名"_s);
    QCOMPARE(f.state.candidates.names(), QStringList{u"Dora"_s});
}

void RecordingTest::quotaTests_data()
{
    QTest::addColumn<Counts>("quotas");
    QTest::addColumn<Enabled>("enabledBefore");
    QTest::addColumn<PrizeTier>("tier");
    QTest::addColumn<Enabled>("enabledAfter");

    const Enabled all{true, true, true, true};
    QTest::newRow("quota 0 disables at another tier's first winner")
        << Counts{5, 5, 0, 5} << all << PrizeTier::Third << Enabled{true, true, false, true};
    QTest::newRow("quota -2 disables at another tier's first winner")
        << Counts{5, -2, 5, 5} << all << PrizeTier::Special << Enabled{true, false, true, true};
    QTest::newRow("quotas 1 0 0 0 and one third prize disable all four")
        << Counts{1, 0, 0, 0} << all << PrizeTier::Third << Enabled{false, false, false, false};
    QTest::newRow("a tier below its quota stays enabled")
        << Counts{2, 5, 5, 5} << all << PrizeTier::Third << all;
    QTest::newRow("a disabled tier below its quota is not enabled again")
        << Counts{5, 5, 5, 5} << Enabled{true, false, true, true} << PrizeTier::Third
        << Enabled{true, false, true, true};
}

void RecordingTest::quotaTests()
{
    QFETCH(Counts, quotas);
    QFETCH(Enabled, enabledBefore);
    QFETCH(PrizeTier, tier);
    QFETCH(Enabled, enabledAfter);

    DrawFixture f({u"Anna"_s, u"Bob"_s}, quotas);
    f.state.enabled = enabledBefore;
    QCOMPARE(f.drawEntry(tier, 0), DrawOutcome::Recorded);
    QCOMPARE(f.state.enabled, enabledAfter);
}

void RecordingTest::quotaLargerThanThePoolKeepsTheTierEnabled()
{
    DrawFixture f({u"Anna"_s, u"Bob"_s, u"Chen"_s}, {10, 10, 10, 10});
    f.drawEntry(PrizeTier::Third, 0);
    f.drawEntry(PrizeTier::Third, 0);
    f.engine.click(PrizeTier::Third);
    f.engine.editDisplay(u"Chen"_s); // the operator typed the last name into the display
    QCOMPARE(f.engine.click(PrizeTier::Third), DrawOutcome::Edited);
    QCOMPARE(f.engine.recordTyped(), DrawOutcome::Recorded);

    QCOMPARE(f.state.candidates.condition(), Condition::Empty);
    QCOMPARE(f.state.drawnCount[tierIndex(PrizeTier::Third)], 3);
    QVERIFY(f.state.enabled[tierIndex(PrizeTier::Third)]);
}

void RecordingTest::fullCounterRefusesAndNeverWraps_data()
{
    QTest::addColumn<qint32>("countBefore");
    QTest::addColumn<DrawOutcome>("outcome");
    QTest::addColumn<qint32>("countAfter");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QStringList>("pool");

    constexpr qint32 max = std::numeric_limits<qint32>::max();
    QTest::newRow("one below the limit still records")
        << max - 1 << DrawOutcome::Recorded << max << u"1等奖:Anna\r\n"_s << QStringList{u"Bob"_s};
    QTest::newRow("at the limit nothing is recorded")
        << max << DrawOutcome::CounterFull << max << QString() << QStringList{u"Anna"_s, u"Bob"_s};
}

void RecordingTest::fullCounterRefusesAndNeverWraps()
{
    QFETCH(qint32, countBefore);
    QFETCH(DrawOutcome, outcome);
    QFETCH(qint32, countAfter);
    QFETCH(QString, log);
    QFETCH(QStringList, pool);

    DrawFixture f({u"Anna"_s, u"Bob"_s}, {100, 100, std::numeric_limits<qint32>::max(), 100});
    f.state.drawnCount[tierIndex(PrizeTier::First)] = countBefore;
    QCOMPARE(f.drawEntry(PrizeTier::First, 0), outcome);
    QCOMPARE(f.state.drawnCount[tierIndex(PrizeTier::First)], countAfter);
    QCOMPARE(f.state.log, log);
    QCOMPARE(f.state.candidates.names(), pool);
    QCOMPARE(f.state.captions, DrawState::startCaptions());
    QCOMPARE(f.state.timerInterval, 0);
}

void RecordingTest::resetClearsTheDrawButNotThePoolOrQuotas()
{
    DrawFixture f({u"Anna"_s, u"Bob"_s, u"Chen"_s}, {1, 1, 5, 5});
    f.drawEntry(PrizeTier::Third, 0);
    f.drawEntry(PrizeTier::Second, 0);
    f.engine.click(PrizeTier::First);
    QCOMPARE(f.engine.tick(), TickOutcome::SingleCandidate);

    f.engine.clearForReset();
    QCOMPARE(f.state.timerInterval, 0);
    QCOMPARE(f.state.enabled, (Enabled{true, true, true, true}));
    QVERIFY(f.state.display.isEmpty());
    QVERIFY(f.state.log.isEmpty());
    QVERIFY(f.state.status.isEmpty());
    QCOMPARE(f.state.drawnCount, (Counts{0, 0, 0, 0}));
    QCOMPARE(f.state.quota, (Counts{1, 1, 5, 5}));
    QCOMPARE(f.state.candidates.names(), QStringList{u"Chen"_s});
    // The captions wait for the load routine to finish.
    QCOMPARE(f.state.captions[tierIndex(PrizeTier::First)], StopCaption);

    f.engine.resetCaptions();
    QCOMPARE(f.state.captions, DrawState::startCaptions());

    // The notice that was open before the reset no longer swallows ticks, and its
    // late close does not stop the new rolling.
    f.engine.click(PrizeTier::Third);
    f.engine.singleCandidateNoticeClosed();
    QCOMPARE(f.state.timerInterval, TickIntervalMs);
    QCOMPARE(f.engine.tick(), TickOutcome::SingleCandidate);
}
