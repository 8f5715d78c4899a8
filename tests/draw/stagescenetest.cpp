#include "stagescenetest.h"

#include "drawfixture.h"
#include "stagescene.h"

#include <QTest>

namespace {

struct Draw {
    PrizeTier tier;
    qsizetype entry;
};
using Draws = QList<Draw>;

} // namespace

Q_DECLARE_METATYPE(Draws)
Q_DECLARE_METATYPE(StageScene::Kind)

void StageSceneTest::sceneFollowsTheDraw_data()
{
    QTest::addColumn<QStringList>("pool");
    QTest::addColumn<Draws>("draws");
    QTest::addColumn<bool>("rollThird"); // then start the 3rd tier and let it show entry 0
    QTest::addColumn<qsizetype>("listed");
    QTest::addColumn<StageScene::Kind>("kind");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("listHeading");
    QTest::addColumn<QStringList>("lines");

    const QStringList pool{QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王五"),
                           QStringLiteral("赵六")};
    const PrizeTier third = PrizeTier::Third, second = PrizeTier::Second;
    QTest::newRow("before the first winner: tiers with places")
        << pool << Draws{} << false << qsizetype(10) << StageScene::Kind::Tiers << QString()
        << QString() << QString()
        << QStringList{QStringLiteral("3等奖　3 名"), QStringLiteral("2等奖　2 名"),
                       QStringLiteral("特等奖　1 名")};
    QTest::newRow("rolling: the tier and the display")
        << pool << Draws{{second, 1}} << true << qsizetype(10) << StageScene::Kind::Rolling
        << QStringLiteral("正在抽取 3等奖") << QStringLiteral("张三") << QString() << QStringList{};
    // Entry indexes are into the pool as it stands: each winner has left it.
    QTest::newRow("after a stop: that tier's winners only, newest first")
        << pool << Draws{{third, 0}, {second, 0}, {third, 1}} << false << qsizetype(10)
        << StageScene::Kind::Winner << QStringLiteral("3等奖") << QStringLiteral("赵六")
        << QStringLiteral("3等奖中奖名单　2 / 3")
        << QStringList{QStringLiteral("赵六"), QStringLiteral("张三")};
    QTest::newRow("as many winners as there is room for")
        << pool << Draws{{third, 0}, {third, 0}, {third, 0}} << false << qsizetype(2)
        << StageScene::Kind::Winner << QStringLiteral("3等奖") << QStringLiteral("王五")
        << QStringLiteral("3等奖中奖名单　3 / 3")
        << QStringList{QStringLiteral("王五"), QStringLiteral("李四")};
    // A name of many megabytes would keep the layout busy: cut, never inside a pair.
    const QString longName = QString(199, u'a') + QStringLiteral("😀") + QString(9, u'b');
    QTest::newRow("a very long name is cut short")
        << QStringList{longName, QStringLiteral("张三")} << Draws{{third, 0}} << false
        << qsizetype(10) << StageScene::Kind::Winner << QStringLiteral("3等奖")
        << QString(199, u'a') + QChar(0x2026) << QStringLiteral("3等奖中奖名单　1 / 3")
        << QStringList{QString(199, u'a') + QChar(0x2026)};
}

void StageSceneTest::sceneFollowsTheDraw()
{
    QFETCH(QStringList, pool);
    QFETCH(Draws, draws);
    QFETCH(bool, rollThird);
    QFETCH(qsizetype, listed);

    DrawFixture fixture(pool, {3, 2, 0, 1});
    fixture.engine.applySettings(QStringLiteral("年会"), {3, 2, 0, 1});
    for (const Draw &draw : draws)
        QCOMPARE(fixture.drawEntry(draw.tier, draw.entry), DrawOutcome::Recorded);
    if (rollThird) {
        fixture.engine.click(PrizeTier::Third);
        fixture.aimAt(0);
        fixture.engine.tick();
    }

    const StageScene scene = stageScene(fixture.state, listed);
    QCOMPARE(scene.title, QStringLiteral("年会"));
    QTEST(scene.kind, "kind");
    QTEST(scene.heading, "heading");
    QTEST(scene.name, "name");
    QTEST(scene.listHeading, "listHeading");
    QTEST(scene.lines, "lines");
}
