#include "drawcycletest.h"

#include "drawfixture.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList ThreeNames{u"Anna"_s, u"Bob"_s, u"Chen"_s};

} // namespace

void DrawCycleTest::startRollsTheClickedTier()
{
    DrawFixture f(ThreeNames);
    QCOMPARE(f.engine.click(PrizeTier::First), DrawOutcome::Started);
    QCOMPARE(f.state.timerInterval, TickIntervalMs);
    QCOMPARE(f.state.captions[tierIndex(PrizeTier::First)], StopCaption);
    QCOMPARE(f.state.captions[tierIndex(PrizeTier::Third)], startCaption(PrizeTier::Third));
    QVERIFY(f.state.log.isEmpty());
}

void DrawCycleTest::clickingAnotherTierSwitchesWithoutRecording()
{
    DrawFixture f(ThreeNames);
    f.engine.click(PrizeTier::Third);
    f.aimAt(1);
    QCOMPARE(f.engine.tick(), TickOutcome::Shown);

    QCOMPARE(f.engine.click(PrizeTier::Second), DrawOutcome::Started);
    QCOMPARE(f.state.captions[tierIndex(PrizeTier::Third)], startCaption(PrizeTier::Third));
    QCOMPARE(f.state.captions[tierIndex(PrizeTier::Second)], StopCaption);
    QCOMPARE(f.state.timerInterval, TickIntervalMs);
    QCOMPARE(f.state.display, u"Bob"_s);
    QVERIFY(f.state.log.isEmpty());
    QVERIFY(f.state.status.isEmpty());
    QCOMPARE(f.state.drawnCount, (std::array<qint32, 4>{}));
    QCOMPARE(f.state.candidates.names(), ThreeNames);
}

void DrawCycleTest::stopRecordsTheShownName()
{
    DrawFixture f(ThreeNames);
    QCOMPARE(f.drawEntry(PrizeTier::Second, 2), DrawOutcome::Recorded);
    QCOMPARE(f.state.captions, DrawState::startCaptions());
    QCOMPARE(f.state.timerInterval, 0);
    QCOMPARE(f.state.log, u"2等奖:Chen\r\n"_s);
    QCOMPARE(f.state.drawnCount[tierIndex(PrizeTier::Second)], 1);
    QCOMPARE(f.state.candidates.names(), (QStringList{u"Anna"_s, u"Bob"_s}));
}

void DrawCycleTest::tickPicksTheEntryAtFloorOfRTimesN_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<QString>("shown");
    QTest::newRow("r 0 shows the first entry") << 0.0 << u"Anna"_s;
    QTest::newRow("r just below 1/3 stays on the first") << 0.3333 << u"Anna"_s;
    QTest::newRow("r exactly 1/3 moves to the second") << 1.0 / 3.0 << u"Bob"_s;
    QTest::newRow("r just below 1 shows the last entry") << 1.0 - 0x1.0p-53 << u"Chen"_s;
}

void DrawCycleTest::tickPicksTheEntryAtFloorOfRTimesN()
{
    QFETCH(double, r);
    QFETCH(QString, shown);
    DrawFixture f(ThreeNames);
    f.engine.click(PrizeTier::Third);
    f.random.values = {r};
    QCOMPARE(f.engine.tick(), TickOutcome::Shown);
    QCOMPARE(f.state.display, shown);
    QCOMPARE(f.random.reseeds, 1);
}

void DrawCycleTest::tickDoesNothingWhileStopped()
{
    DrawFixture f(ThreeNames);
    f.state.display = u"Previous"_s;
    QCOMPARE(f.engine.tick(), TickOutcome::Idle);
    QCOMPARE(f.state.display, u"Previous"_s);
    QCOMPARE(f.random.reseeds, 0);
}

void DrawCycleTest::shortcutDrivesTheLowestEnabledTier_data()
{
    QTest::addColumn<Enabled>("enabled");
    QTest::addColumn<PrizeTier>("expected");
    QTest::newRow("all enabled: third") << Enabled{true, true, true, true} << PrizeTier::Third;
    QTest::newRow("third disabled: second")
        << Enabled{false, true, true, true} << PrizeTier::Second;
    QTest::newRow("third and second disabled: first")
        << Enabled{false, false, true, true} << PrizeTier::First;
    QTest::newRow("only special enabled: special")
        << Enabled{false, false, false, true} << PrizeTier::Special;
    QTest::newRow("gap below an enabled tier is skipped")
        << Enabled{false, true, false, true} << PrizeTier::Second;
}

