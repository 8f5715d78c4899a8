#include "icofile.h"

#include <QBuffer>
#include <QDataStream>

namespace {

// A pixel at least this opaque is drawn; the mask hides the rest.
const int DrawnAlpha = 128;

int bitsPerPixel(IconColours colours)
{
    switch (colours) {
    case IconColours::Sixteen:
        return 4;
    case IconColours::TwoFiftySix:
        return 8;
    case IconColours::Full:
        break;
    }
    return 32;
}

// Bitmap rows are padded to whole 32-bit words.
int rowBytes(int width, int bits)
{
    return (width * bits + 31) / 32 * 4;
}

bool isPng(const IconPicture &picture)
{
    return picture.colours == IconColours::Full && picture.image.width() >= 256;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Hidden pixels become black and drawn ones opaque before the nearest palette colour is
// taken; dithering would only add noise at 16 to 48 pixels.
QImage paletted(const QImage &argb, const QList<QRgb> &palette)
{
    QImage opaque = argb;
    for (int y = 0; y < opaque.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x)
            line[x] = qAlpha(line[x]) < DrawnAlpha ? qRgb(0, 0, 0) : (line[x] | 0xff000000);
    }
    return opaque.convertToFormat(QImage::Format_Indexed8, palette);
}

QByteArray colourRow(const QImage &argb, const QImage &indexed, int bits, int y)
{
    QByteArray row(rowBytes(argb.width(), bits), '\0');
    for (int x = 0; x < argb.width(); ++x) {
        if (bits == 32) {
            const QRgb pixel = argb.pixel(x, y);
            row[4 * x] = char(qBlue(pixel));
            row[4 * x + 1] = char(qGreen(pixel));
            row[4 * x + 2] = char(qRed(pixel));
            row[4 * x + 3] = char(qAlpha(pixel));
        } else if (bits == 8) {
            row[x] = char(indexed.pixelIndex(x, y));
        } else {
            row[x / 2] = char(row[x / 2] | (indexed.pixelIndex(x, y) << (x % 2 ? 0 : 4)));
        }
    }
    return row;
}

QByteArray maskRow(const QImage &argb, int y)
{
    QByteArray row(rowBytes(argb.width(), 1), '\0');
    for (int x = 0; x < argb.width(); ++x)
        if (qAlpha(argb.pixel(x, y)) < DrawnAlpha)
            row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
    return row;
}

// A device-independent bitmap as an icon keeps it: the header counts the colour rows and
// the mask rows in its height, and both run from the bottom row up.
QByteArray bitmapBytes(const IconPicture &picture)
{
    const QImage argb = picture.image.convertToFormat(QImage::Format_ARGB32);
    const int bits = bitsPerPixel(picture.colours);
    QList<QRgb> palette;
    if (picture.colours == IconColours::Sixteen)
        palette = sixteenColourPalette();
    else if (picture.colours == IconColours::TwoFiftySix)
        palette = twoFiftySixColourPalette();
    const QImage indexed = palette.isEmpty() ? QImage() : paletted(argb, palette);
    const int width = argb.width();
    const int height = argb.height();

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(40) << qint32(width) << qint32(2 * height) << quint16(1) << quint16(bits)
        << quint32(0) << quint32((rowBytes(width, bits) + rowBytes(width, 1)) * height) << qint32(0)
        << qint32(0) << quint32(palette.size()) << quint32(0);
    for (const QRgb colour : palette)
        out << quint8(qBlue(colour)) << quint8(qGreen(colour)) << quint8(qRed(colour)) << quint8(0);
    for (int y = height - 1; y >= 0; --y) {
        const QByteArray row = colourRow(argb, indexed, bits, y);
        out.writeRawData(row.constData(), int(row.size()));
    }
    for (int y = height - 1; y >= 0; --y) {
        const QByteArray row = maskRow(argb, y);
        out.writeRawData(row.constData(), int(row.size()));
    }
    return bytes;
}

// The directory stores 256 as 0.
quint8 directorySize(int pixels)
{
    return quint8(pixels >= 256 ? 0 : pixels);
}

} // namespace

QByteArray icoFileBytes(const QList<IconPicture> &pictures)
{
    QList<QByteArray> images;
    for (const IconPicture &picture : pictures)
        images.append(isPng(picture) ? pngBytes(picture.image) : bitmapBytes(picture));

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(pictures.size());
    quint32 offset = 6 + 16 * quint32(pictures.size());
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        const IconPicture &picture = pictures[i];
        const quint8 colourCount = picture.colours == IconColours::Sixteen ? 16 : 0;
        out << directorySize(picture.image.width()) << directorySize(picture.image.height())
            << colourCount << quint8(0) << quint16(1) << quint16(bitsPerPixel(picture.colours))
            << quint32(images[i].size()) << offset;
        offset += quint32(images[i].size());
    }
    for (const QByteArray &image : images)
        out.writeRawData(image.constData(), int(image.size()));
    return bytes;
}

QList<QRgb> sixteenColourPalette()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// The 16 standard colours, a 6 x 6 x 6 colour cube and 24 greys between the cube's.
QList<QRgb> twoFiftySixColourPalette()
{
    QList<QRgb> palette = sixteenColourPalette();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.append(qRgb(51 * r, 51 * g, 51 * b));
    for (int i = 0; i < 24; ++i)
        palette.append(qRgb(8 + 10 * i, 8 + 10 * i, 8 + 10 * i));
    return palette;
}
