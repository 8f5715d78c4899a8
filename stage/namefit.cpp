#include "namefit.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Lines closer than the font's own spacing: a Chinese font leaves room for accents the
// names never carry.
constexpr qreal LineSpacing = 1.15;

int lineHeightOf(int pixels)
{
    return int(std::ceil(pixels * LineSpacing));
}

QFont sized(const QFont &font, int pixels)
{
    QFont copy = font;
    copy.setPixelSize(std::max(1, pixels));
    return copy;
}

// The name's lines at that width, at most maxLines: the last one then holds the rest.
QStringList wrapped(const QString &name, const QFont &font, int width,
                    qsizetype maxLines = std::numeric_limits<qsizetype>::max())
{
    QTextLayout layout(name, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        // The last line allowed takes the rest, which the caller cuts short.
        const qsizetype length =
            lines.size() + 1 == maxLines ? name.size() - line.textStart() : line.textLength();
        // A space where the line broke is not part of what is shown.
        lines << name.mid(line.textStart(), length).trimmed();
        if (lines.size() == maxLines)
            break;
    }
    layout.endLayout();
    return lines;
}

} // namespace

qreal FittedName::baseline(qsizetype index) const
{
    // The font's box centred in each line's.
    const QFontMetricsF metrics(font);
    return index * lineHeight + (lineHeight + metrics.ascent() - metrics.descent()) / 2;
}

FittedName fitName(const QString &name, const QFont &largest, int width, int height,
                   int smallestPixels)
{
    const int largestPixels = largest.pixelSize();
    const qreal advance = QFontMetricsF(largest).horizontalAdvance(name);
    FittedName fitted;
    if (advance <= width || name.isEmpty()) {
        fitted.font = largest;
        fitted.lines = QStringList{name};
        fitted.lineHeight = lineHeightOf(largestPixels);
        return fitted;
    }

    // For each number of lines, the size at which the text would just fill them, checked
    // by laying it out and lowered until it fits; the largest wins.
    int bestPixels = 0;
    QStringList bestLines;
    for (int count = 1; count <= LongestNameLines; ++count) {
        int pixels = std::min({largestPixels, int(largestPixels * width * count / advance),
                               int(height / (count * LineSpacing))});
        while (pixels > 1 && lineHeightOf(pixels) * count > height)
            --pixels;
        while (pixels > std::max(bestPixels, smallestPixels - 1)) {
            QStringList lines = wrapped(name, sized(largest, pixels), width);
            if (lines.size() <= count) {
                bestPixels = pixels;
                bestLines = lines;
                break;
            }
            pixels = std::min(pixels - 1, pixels * 19 / 20);
        }
    }
    if (bestPixels < smallestPixels) {
        // Cut: the first lines at the smallest size, the last one ending in "…".
        bestPixels = smallestPixels;
        const QFont font = sized(largest, bestPixels);
        bestLines = wrapped(name, font, width, LongestNameLines);
        bestLines.last() = QFontMetrics(font).elidedText(bestLines.last(), Qt::ElideRight, width);
    }
    fitted.font = sized(largest, bestPixels);
    fitted.lines = bestLines;
    fitted.lineHeight = lineHeightOf(bestPixels);
    return fitted;
}
