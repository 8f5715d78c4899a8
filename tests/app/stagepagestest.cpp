#include "tst_stageview.h"

#include "stageview.h"

#include <QPlainTextEdit>
#include <QSet>
#include <QTest>

// A hundred third prizes through the real window: the stage shows every one of them,
// page by page with the page named, the newest first; and while the tier rolls, names of
// every length roll at one size.
void TestStageView::hundredWinnersTurnPagesAndARollKeepsItsSize()
{
    window_.reset();
    AppFixture fixture;
    fixture.writeSettings(QStringLiteral("年会"), {QStringLiteral("100"), QStringLiteral("1"),
                                                   QStringLiteral("1"), QStringLiteral("1")});
    QStringList names;
    for (int i = 0; i < 130; ++i)
        names << (i % 3 == 0 ? QStringLiteral("欧阳建国%1号（华东大区市场营销中心）").arg(i)
                             : QStringLiteral("张伟%1号").arg(i));
    fixture.writeCandidates(names);
    std::unique_ptr<Form1> window = fixture.openMainWindow();
    QTest::keyClick(window->controls().T1, Qt::Key_F5);
    StageView *stage = window->stageView();
    QVERIFY(stage && stage->isVisible());

    QSet<int> rollSizes;
    for (int i = 0; i < 100; ++i) {
        fixture.random.values << 0.0;
        QTest::keyClick(window->controls().T1, Qt::Key_Space);
        // Each tick shows another name: long and short ones alike keep the roll's size.
        for (int tick = 0; tick < 3; ++tick) {
            fixture.random.values << (tick * 0.37);
            window->tick();
            rollSizes << stage->fittedName().font.pixelSize();
        }
        QTest::keyClick(window->controls().T1, Qt::Key_Space);
    }
    QCOMPARE(rollSizes.size(), 1);
    QCOMPARE(window->engine().state().drawnCount[0], 100);
    QCOMPARE(stage->scene().lines.size(), 100);

    const WinnerGrid &grid = stage->winnerGrid();
    QVERIFY2(grid.pages() > 1, qPrintable(QString::number(grid.pages())));
    QVERIFY(grid.font.pixelSize() >= stage->height() * 3 / 100);
    QCOMPARE(stage->winnerPage(), 0);
    QStringList seen;
    for (qsizetype page = 0; page < grid.pages(); ++page) {
        QCOMPARE(stage->winnerPage(), page);
        seen += grid.page(page);
        stage->turnPage();
    }
    // Round again to the first page, the newest winners.
    QCOMPARE(stage->winnerPage(), 0);
    QCOMPARE(seen, stage->scene().lines);
    QCOMPARE(seen.first(), stage->scene().name);
}
