// A tier's winners on pages, brackets kept with their words, and one size for a roll.
#include "tst_stage.h"

#include "candidates.h"
#include "namefit.h"
#include "stagefonts.h"
#include "stagelayout.h"
#include "winnergrid.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextLayout>

namespace {

// `count` winners as a party's list names them: name and department, of varied lengths.
QStringList partyWinners(qsizetype count, bool departments)
{
    static const QStringList Names{QStringLiteral("张伟"), QStringLiteral("欧阳娜娜"),
                                   QStringLiteral("李𪚥"), QStringLiteral("Anna Schmidt"),
                                   QStringLiteral("王芳")};
    static const QStringList Departments{QStringLiteral("销售部"),
                                         QStringLiteral("华东大区市场营销中心"),
                                         QStringLiteral("总裁办公室")};
    QStringList winners;
    for (qsizetype i = 0; i < count; ++i) {
        QString name = Names[i % Names.size()] + QString::number(i);
        if (departments)
            name += QStringLiteral("（%1）").arg(Departments[i % Departments.size()]);
        winners << name;
    }
    return winners;
}

} // namespace

void TestStage::everyWinnerStandsOnAPage_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("winners");
    QTest::addColumn<bool>("departments");
    for (const QSize screen : {QSize(1024, 768), QSize(1920, 1080), QSize(3840, 2160)}) {
        const QString size = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
        for (const int winners : {1, 12, 48, 100, 250})
            for (const bool departments : {false, true})
                QTest::addRow("%s, %d winners%s", qPrintable(size), winners,
                              departments ? " with departments" : "")
                    << screen << winners << departments;
    }
}

// Every winner stands on exactly one page, newest first, at a readable size; the cells of
// a page stay inside the list's area, clear of each other, and hold their name whole.
void TestStage::everyWinnerStandsOnAPage()
{
    QFETCH(QSize, screen);
    QFETCH(int, winners);
    QFETCH(bool, departments);
    const StageLayout layout = stageLayout(screen);
    const QStringList names = partyWinners(winners, departments);
    const WinnerGrid grid =
        fitWinners(names, stageNameFont(layout.listPixels), layout.list, layout.smallestPixels);
    QVERIFY(grid.font.pixelSize() >= layout.smallestPixels);
    QStringList shown;
    for (qsizetype page = 0; page < grid.pages(); ++page) {
        const QStringList onPage = grid.page(page);
        QVERIFY(!onPage.isEmpty());
        QVERIFY(onPage.size() <= grid.perPage);
        QList<QRect> cells;
        for (qsizetype i = 0; i < onPage.size(); ++i) {
            const QRect cell = grid.cellOf(i, onPage.size(), layout.list);
            QVERIFY2(layout.list.contains(cell), qPrintable(onPage[i]));
            for (const QRect &other : cells)
                QVERIFY(!other.intersects(cell));
            cells << cell;
        }
        shown += onPage;
    }
    // Whole names, in their order: the newest first on the first page.
    QCOMPARE(shown, names);
    QCOMPARE(grid.pages() > 1, grid.perPage < winners);
}

void TestStage::bracketsStayWithTheirWords_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("name");
    const QStringList names{
        QStringLiteral("曾强燕（总裁办公室）"),
        QStringLiteral("欧阳建国（华东大区市场营销与品牌管理中心数字化运营部大数据平台组）"),
        QStringLiteral("Maximilian von Hohenstein (Vertrieb und Marketing, Region Sud)"),
        QStringLiteral("司马相如（研发中心【北京】）")};
    for (const QSize screen : {QSize(1024, 768), QSize(1280, 720), QSize(1920, 1080)})
        for (const QString &name : names)
            QTest::addRow("%dx%d %s", screen.width(), screen.height(), qPrintable(name))
                << screen << name;
}

