#include "winnergrid.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal RowSpacing = 1.6;
constexpr qreal ColumnGap = 1.5; // in the font's size: between names side by side
constexpr qreal CaptionedRowSpacing = 1.25;

struct Fit {
    int columns = 0;
    int rows = 0;
    QSize cell;
};

// widest: the widest name's advance at this size.
Fit fitAt(int pixels, int widest, qsizetype names, const QRect &area, QSize caption)
{
    Fit fit;
    const int gap = int(pixels * ColumnGap);
    // A caption below each name parts the rows and, when wider than the names, the columns.
    const int width = std::max(widest + gap, caption.width() + caption.height() / 2);
    const qreal rowHeight =
        caption.isEmpty() ? pixels * RowSpacing : pixels * CaptionedRowSpacing + caption.height();
    fit.rows = int(area.height() / rowHeight);
    fit.columns = std::max(1, std::min<int>(int(names), area.width() / width));
    // Cells as wide as the widest name needs, so that a few names stand together.
    fit.cell = QSize(std::min(area.width() / fit.columns, width),
                     fit.rows > 0 ? area.height() / fit.rows : 0);
    return fit;
}

} // namespace

QStringList WinnerGrid::page(qsizetype page) const
{
    const QFontMetrics metrics(font);
    QStringList shown;
    for (const QString &name : names.mid(page * perPage, perPage))
        shown << metrics.elidedText(name, Qt::ElideRight, cell.width());
    return shown;
}

QRect WinnerGrid::cellOf(qsizetype index, qsizetype onPage, const QRect &area) const
{
    const int row = int(index / columns);
    const int column = int(index % columns);
    const int inRow = int(std::min<qsizetype>(columns, onPage - qsizetype(row) * columns));
    const int left = area.left() + (area.width() - inRow * cell.width()) / 2;
    return QRect(left + column * cell.width(), area.top() + row * cell.height(), cell.width(),
                 cell.height());
}

WinnerGrid fitWinners(const QStringList &names, const QFont &largest, const QRect &area,
                      int smallestPixels, QSize caption)
{
    WinnerGrid grid;
    grid.font = largest;
    grid.names = names;
    grid.captionHeight = caption.height();
    if (names.isEmpty())
        return grid;
    // Each name measured once: at another size its advance scales with the size (a pixel
    // more for the rounding), so a tier of thousands costs no more at every step.
    const int largestPixels = std::max(1, largest.pixelSize());
    const QFontMetrics largestMetrics(largest);
    int widestAtLargest = 1;
    for (const QString &name : names)
        widestAtLargest = std::max(widestAtLargest, largestMetrics.horizontalAdvance(name));
    Fit fit;
    for (int pixels = largestPixels;; pixels = std::max(smallestPixels, pixels * 9 / 10)) {
        grid.font.setPixelSize(pixels);
        const int widest = int(std::ceil(qreal(widestAtLargest) * pixels / largestPixels)) + 1;
        fit = fitAt(pixels, widest, names.size(), area, caption);
        const bool widthHolds =
            fit.columns > 1 || std::max(widest, caption.width()) <= area.width();
        if ((widthHolds && qsizetype(fit.columns) * fit.rows >= names.size()) ||
            pixels <= smallestPixels)
            break;
    }
    grid.columns = fit.columns;
    grid.cell = fit.cell;
    grid.perPage = std::max<qsizetype>(1, qsizetype(fit.columns) * fit.rows);
    return grid;
}
