#pragma once

#include <QFont>
#include <QStringList>

// A name set as large as it fits in a band of the stage: on one line, or wrapped onto up
// to three before it shrinks further, never below the smallest size; only what does not
// fit at that size is cut, with "…".
struct FittedName {
    QFont font;
    QStringList lines;
    int lineHeight = 0; // from one line's top to the next

    // The baseline of line `index`, from the top of the first line's box.
    qreal baseline(qsizetype index) const;
    int height() const { return int(lines.size()) * lineHeight; }
};

inline constexpr int LongestNameLines = 3;

// largest: the font at its largest size; width, height: the band's.
FittedName fitName(const QString &name, const QFont &largest, int width, int height,
                   int smallestPixels);
