#include "stagescenetest.h"

#include "drawfixture.h"
#include "stagescene.h"

#include <QTest>

Q_DECLARE_METATYPE(StageScene::Kind)

namespace {

const QStringList Pool{QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王五"),
                       QStringLiteral("赵六")};
constexpr Counts Quotas{2, 1, 0, 1};

PrizeTier tierNamed(const QString &name)
{
    return name == u"特" ? PrizeTier::Special : AllTiers[std::size_t(3 - name.toInt())];
}

// Runs one step of a script on the engine, as the main window's events do:
//   "draw 3 0"  start the 3rd tier, show pool entry 0, stop
//   "start 3", "stop 3", "tick 1" (shows entry 1), "tick" (a tick with whatever is left)
//   "void 0"    void the log's top line      "reset"  the reset with the same list
//   "resume"    a new engine puts back 张三 (3rd tier) and 李四 (2nd), then voids 张三
//   "settings"  the title and quotas saved anew
void run(DrawFixture &fixture, const QString &step)
{
    const QStringList words = step.split(u' ');
    DrawEngine &engine = fixture.engine;
    if (words[0] == u"draw") {
        fixture.drawEntry(tierNamed(words[1]), words[2].toInt());
    } else if (words[0] == u"start" || words[0] == u"stop") {
        engine.click(tierNamed(words[1]));
    } else if (words[0] == u"tick") {
        if (words.size() > 1)
            fixture.aimAt(words[1].toInt());
        if (engine.tick() == TickOutcome::SingleCandidate)
            engine.singleCandidateNoticeClosed();
    } else if (words[0] == u"void") {
        QCOMPARE(engine.voidPlace(words[1].toInt()), VoidOutcome::Voided);
    } else if (words[0] == u"reset") {
        engine.clearForReset();
        engine.applySettings(QStringLiteral("年会"), Quotas);
        fixture.state.candidates.fill(Pool);
        engine.resetCaptions();
    } else if (words[0] == u"resume") {
        engine.restoreWinners({{PrizeTier::Third, Pool[0]}, {PrizeTier::Second, Pool[1]}}, {0});
    } else if (words[0] == u"settings") {
        engine.applySettings(QStringLiteral("新年会"), {3, 1, 0, 1});
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

} // namespace

void StageSceneTest::eachEventShowsOneTrueScreen_data()
{
    QTest::addColumn<QStringList>("pool");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<StageScene::Kind>("kind");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("listHeading");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("notice");

    using K = StageScene::Kind;
    const QString none;
    const QStringList tiers{QStringLiteral("3等奖　2 名"), QStringLiteral("2等奖　1 名"),
                            QStringLiteral("特等奖　1 名")};
    const auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };

    row("opening: the tiers with places")
        << Pool << QStringList{} << K::Tiers << none << none << none << tiers << none;
    row("start: the tier, and no name before the roll shows one")
        << Pool << QStringList{"draw 3 0", "start 3"} << K::Rolling
        << QStringLiteral("正在抽取 3等奖") << none << none << QStringList{} << none;
    row("tick: the name the roll shows") << Pool << QStringList{"start 3", "tick 1"} << K::Rolling
                                         << QStringLiteral("正在抽取 3等奖")
                                         << QStringLiteral("李四") << none << QStringList{} << none;
    row("switch of tier mid-roll: the new tier, the same roll")
        << Pool << QStringList{"start 3", "tick 1", "start 特"} << K::Rolling
        << QStringLiteral("正在抽取 特等奖") << QStringLiteral("李四") << none << QStringList{}
        << none;
    row("stop: the winner and that tier's winners, newest first")
        << Pool << QStringList{"draw 3 0", "draw 2 0", "draw 3 1"} << K::Winner
        << QStringLiteral("3等奖") << QStringLiteral("赵六")
        << QStringLiteral("3等奖中奖名单　2 / 2　名额已满")
        << QStringList{QStringLiteral("赵六"), QStringLiteral("张三")} << none;
    row("a stop without a name shown: still the last winner")
        << Pool << QStringList{"draw 2 1", "start 3", "stop 3"} << K::Winner
        << QStringLiteral("2等奖") << QStringLiteral("李四")
        << QStringLiteral("2等奖中奖名单　1 / 1　名额已满") << QStringList{QStringLiteral("李四")}
        << none;
    row("one name left: no roll, no name, the notice")
        << Pool.mid(0, 2) << QStringList{"draw 3 0", "start 特", "tick"} << K::Rolling
        << QStringLiteral("特等奖") << none << none << QStringList{}
        << QStringLiteral("现在只剩下一人参与抽奖");
    // A winner takes every entry that holds the name with it.
    row("empty pool while rolling: no name, the notice")
        << QStringList{QStringLiteral("张三"), QStringLiteral("张三丰")}
        << QStringList{"draw 3 0", "start 3", "tick"} << K::Rolling << QStringLiteral("3等奖")
        << none << none << QStringList{} << QStringLiteral("名单中已没有可抽取的人");
    row("every tier full: the last winner, and the draw complete")
        << Pool + QStringList{QStringLiteral("孙七")}
        << QStringList{"draw 3 0", "draw 3 0", "draw 2 0", "draw 特 0"} << K::Winner
        << QStringLiteral("特等奖") << QStringLiteral("赵六")
        << QStringLiteral("特等奖中奖名单　1 / 1　名额已满") << QStringList{QStringLiteral("赵六")}
        << QStringLiteral("抽奖任务已完成");
    row("void: who, and the place it left open, never as a winner")
        << Pool << QStringList{"draw 3 0", "draw 2 0", "void 0"} << K::Voided
        << QStringLiteral("作废（未到场）") << QStringLiteral("李四")
        << QStringLiteral("2等奖中奖名单　0 / 1　名额退回，可重新抽取") << QStringList{} << none;
    row("the next start after a void rolls again")
        << Pool << QStringList{"draw 2 0", "void 0", "start 2", "tick 0"} << K::Rolling
        << QStringLiteral("正在抽取 2等奖") << QStringLiteral("李四") << none << QStringList{}
        << none;
    row("resume: where the draw stands, not the void put back")
        << Pool << QStringList{"resume"} << K::Winner << QStringLiteral("2等奖")
        << QStringLiteral("李四") << QStringLiteral("2等奖中奖名单　1 / 1　名额已满")
        << QStringList{QStringLiteral("李四")} << none;
    row("reset: the tiers again") << Pool << QStringList{"draw 3 0", "void 0", "reset"} << K::Tiers
                                  << none << none << none << tiers << none;
    row("settings saved: the new quotas")
        << Pool << QStringList{"draw 3 0", "settings"} << K::Winner << QStringLiteral("3等奖")
        << QStringLiteral("张三") << QStringLiteral("3等奖中奖名单　1 / 3")
        << QStringList{QStringLiteral("张三")} << none;
    // A name of megabytes would keep the layout busy: cut, never inside a pair.
    const QString longName = QString(199, u'a') + QStringLiteral("😀") + QString(9, u'b');
    row("a very long name is cut short")
        << QStringList{longName, QStringLiteral("张三")} << QStringList{"draw 3 0"} << K::Winner
        << QStringLiteral("3等奖") << QString(199, u'a') + QChar(0x2026)
        << QStringLiteral("3等奖中奖名单　1 / 2") << QStringList{QString(199, u'a') + QChar(0x2026)}
        << none;
}

void StageSceneTest::eachEventShowsOneTrueScreen()
{
    QFETCH(QStringList, pool);
    QFETCH(QStringList, steps);

    DrawFixture fixture(pool, Quotas);
    fixture.engine.applySettings(QStringLiteral("年会"), Quotas);
    for (const QString &step : steps) {
        run(fixture, step);
        if (QTest::currentTestFailed())
            return;
    }

    const StageScene scene = stageScene(fixture.state, 10);
    QCOMPARE(scene.title, steps.contains(QStringLiteral("settings")) ? QStringLiteral("新年会")
                                                                     : QStringLiteral("年会"));
    QTEST(scene.kind, "kind");
    QTEST(scene.heading, "heading");
    QTEST(scene.name, "name");
    QTEST(scene.listHeading, "listHeading");
    QTEST(scene.lines, "lines");
    QTEST(scene.notice, "notice");
    // The main window's display shows nobody voided as if current.
    if (scene.kind == StageScene::Kind::Voided)
        QVERIFY(fixture.state.display.isEmpty());
}
