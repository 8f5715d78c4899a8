#include "tst_stage.h"

#include "glyphimages.h"
#include "namefit.h"
#include "stagelayout.h"
#include "stagelook.h"
#include "winnergrid.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QTest>

#include <cmath>

QFont stageNameFont(int pixels)
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Color Emoji")});
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

void TestStage::layoutScalesWithTheScreen_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("1280 x 720") << QSize(1280, 720);
    QTest::newRow("1920 x 1080") << QSize(1920, 1080);
    QTest::newRow("3840 x 2160") << QSize(3840, 2160);
    QTest::newRow("4:3, 1024 x 768") << QSize(1024, 768);
}

void TestStage::layoutScalesWithTheScreen()
{
    QFETCH(QSize, size);
    const StageLayout layout = stageLayout(size);
    const qreal h = size.height();
    QVERIFY(layout.namePixels >= 0.15 * h);
    for (int pixels : {layout.titlePixels, layout.headingPixels, layout.listHeadingPixels,
                       layout.listPixels, layout.tierPixels, layout.smallestPixels})
        QVERIFY2(pixels >= std::floor(0.03 * h), qPrintable(QString::number(pixels)));
    // The same shares at every size, to a pixel of rounding.
    const StageLayout reference = stageLayout(QSize(1920, 1080));
    QVERIFY(std::abs(layout.namePixels - reference.namePixels * h / 1080) <= 1);
    QVERIFY(std::abs(layout.name.top() - reference.name.top() * h / 1080) <= 1);
    // The parts stand one below the other, inside the screen.
    const QRect screen(QPoint(), size);
    QVERIFY(layout.title.bottom() < layout.heading.top());
    QVERIFY(layout.heading.bottom() < layout.name.top());
    QVERIFY(layout.name.bottom() < layout.listHeading.top());
    QVERIFY(layout.listHeading.bottom() < layout.list.top());
    QVERIFY(layout.list.bottom() < layout.notice.top());
    for (const QRect &part : {layout.title, layout.name, layout.list, layout.notice, layout.tiers})
        QVERIFY(screen.contains(part));
    QVERIFY(layout.smallestNamePixels >= std::floor(0.08 * h));
    // The codes the hall photographs.
    QVERIFY(layout.proofPixels >= 0.035 * h);
}

void TestStage::namesStayLargeAndWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lines");   // at most
    QTest::addColumn<qreal>("share"); // of the height, at least, per line
    QTest::addColumn<bool>("whole");
    const QString forty = QStringLiteral(
        "欧阳建国（华东大区市场营销与品牌管理中心数字化运营部高级经理助理兼任培训专员）");
    QTest::newRow("a short name, one line at full size")
        << QStringLiteral("张三") << 1 << 0.24 << true;
    QTest::newRow("a name and its department, 40 characters")
        << forty.left(40) << 3 << 0.08 << true;
    QTest::newRow("a 69-character Latin name")
        << QStringLiteral("Maximilian Alexander Christopher von Hohenstein-Wittgenstein-Berleburg")
        << 3 << 0.08 << true;
    QTest::newRow("a name beyond three lines at the smallest size is cut")
        << forty.repeated(3) << 3 << 0.08 << false;
}

void TestStage::namesStayLargeAndWhole()
{
    QFETCH(QString, name);
    QFETCH(int, lines);
    QFETCH(qreal, share);
    QFETCH(bool, whole);
    const StageLayout layout = stageLayout(QSize(1920, 1080));
    const FittedName fitted = fitName(name, stageNameFont(layout.namePixels), layout.name.width(),
                                      layout.name.height(), layout.smallestNamePixels);
    QVERIFY(fitted.lines.size() <= lines);
    QVERIFY2(fitted.font.pixelSize() >= std::floor(share * 1080),
             qPrintable(QString::number(fitted.font.pixelSize())));
    QVERIFY(fitted.height() <= layout.name.height());
    const QFontMetrics metrics(fitted.font);
    for (const QString &line : fitted.lines)
        QVERIFY(metrics.horizontalAdvance(line) <= layout.name.width());
    QString shown = fitted.lines.join(QString());
    shown.remove(u' ');
    QString expected = name;
    expected.remove(u' ');
    QCOMPARE(shown == expected, whole);
    if (!whole)
        QVERIFY(fitted.lines.last().endsWith(QChar(0x2026)));

    // A tier's list shows that name whole when it is the only one, and a long list shrinks
    // before it cuts.
    if (whole) {
        const WinnerGrid grid = fitWinners({name}, stageNameFont(layout.listPixels), layout.list,
                                           layout.smallestPixels);
        QCOMPARE(grid.page(0), QStringList{name});
    }
}

void TestStage::textKeepsItsContrast_data()
{
    QTest::addColumn<QImage>("picture");
    QImage white(640, 360, QImage::Format_RGB32);
    white.fill(Qt::white);
    QImage noise(800, 600, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y, seed >> 8);
        }
    QImage yellow(300, 900, QImage::Format_RGB32); // portrait: scaled to cover, cropped
    yellow.fill(QColor(255, 240, 0));
    QTest::newRow("the party red") << QImage();
    QTest::newRow("a white picture") << white;
    QTest::newRow("a busy photograph") << noise;
    QTest::newRow("a portrait in yellow") << yellow;
}

