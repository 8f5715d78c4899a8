#pragma once

#include <QRect>
#include <QSize>

// Where the stage view puts each part, every size a share of the screen's height so that
// 1280 × 720, 1920 × 1080 and 3840 × 2160 look the same. Pixel sizes are the fonts'
// largest; a long text is set smaller, never below its part's smallest.
struct StageLayout {
    QRect title;
    int titlePixels = 0;
    QRect heading; // the tier being drawn, the winner's tier, or the void
    int headingPixels = 0;
    QRect name; // the rolling name, the winner or the voided one; a tick repaints only this
    int namePixels = 0;
    int smallestNamePixels = 0; // a long name wraps before it is set smaller than this
    int smallestPixels = 0;     // no other text is set smaller

    QRect listHeading;
    int listHeadingPixels = 0;
    QRect list; // the tier's winners, in a grid of cells
    int listPixels = 0;

    QRect notice; // what the audience should know, at the foot
    int noticePixels = 0;
    int proofPixels = 0; // the chain code or head beside it: bold, never set smaller
    int codePixels = 0;  // the code under each winner of a press of several: bold

    QRect tiers; // before the first winner: one line per tier with its places
    int tierPixels = 0;
};

StageLayout stageLayout(QSize size);
