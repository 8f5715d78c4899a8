#include "stoptest.h"

#include "drawfixture.h"

#include <QTest>

#include <numeric>
#include <optional>

using namespace Qt::StringLiterals;
Q_DECLARE_METATYPE(DrawOutcome)

namespace {

const QStringList ThreeNames{u"Anna"_s, u"Bob"_s, u"Chen"_s};

} // namespace

// Steps, separated by spaces: k the shortcut, 3 and 2 a click on that tier, t a tick,
// c the single-candidate notice closed, =text the operator typing text into the display,
// y the operator confirming a stop on text put into the display.
void StopTest::stopRecordsOnlyANameTheRollShowed_data()
{
    QTest::addColumn<QStringList>("pool");
    QTest::addColumn<bool>("drawnEmpty");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<DrawOutcome>("lastOutcome");
    QTest::addColumn<QString>("log");

    const DrawOutcome none = DrawOutcome::NoWinner;
    QTest::newRow("a stop after a tick records the shown name")
        << ThreeNames << false << u"k t k"_s << DrawOutcome::Recorded << u"3等奖:Anna\r\n"_s;
    QTest::newRow("a second press 8 ms after the start, before any tick")
        << ThreeNames << false << u"k k"_s << none << QString();
    QTest::newRow("40 fast presses with no tick between")
        << ThreeNames << false << QStringList(40, u"k"_s).join(u' ') << none << QString();
    QTest::newRow("the roll after a recorded stop starts without a name")
        << ThreeNames << false << u"k t k k k"_s << none << u"3等奖:Anna\r\n"_s;
    QTest::newRow("a switch of tiers keeps the name the roll showed")
        << ThreeNames << false << u"3 t 2 2"_s << DrawOutcome::Recorded << u"2等奖:Anna\r\n"_s;
    QTest::newRow("a switch of tiers before any tick has no name to keep")
        << ThreeNames << false << u"3 2 2"_s << none << QString();
    QTest::newRow("a name typed during the roll asks first")
        << ThreeNames << false << u"k =Zoe k"_s << DrawOutcome::Unlisted << QString();
    QTest::newRow("confirmed, the typed name is recorded")
        << ThreeNames << false << u"k =Zoe k y"_s << DrawOutcome::Recorded << u"3等奖:Zoe\r\n"_s;
    QTest::newRow("a shown name cut short by a stray key asks first")
        << ThreeNames << false << u"k t =Ann k"_s << DrawOutcome::Unlisted << QString();
    QTest::newRow("typed after the single-candidate notice asks first")
        << QStringList{u"Solo"_s} << false << u"k t c =BOSS k"_s << DrawOutcome::Unlisted
        << QString();
    QTest::newRow("a name of the pool typed in full asks too")
        << ThreeNames << false << u"k =Bob k"_s << DrawOutcome::Edited << QString();
    QTest::newRow("a name of the pool typed over the shown one asks too")
        << ThreeNames << false << u"k t =Chen k"_s << DrawOutcome::Edited << QString();
    QTest::newRow("confirmed, the typed name of the pool is recorded as typed")
        << ThreeNames << false << u"k t =Bob k y"_s << DrawOutcome::Recorded << u"3等奖:Bob\r\n"_s;
    QTest::newRow("a tick after the typing shows a name, which never asks")
        << ThreeNames << false << u"k =Zoe t k"_s << DrawOutcome::Recorded << u"3等奖:Anna\r\n"_s;
    QTest::newRow("a confirmation after the next start records nothing")
        << ThreeNames << false << u"k =Zoe k 2 2 y"_s << none << QString();
    QTest::newRow("a name typed before the roll does not count")
        << ThreeNames << false << u"=Zoe k k"_s << none << QString();
    QTest::newRow("a display emptied during the roll records nobody")
        << ThreeNames << false << u"k t = k"_s << none << QString();
    QTest::newRow("the press after the single-candidate stop ends it quietly")
        << QStringList{u"Solo"_s} << false << u"k t c k"_s << none << QString();
    QTest::newRow("a pool drawn empty has no one left")
        << QStringList{u"Anna"_s} << true << u"k t k"_s << DrawOutcome::NoOneLeft << QString();
    QTest::newRow("a pool never filled has no one left")
        << QStringList{} << false << u"k t k"_s << DrawOutcome::NoOneLeft << QString();
}

void StopTest::stopRecordsOnlyANameTheRollShowed()
{
    QFETCH(QStringList, pool);
    QFETCH(bool, drawnEmpty);
    QFETCH(QString, steps);
    QFETCH(DrawOutcome, lastOutcome);
    QFETCH(QString, log);

    DrawFixture f(pool);
    if (drawnEmpty)
        f.state.candidates.removeContaining(pool.first());
    f.state.display = u"Previous"_s; // the last winner still shows
    const QStringList poolBefore = f.state.candidates.names();

    std::optional<DrawOutcome> last;
    for (const QString &step : steps.split(u' ')) {
        if (step == u"k")
            last = f.engine.shortcut();
        else if (step == u"3" || step == u"2")
            last = f.engine.click(step == u"3" ? PrizeTier::Third : PrizeTier::Second);
        else if (step == u"t")
            f.engine.tick();
        else if (step == u"c")
            f.engine.singleCandidateNoticeClosed();
        else if (step.startsWith(u'='))
            f.engine.editDisplay(step.mid(1));
        else if (step == u"y")
            last = f.engine.recordTyped();
        else
            QFAIL("unknown step");
    }

    QCOMPARE(last, std::optional<DrawOutcome>(lastOutcome));
    QCOMPARE(f.state.log, log);
    const qsizetype lines = log.count(u"\r\n"_s);
    QCOMPARE(std::accumulate(f.state.drawnCount.begin(), f.state.drawnCount.end(), qint64(0)),
             qint64(lines));
    QCOMPARE(f.state.status.isEmpty(), lines == 0);
    if (lines == 0)
        QCOMPARE(f.state.candidates.names(), poolBefore);
    else
        QCOMPARE(f.state.winners.last().typed, steps.endsWith(u" y"_s));
    QCOMPARE(f.state.captions, DrawState::startCaptions());
    QCOMPARE(f.state.timerInterval, 0);
}