void DrawCycleTest::shortcutDrivesTheLowestEnabledTier()
{
    QFETCH(Enabled, enabled);
    QFETCH(PrizeTier, expected);
    DrawFixture f(ThreeNames);
    f.state.enabled = enabled;
    QCOMPARE(f.engine.shortcutTier(), std::optional<PrizeTier>(expected));

    QCOMPARE(f.engine.shortcut(), DrawOutcome::Started);
    QCOMPARE(f.state.captions[tierIndex(expected)], StopCaption);
    f.aimAt(0);
    f.engine.tick();
    QCOMPARE(f.engine.shortcut(), DrawOutcome::Recorded);
    QCOMPARE(f.state.drawnCount[tierIndex(expected)], 1);
    QCOMPARE(f.state.log, logLine(expected, u"Anna"_s));
}

void DrawCycleTest::shortcutTakesOverFromAHigherRollingTier()
{
    DrawFixture f(ThreeNames);
    f.engine.click(PrizeTier::Second);
    QCOMPARE(f.engine.shortcut(), DrawOutcome::Started);
    QCOMPARE(f.state.captions[tierIndex(PrizeTier::Third)], StopCaption);
    QCOMPARE(f.state.captions[tierIndex(PrizeTier::Second)], startCaption(PrizeTier::Second));
    QCOMPARE(f.state.timerInterval, TickIntervalMs);

    f.aimAt(1);
    f.engine.tick();
    QCOMPARE(f.engine.shortcut(), DrawOutcome::Recorded);
    QCOMPARE(f.state.log, u"3等奖:Bob\r\n"_s);
}

void DrawCycleTest::shortcutWithAllTiersDoneChangesNothing()
{
    DrawFixture f(ThreeNames);
    f.drawEntry(PrizeTier::Third, 0);
    f.state.enabled.fill(false);
    f.state.captions[tierIndex(PrizeTier::Special)] = StopCaption.toString();
    f.state.timerInterval = TickIntervalMs;
    const DrawState before = f.state;

    QCOMPARE(f.engine.shortcutTier(), std::nullopt);
    QCOMPARE(f.engine.shortcut(), DrawOutcome::AllTiersDone);
    QCOMPARE(f.engine.shortcut(), DrawOutcome::AllTiersDone);
    QCOMPARE(f.state.captions, before.captions);
    QCOMPARE(f.state.enabled, before.enabled);
    QCOMPARE(f.state.timerInterval, before.timerInterval);
    QCOMPARE(f.state.log, before.log);
    QCOMPARE(f.state.status, before.status);
    QCOMPARE(f.state.display, before.display);
    QCOMPARE(f.state.drawnCount, before.drawnCount);
    QCOMPARE(f.state.candidates.names(), before.candidates.names());
}

void DrawCycleTest::singleCandidateStopsOnceAfterTheNotice()
{
    DrawFixture f({u"Solo"_s});
    f.state.display = u"Previous"_s;
    f.engine.click(PrizeTier::Third);

    QCOMPARE(f.engine.tick(), TickOutcome::SingleCandidate);
    QCOMPARE(f.state.display, u"Previous"_s);
    QCOMPARE(f.state.timerInterval, TickIntervalMs);
    QCOMPARE(f.engine.tick(), TickOutcome::Idle);
    QCOMPARE(f.engine.tick(), TickOutcome::Idle);

    f.engine.singleCandidateNoticeClosed();
    QCOMPARE(f.state.timerInterval, 0);
    QCOMPARE(f.state.captions[tierIndex(PrizeTier::Third)], StopCaption);
    QCOMPARE(f.engine.tick(), TickOutcome::Idle);

    // The button still reads "stop"; its next press ends the roll, and a new start shows
    // the notice again.
    f.engine.click(PrizeTier::Third);
    f.engine.click(PrizeTier::Third);
    QCOMPARE(f.engine.tick(), TickOutcome::SingleCandidate);
}

void DrawCycleTest::emptyPoolKeepsRolling_data()
{
    QTest::addColumn<bool>("everFilled");
    QTest::newRow("pool drawn empty") << true;
    QTest::newRow("pool never filled") << false;
}

void DrawCycleTest::emptyPoolKeepsRolling()
{
    QFETCH(bool, everFilled);
    DrawFixture f({});
    if (everFilled) {
        f.state.candidates.fill({u"Anna"_s});
        f.state.candidates.removeContaining(u"Anna"_s);
    }
    f.state.display = u"Anna"_s;
    f.engine.click(PrizeTier::Second);

    QCOMPARE(f.engine.tick(), TickOutcome::EmptyPool);
    QCOMPARE(f.engine.tick(), TickOutcome::EmptyPool);
    QCOMPARE(f.random.reseeds, 2);
    QCOMPARE(f.state.display, u"Anna"_s);
    QCOMPARE(f.state.timerInterval, TickIntervalMs);
    QCOMPARE(f.state.captions[tierIndex(PrizeTier::Second)], StopCaption);
}