// A break falls before the opening bracket, never inside the bracketed part, when that
// part fits on a line; the name stays whole and inside its band.
void TestStage::bracketsStayWithTheirWords()
{
    QFETCH(QSize, screen);
    QFETCH(QString, name);
    const StageLayout layout = stageLayout(screen);
    // Narrow bands too, where the natural break falls inside the bracket.
    for (const int width :
         {layout.name.width(), layout.name.width() * 2 / 3, layout.name.width() / 2}) {
        const FittedName fitted = fitName(name, stageNameFont(layout.namePixels), width,
                                          layout.name.height(), layout.smallestNamePixels);
        QVERIFY(fitted.height() <= layout.name.height());
        if (fitted.lines.last().endsWith(QChar(0x2026)))
            continue; // too long for three lines at the smallest size: cut, as tested above
        QString joined = fitted.lines.join(QString());
        QCOMPARE(joined.remove(u' '), QString(name).remove(u' '));
        const qsizetype open = name.lastIndexOf(QRegularExpression(QStringLiteral("[（(]")));
        const QString group = name.mid(open);
        if (QFontMetrics(fitted.font).horizontalAdvance(group) > width || fitted.lines.size() < 2)
            continue;
        QVERIFY2(fitted.lines.last().endsWith(group),
                 qPrintable(fitted.lines.join(QStringLiteral(" / "))));
    }
}

// The widest names of a pool set one size for the whole roll: no name of the pool needs a
// smaller one, and a short name is not set larger than the long ones.
void TestStage::aRollKeepsOneSize()
{
    const StageLayout layout = stageLayout(QSize(1920, 1080));
    const QString longest =
        QStringLiteral("欧阳建国（华东大区市场营销与品牌管理中心数字化运营部）");
    const QString latin = QStringLiteral("Maximilian Alexander von Hohenstein");
    QStringList list = partyWinners(2000, false);
    list.insert(1234, longest);
    list.insert(77, latin);
    Candidates pool;
    pool.fill(NameList(list));
    const QStringList widest = widestNames(pool, 16);
    QCOMPARE(widest.size(), 16);
    QVERIFY(widest.contains(longest));
    QVERIFY(widest.contains(latin));
    const QFont font = stageNameFont(layout.namePixels);
    const int steady = steadyPixels(widest, font, layout.name.width(), layout.name.height(),
                                    layout.smallestNamePixels);
    QVERIFY(steady < layout.namePixels);
    QVERIFY(steady >= layout.smallestNamePixels);
    QFont rolling = font;
    rolling.setPixelSize(steady);
    QSet<int> sizes;
    for (const QString &name : list)
        sizes << fitName(name, rolling, layout.name.width(), layout.name.height(),
                         layout.smallestNamePixels)
                     .font.pixelSize();
    QCOMPARE(sizes, QSet<int>{steady});
}

void TestStage::rareCharactersHaveGlyphs_data()
{
    QTest::addColumn<QStringList>("families");
    QTest::addColumn<QString>("name");
    const QString extensionB = QStringLiteral("李𪚥");
    QTest::newRow("sans, Extension B") << StageFonts::Sans << extensionB;
    QTest::newRow("serif, Extension B") << StageFonts::Serif << extensionB;
    QTest::newRow("sans, Extension C") << StageFonts::Sans << QStringLiteral("王𫝀");
    // Windows has its own emoji font; the tests under Wine are given none.
    if (QFontDatabase::families().contains(QStringLiteral("Noto Color Emoji")))
        QTest::newRow("sans, emoji") << StageFonts::Sans << QStringLiteral("张伟🎉");
}

// Every character of a name has a glyph in one of the stage's fonts: none shows as a box.
void TestStage::rareCharactersHaveGlyphs()
{
    QFETCH(QStringList, families);
    QFETCH(QString, name);
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(64);
    QTextLayout layout(name, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int glyphs = 0;
    for (const QGlyphRun &run : layout.glyphRuns()) {
        for (const quint32 index : run.glyphIndexes()) {
            QVERIFY2(index != 0, qPrintable(run.rawFont().familyName()));
            ++glyphs;
        }
    }
    QCOMPARE(glyphs, int(name.toUcs4().size()));
}
