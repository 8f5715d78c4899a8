#include "icofile.h"

#include <QBuffer>
#include <QImageReader>
#include <QTest>

namespace {

// Every picture of an icon file as Qt's own ICO reader sees it.
QList<QImage> readIco(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QList<QImage> images;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            break;
        images.append(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

// Colours from the 16-colour palette, so every way of storing them keeps them exactly, in
// a pattern with transparent pixels at the ends of rows, where the padding starts.
QImage patternImage(QSize size)
{
    const QList<QRgb> colours = sixteenColourPalette();
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           (x + 2 * y) % 5 == 0 ? qRgba(0, 0, 0, 0)
                                                : colours[(3 * x + y) % colours.size()]);
    return image;
}

QImage picture(const QString &name)
{
    return QImage(QStringLiteral(PRIZEDRAW_PICTURE_DIR "/") + name)
        .convertToFormat(QImage::Format_ARGB32);
}

bool drawn(QRgb pixel)
{
    return qAlpha(pixel) >= 128;
}

} // namespace

class TestIcoFile : public QObject {
    Q_OBJECT
private slots:
    void picturesReadBackExactly_data();
    void picturesReadBackExactly();
    void programIconHoldsEverySize();
    void palettedProgramIconsKeepTheShape_data();
    void palettedProgramIconsKeepTheShape();
};

void TestIcoFile::picturesReadBackExactly_data()
{
    QTest::addColumn<IconColours>("colours");
    QTest::addColumn<QSize>("size");
    QTest::newRow("16 colours, 13 x 7: odd half-bytes and padded rows")
        << IconColours::Sixteen << QSize(13, 7);
    QTest::newRow("16 colours, 48 x 48") << IconColours::Sixteen << QSize(48, 48);
    QTest::newRow("256 colours, 33 x 5: a mask row longer than one word")
        << IconColours::TwoFiftySix << QSize(33, 5);
    QTest::newRow("256 colours, 16 x 16") << IconColours::TwoFiftySix << QSize(16, 16);
    QTest::newRow("full colour, 13 x 7") << IconColours::Full << QSize(13, 7);
    QTest::newRow("full colour, 256 x 256 kept as PNG") << IconColours::Full << QSize(256, 256);
}

void TestIcoFile::picturesReadBackExactly()
{
    QFETCH(IconColours, colours);
    QFETCH(QSize, size);
    const QImage image = patternImage(size);
    const QList<QImage> read = readIco(icoFileBytes({{image, colours}}));
    QCOMPARE(read.size(), 1);
    QCOMPARE(read[0].size(), size);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb want = image.pixel(x, y);
            const QRgb got = read[0].pixel(x, y);
            if (qAlpha(want) == 0)
                QVERIFY2(qAlpha(got) == 0, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            else
                QVERIFY2(got == want, qPrintable(QStringLiteral("(%1, %2): %3 for %4")
                                                     .arg(x)
                                                     .arg(y)
                                                     .arg(got, 8, 16)
                                                     .arg(want, 8, 16)));
        }
}

// The file the build made: 16, 32 and 48 pixels in full, 256 and 16 colours, and the
// large picture; the full-colour ones are the window's icons exactly.
void TestIcoFile::programIconHoldsEverySize()
{
    QFile file(QStringLiteral(PRIZEDRAW_PICTURE_DIR "/prizedraw.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QImage> read = readIco(file.readAll());
    QCOMPARE(read.size(), 10);
    const QList<int> sizes{16, 16, 16, 32, 32, 32, 48, 48, 48, 256};
    for (qsizetype i = 0; i < read.size(); ++i)
        QCOMPARE(read[i].size(), QSize(sizes[i], sizes[i]));
    QCOMPARE(read[0], picture(QStringLiteral("icon16.png")));
    QCOMPARE(read[3], picture(QStringLiteral("icon32.png")));
    QCOMPARE(read[6], picture(QStringLiteral("icon48.png")));
    QCOMPARE(read[9], picture(QStringLiteral("prizedraw.png")));
}

void TestIcoFile::palettedProgramIconsKeepTheShape_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("tolerance");
    // The cube's steps are 51 apart, so no channel lies further than 26 from one; the 16
    // colours are coarser still.
    QTest::newRow("16 px in 256 colours") << 1 << "icon16.png" << 26;
    QTest::newRow("48 px in 256 colours") << 7 << "icon48.png" << 26;
    QTest::newRow("16 px in 16 colours") << 2 << "icon16.png" << 128;
    QTest::newRow("48 px in 16 colours") << 8 << "icon48.png" << 128;
}

void TestIcoFile::palettedProgramIconsKeepTheShape()
{
    QFETCH(int, index);
    QFETCH(QString, source);
    QFETCH(int, tolerance);
    QFile file(QStringLiteral(PRIZEDRAW_PICTURE_DIR "/prizedraw.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QImage read = readIco(file.readAll()).value(index);
    const QImage want = picture(source);
    QCOMPARE(read.size(), want.size());
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x) {
            const QRgb w = want.pixel(x, y);
            const QRgb g = read.pixel(x, y);
            QCOMPARE(drawn(g), drawn(w));
            if (drawn(w))
                QVERIFY(qAbs(qRed(g) - qRed(w)) <= tolerance &&
                        qAbs(qGreen(g) - qGreen(w)) <= tolerance &&
                        qAbs(qBlue(g) - qBlue(w)) <= tolerance);
        }
}

QTEST_GUILESS_MAIN(TestIcoFile)
#include "tst_icofile.moc"
