#include "stagelook.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace StageLook {

namespace {

const QColor GradientTop{0x9a, 0x10, 0x16};
const QColor GradientBottom{0x5e, 0x04, 0x08};

const std::array<qreal, 256> &linearChannel()
{
    static const std::array<qreal, 256> table = [] {
        std::array<qreal, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const qreal c = i / 255.0;
            t[std::size_t(i)] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

// A channel darkened by `keep`/256, as background() darkens a picture.
int darkened(int channel, int keep)
{
    return channel * keep >> 8;
}

qreal darkestInkLuminance()
{
    qreal darkest = 1;
    for (const QColor &ink : BackgroundInks)
        darkest = std::min(darkest, relativeLuminance(ink.rgb()));
    return darkest;
}

// The brightest pixel of the areas once darkened by keep/256.
qreal brightestAfter(const QImage &image, const QList<QRect> &areas, int keep)
{
    const std::array<qreal, 256> &lin = linearChannel();
    qreal brightest = 0;
    for (const QRect &area : areas) {
        const QRect clipped = area.intersected(image.rect());
        for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = clipped.left(); x <= clipped.right(); ++x) {
                const QRgb p = line[x];
                const qreal l = 0.2126 * lin[std::size_t(darkened(qRed(p), keep))] +
                                0.7152 * lin[std::size_t(darkened(qGreen(p), keep))] +
                                0.0722 * lin[std::size_t(darkened(qBlue(p), keep))];
                brightest = std::max(brightest, l);
            }
        }
    }
    return brightest;
}

QImage gradient(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, GradientTop);
    fill.setColorAt(1, GradientBottom);
    painter.fillRect(image.rect(), fill);
    // A thin gold rule under the title and above the foot, as on a party's backdrop.
    const int rule = std::max(1, size.height() / 360);
    painter.fillRect(QRect(0, size.height() * 3 / 200, size.width(), rule), Title);
    painter.fillRect(QRect(0, size.height() - size.height() * 3 / 200 - rule, size.width(), rule),
                     Title);
    return image;
}

} // namespace

qreal relativeLuminance(QRgb colour)
{
    const std::array<qreal, 256> &lin = linearChannel();
    return 0.2126 * lin[std::size_t(qRed(colour))] + 0.7152 * lin[std::size_t(qGreen(colour))] +
           0.0722 * lin[std::size_t(qBlue(colour))];
}

qreal contrastRatio(QRgb a, QRgb b)
{
    const qreal la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QImage background(QSize size, const QImage &picture, const QList<QRect> &textAreas)
{
    if (size.isEmpty())
        return {};
    if (picture.isNull())
        return gradient(size);

    QImage image = picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
    image = image.copy(QRect(
        QPoint((image.width() - size.width()) / 2, (image.height() - size.height()) / 2), size));
    // The brightest a pixel behind text may be: the darkest ink keeps its contrast.
    const qreal limit = (darkestInkLuminance() + 0.05) / MinimumContrast - 0.05;
    int low = 0, high = 256; // the largest `keep` that stays within the limit
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (brightestAfter(image, textAreas, mid) <= limit)
            low = mid;
        else
            high = mid - 1;
    }
    if (low < 256) {
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgb(darkened(qRed(line[x]), low), darkened(qGreen(line[x]), low),
                               darkened(qBlue(line[x]), low));
        }
    }
    return image;
}

} // namespace StageLook
