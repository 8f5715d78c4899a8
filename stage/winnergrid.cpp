#include "winnergrid.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

constexpr qreal RowSpacing = 1.6;
constexpr qreal ColumnGap = 1.5; // in the font's size: between names side by side

struct Fit {
    int columns = 0;
    int rows = 0;
    QSize cell;
};

Fit fitAt(const QFont &font, const QStringList &names, const QRect &area)
{
    const QFontMetrics metrics(font);
    int widest = 1;
    for (const QString &name : names)
        widest = std::max(widest, metrics.horizontalAdvance(name));
    Fit fit;
    const int gap = int(font.pixelSize() * ColumnGap);
    fit.rows = int(area.height() / (font.pixelSize() * RowSpacing));
    fit.columns = std::max(1, std::min<int>(int(names.size()), area.width() / (widest + gap)));
    // Cells as wide as the widest name needs, so that a few names stand together.
    fit.cell = QSize(std::min(area.width() / fit.columns, widest + gap),
                     fit.rows > 0 ? area.height() / fit.rows : 0);
    return fit;
}

} // namespace

QRect WinnerGrid::cellOf(qsizetype index, const QRect &area) const
{
    const int row = int(index / columns);
    const int column = int(index % columns);
    const int inRow = int(std::min<qsizetype>(columns, names.size() - qsizetype(row) * columns));
    const int left = area.left() + (area.width() - inRow * cell.width()) / 2;
    return QRect(left + column * cell.width(), area.top() + row * cell.height(), cell.width(),
                 cell.height());
}

WinnerGrid fitWinners(const QStringList &names, const QFont &largest, const QRect &area,
                      int smallestPixels)
{
    WinnerGrid grid;
    grid.font = largest;
    if (names.isEmpty())
        return grid;
    Fit fit;
    for (int pixels = largest.pixelSize();; pixels = std::max(smallestPixels, pixels * 9 / 10)) {
        grid.font.setPixelSize(pixels);
        fit = fitAt(grid.font, names, area);
        const QFontMetrics metrics(grid.font);
        const bool widthHolds =
            fit.columns > 1 || std::all_of(names.begin(), names.end(), [&](const QString &name) {
                return metrics.horizontalAdvance(name) <= area.width();
            });
        if ((widthHolds && qsizetype(fit.columns) * fit.rows >= names.size()) ||
            pixels == smallestPixels)
            break;
    }
    grid.columns = fit.columns;
    grid.cell = fit.cell;
    const qsizetype room = qsizetype(fit.columns) * fit.rows;
    const QFontMetrics metrics(grid.font);
    for (const QString &name : names.mid(0, room))
        grid.names << metrics.elidedText(name, Qt::ElideRight, grid.cell.width());
    return grid;
}
