#pragma once

#include <QFont>
#include <QList>
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

// largest: the font at its largest size; width, height: the band's. A line break falls
// before an opening bracket rather than inside the bracketed part, when that part fits on
// a line of its own: "曾强燕 / （总裁办公室）", never "曾强燕（总裁办公 / 室）".
FittedName fitName(const QString &name, const QFont &largest, int width, int height,
                   int smallestPixels);

class Candidates;

// The `count` names of the pool that take the most room when set, a wide (CJK) character
// counting twice: one sweep of the pool, so a roll's size is found once when it starts,
// never at a tick.
QStringList widestNames(const Candidates &pool, qsizetype count);

// The size at which every one of `names` fits the band, so that names of different
// lengths roll at one size: the smallest of their fitted sizes.
int steadyPixels(const QStringList &names, const QFont &largest, int width, int height,
                 int smallestPixels);