// Every ink keeps its contrast over every pixel of a text's area, on the plate that area
// gets; a picture is not darkened where no text stands, and a plate is only as dark as
// that area needs, and never so light that a busy picture runs through the letters.
void TestStage::textKeepsItsContrast()
{
    QFETCH(QImage, picture);
    const QSize size(1024, 768);
    const StageLayout layout = stageLayout(size);
    const QList<QRect> areas{layout.title, layout.heading, layout.name, layout.list};
    const StageLook::Backdrop backdrop = StageLook::backdrop(size, picture, areas);
    QCOMPARE(backdrop.image.size(), size);
    QCOMPARE(backdrop.plateAlpha.size(), areas.size());
    qreal darkestInk = 1;
    for (const QColor &ink : StageLook::BackgroundInks)
        darkestInk = std::min(darkestInk, StageLook::relativeLuminance(ink.rgb()));
    const qreal limit = (darkestInk + 0.05) / StageLook::MinimumContrast - 0.05;
    for (qsizetype a = 0; a < areas.size(); ++a) {
        const int alpha = backdrop.plateAlpha[a];
        QVERIFY(picture.isNull() ? alpha == 0 : alpha >= StageLook::MinimumPlateAlpha);
        qreal lowest = 100, brightest = 0;
        for (int y = areas[a].top(); y <= areas[a].bottom(); ++y) {
            for (int x = areas[a].left(); x <= areas[a].right(); ++x) {
                const QRgb p = backdrop.image.pixel(x, y);
                const QRgb behind = qRgb(StageLook::underPlate(qRed(p), alpha),
                                         StageLook::underPlate(qGreen(p), alpha),
                                         StageLook::underPlate(qBlue(p), alpha));
                brightest = std::max(brightest, StageLook::relativeLuminance(behind));
                for (const QColor &ink : StageLook::BackgroundInks)
                    lowest = std::min(lowest, StageLook::contrastRatio(ink.rgb(), behind));
            }
        }
        QVERIFY2(lowest >= StageLook::MinimumContrast, qPrintable(QString::number(lowest)));
        // Only as dark as needed: a lighter plate than the least allowed would not do.
        if (!picture.isNull() && alpha > StageLook::MinimumPlateAlpha)
            QVERIFY2(brightest >= 0.8 * limit, qPrintable(QString::number(brightest)));
    }
    // The picture itself keeps its brightness.
    if (!picture.isNull()) {
        const QImage covered =
            picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGB32);
        const QPoint offset((covered.width() - size.width()) / 2,
                            (covered.height() - size.height()) / 2);
        const QPoint middle(size.width() / 2, size.height() / 2);
        QCOMPARE(qGray(backdrop.image.pixel(middle)), qGray(covered.pixel(middle + offset)));
    }
}

void TestStage::glyphImagesPaintWhatDrawTextPaints_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("colour"); // some of it in colours the ink has not
    QTest::newRow("Chinese, large") << QStringLiteral("欧阳建国") << 259 << false;
    QTest::newRow("Latin, kerned pairs") << QStringLiteral("AVAWa Tom") << 180 << false;
    QTest::newRow("mixed, through font fallback") << QStringLiteral("Anna 王") << 120 << false;
    if (QFontDatabase::families().contains(QStringLiteral("Noto Color Emoji")))
        QTest::newRow("emoji, in colour") << QStringLiteral("王😀🎉") << 160 << true;
}

void TestStage::glyphImagesPaintWhatDrawTextPaints()
{
    QFETCH(QString, text);
    QFETCH(int, pixels);
    QFETCH(bool, colour);
    const QFont font = stageNameFont(pixels);
    const QPoint topLeft(40, 30);
    const QColor ink(0xff, 0xd7, 0x00);
    const QSize size(QFontMetrics(font).horizontalAdvance(text) + 80, pixels * 2);

    QImage expected(size, QImage::Format_RGB32);
    expected.fill(Qt::black);
    {
        QPainter painter(&expected);
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QPointF(topLeft) + QPointF(0, QFontMetricsF(font).ascent()), text);
    }
    // A small budget: images are dropped and made again while the text is drawn twice.
    GlyphImages images(256 * 1024, ink);
    QImage painted(size, QImage::Format_RGB32);
    for (int round = 0; round < 2; ++round) {
        painted.fill(Qt::black);
        QPainter painter(&painted);
        images.draw(painter, topLeft, font, text);
    }
    QVERIFY(images.bytes() <= 256 * 1024 || images.count() == 1);

    // The same colours in the same places: glyphs stand on whole pixels, so edges may
    // differ a little. An emoji drawn as a blot of the ink would differ in its colours.
    qint64 painted_ = 0, difference = 0, blue = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QRgb a = expected.pixel(x, y), b = painted.pixel(x, y);
            blue += qBlue(b) > 128; // the ink has none
            painted_ += qRed(a) + qGreen(a) + qBlue(a);
            difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                          std::abs(qBlue(a) - qBlue(b));
        }
    }
    QVERIFY(painted_ > 0);
    QCOMPARE(blue > 100, colour);
    QVERIFY2(difference < painted_ / 10,
             qPrintable(QStringLiteral("%1 of %2").arg(difference).arg(painted_)));
}

QTEST_MAIN(TestStage)
