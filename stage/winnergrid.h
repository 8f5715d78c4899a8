#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>

// A tier's winners in a grid of cells, newest first, row by row: the font shrinks and
// the columns narrow to the widest name before the grid is split. When even the smallest
// size cannot hold them all, they stand on pages of a full grid each, which the stage
// turns by itself; only a name too wide for the whole width is cut, with "…".
struct WinnerGrid {
    QFont font;
    QStringList names; // all of them, newest first, as given
    int columns = 1;
    QSize cell;
    qsizetype perPage = 1;
    int captionHeight = 0; // at the foot of each cell, below its name

    qsizetype pages() const { return names.isEmpty() ? 0 : (names.size() + perPage - 1) / perPage; }
    // The names of page `page` (from 0), each as painted: whole, or cut to its cell.
    QStringList page(qsizetype page) const;
    // The cell of the name at `index` on its page; a last row of fewer names stands
    // centred.
    QRect cellOf(qsizetype index, qsizetype onPage, const QRect &area) const;
};

// caption: room for one line of that size below every name, at a size of its own.
WinnerGrid fitWinners(const QStringList &names, const QFont &largest, const QRect &area,
                      int smallestPixels, QSize caption = {});
