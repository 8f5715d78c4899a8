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

qreal darkestInkLuminance()
{
    qreal darkest = 1;
    for (const QColor &ink : BackgroundInks)
        darkest = std::min(darkest, relativeLuminance(ink.rgb()));
    return darkest;
}

// The brightest pixel of the area under a plate of `alpha`.
qreal brightestUnder(const QImage &image, const QRect &area, int alpha)
{
    const std::array<qreal, 256> &lin = linearChannel();
    qreal brightest = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QRgb p = line[x];
            const qreal l = 0.2126 * lin[std::size_t(underPlate(qRed(p), alpha))] +
                            0.7152 * lin[std::size_t(underPlate(qGreen(p), alpha))] +
                            0.0722 * lin[std::size_t(underPlate(qBlue(p), alpha))];
            brightest = std::max(brightest, l);
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

int underPlate(int channel, int alpha)
{
    return (channel * (255 - alpha) + 254) / 255;
}

void paintPlate(QPainter &painter, const QRectF &plate, int alpha)
{
    if (alpha <= 0 || plate.isEmpty())
        return;
    const qreal radius = std::min(plate.height(), plate.width()) * 0.18;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, alpha));
    painter.drawRoundedRect(plate, radius, radius);
    painter.restore();
}

Backdrop backdrop(QSize size, const QImage &picture, const QList<QRect> &textAreas)
{
    Backdrop result;
    result.plateAlpha.fill(0, textAreas.size());
    if (size.isEmpty())
        return result;
    if (picture.isNull()) {
        result.image = gradient(size);
        return result;
    }
    QImage image = picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
    result.image = image.copy(QRect(
        QPoint((image.width() - size.width()) / 2, (image.height() - size.height()) / 2), size));
    // The brightest a pixel behind text may be: the darkest ink keeps its contrast.
    const qreal limit = (darkestInkLuminance() + 0.05) / MinimumContrast - 0.05;
    for (qsizetype i = 0; i < textAreas.size(); ++i) {
        int low = MinimumPlateAlpha, high = 255; // the least alpha that stays within the limit
        while (low < high) {
            const int mid = (low + high) / 2;
            if (brightestUnder(result.image, textAreas[i], mid) <= limit)
                high = mid;
            else
                low = mid + 1;
        }
        result.plateAlpha[i] = low;
    }
    return result;
}

} // namespace StageLook
