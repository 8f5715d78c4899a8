#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>

// A tier's winners in a grid of cells, newest first, row by row: the font shrinks and
// the columns narrow to the widest name before any name is cut. Only when even the
// smallest size cannot hold them all are the oldest left out, or a name too wide for the
// whole width cut with "…".
struct WinnerGrid {
    QFont font;
    QStringList names; // as painted: whole, or cut to their cell
    int columns = 1;
    QSize cell;

    // The cell of name `index`; a last row of fewer names stands centred.
    QRect cellOf(qsizetype index, const QRect &area) const;
};

WinnerGrid fitWinners(const QStringList &names, const QFont &largest, const QRect &area,
                      int smallestPixels);
