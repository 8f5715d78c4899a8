#pragma once

#include <QRect>
#include <QSize>

// Where the stage view puts each part, every size a share of the screen's height so that
// 1280 × 720, 1920 × 1080 and 3840 × 2160 look the same. Pixel sizes are the fonts'.
struct StageLayout {
    QRect title;
    int titlePixels = 0;
    QRect heading; // the tier being drawn, or the winner's tier
    int headingPixels = 0;
    QRect name; // the rolling name, or the winner; the only part a tick repaints
    int namePixels = 0;
    int smallestPixels = 0; // no text is set smaller, a long name included

    QRect listHeading;
    int listHeadingPixels = 0;
    QRect list; // the winner's tier: its winners in a grid of cells
    int listPixels = 0;
    int listColumns = 0;
    int listRows = 0;

    QRect tiers; // before the first winner: one line per tier with its places
    int tierPixels = 0;

    QSize listCell() const;
    int listCapacity() const { return listColumns * listRows; }
};

StageLayout stageLayout(QSize size);
