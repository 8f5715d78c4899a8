#include "namefit.h"

#include "candidates.h"

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

// The name's lines at that width as the text layout breaks them, each with where it starts
// in the name; at most maxLines, the last one then holding the rest.
QStringList laidOut(const QString &name, const QFont &font, int width, qsizetype maxLines,
                    QList<qsizetype> *starts = nullptr)
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
        if (starts)
            *starts << line.textStart();
        if (lines.size() == maxLines)
            break;
    }
    layout.endLayout();
    return lines;
}

// Where the bracketed part that ends the name opens ("张伟（销售部）"), or -1.
qsizetype closingBracketGroup(const QString &name)
{
    static const QString Opening = QStringLiteral("（(【[");
    static const QString Closing = QStringLiteral("）)】]");
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return -1;
    const qsizetype kind = Closing.indexOf(trimmed.back());
    if (kind < 0)
        return -1;
    const qsizetype open = trimmed.lastIndexOf(Opening.at(kind));
    return open > 0 ? name.indexOf(trimmed) + open : -1;
}

// The name's lines at that width, at most maxLines: the last one then holds the rest.
QStringList wrapped(const QString &name, const QFont &font, int width,
                    qsizetype maxLines = std::numeric_limits<qsizetype>::max())
{
    QList<qsizetype> starts;
    QStringList lines = laidOut(name, font, width, maxLines, &starts);
    const qsizetype open = closingBracketGroup(name);
    if (lines.size() < 2 || open < 0 ||
        std::none_of(starts.begin(), starts.end(), [&](qsizetype start) { return start > open; }))
        return lines;
    const QString group = name.mid(open).trimmed();
    const QFontMetricsF metrics(font);
    if (metrics.horizontalAdvance(group) > width)
        return lines;
    // The part before the bracket wrapped alone, the bracketed part after it whole.
    QStringList moved = laidOut(name.left(open), font, width, maxLines);
    if (moved.isEmpty() || metrics.horizontalAdvance(moved.last() + group) > width)
        moved << group;
    else
        moved.last() += group;
    return moved.size() <= maxLines ? moved : lines;
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

QStringList widestNames(const Candidates &pool, qsizetype count)
{
    // The widest few, kept smallest first while the pool is swept once.
    std::vector<std::pair<qsizetype, qsizetype>> widest; // (room, index)
    const auto narrower = [](const auto &a, const auto &b) { return a.first > b.first; };
    for (qsizetype i = 0; i < pool.size(); ++i) {
        qsizetype room = 0;
        for (const QChar c : pool.view(i))
            room += c.unicode() >= 0x1100 ? 2 : 1;
        if (qsizetype(widest.size()) < count) {
            widest.emplace_back(room, i);
            std::push_heap(widest.begin(), widest.end(), narrower);
        } else if (count > 0 && room > widest.front().first) {
            std::pop_heap(widest.begin(), widest.end(), narrower);
            widest.back() = {room, i};
            std::push_heap(widest.begin(), widest.end(), narrower);
        }
    }
    QStringList names;
    for (const auto &[room, index] : widest)
        names << pool.at(index);
    return names;
}

int steadyPixels(const QStringList &names, const QFont &largest, int width, int height,
                 int smallestPixels)
{
    int pixels = largest.pixelSize();
    for (const QString &name : names)
        pixels = std::min(pixels,
                          fitName(name, largest, width, height, smallestPixels).font.pixelSize());
    return pixels;
}
