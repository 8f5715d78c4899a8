#include "glyphimages.h"
#include "stagelayout.h"

#include <QApplication>
#include <QPainter>
#include <QTest>

#include <cmath>

// The stage's pieces below its window: the layout scales with the screen, and the rolling
// name painted from kept glyph images looks as QPainter would paint it.
class TestStage : public QObject {
    Q_OBJECT
private slots:
    void layoutScalesWithTheScreen_data();
    void layoutScalesWithTheScreen();
    void glyphImagesPaintWhatDrawTextPaints_data();
    void glyphImagesPaintWhatDrawTextPaints();
};

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
    for (const QRect &part : {layout.title, layout.name, layout.list, layout.tiers})
        QVERIFY(screen.contains(part));
    QVERIFY(layout.listCapacity() >= 8);
    QVERIFY(layout.listCell().height() > layout.listPixels);
}

void TestStage::glyphImagesPaintWhatDrawTextPaints_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixels");
    QTest::newRow("Chinese, large") << QStringLiteral("欧阳建国") << 259;
    QTest::newRow("Latin, kerned pairs") << QStringLiteral("AVAWa Tom") << 180;
    QTest::newRow("mixed, through font fallback") << QStringLiteral("Anna 王") << 120;
}

void TestStage::glyphImagesPaintWhatDrawTextPaints()
{
    QFETCH(QString, text);
    QFETCH(int, pixels);
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixels);
    font.setBold(true);
    const QPoint topLeft(40, 30);
    const QSize size(QFontMetrics(font).horizontalAdvance(text) + 80, pixels * 2);

    QImage expected(size, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter painter(&expected);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(topLeft) + QPointF(0, QFontMetricsF(font).ascent()), text);
    }
    // A small budget: images are dropped and made again while the text is drawn twice.
    GlyphImages images(64 * 1024);
    QImage painted(size, QImage::Format_RGB32);
    for (int round = 0; round < 2; ++round) {
        painted.fill(Qt::white);
        QPainter painter(&painted);
        images.draw(painter, topLeft, font, text);
    }
    QVERIFY(images.bytes() <= 64 * 1024 || images.count() == 1);

    // Ink in the same places: glyphs stand on whole pixels, so edges may differ a little.
    qint64 ink = 0, difference = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int a = 255 - qGray(expected.pixel(x, y));
            const int b = 255 - qGray(painted.pixel(x, y));
            ink += a;
            difference += std::abs(a - b);
        }
    }
    QVERIFY(ink > 0);
    QVERIFY2(difference < ink / 10,
             qPrintable(QStringLiteral("%1 of %2").arg(difference).arg(ink)));
}

QTEST_MAIN(TestStage)
#include "tst_stage.moc"
