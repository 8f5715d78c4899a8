#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

// Where the program's message boxes open. They are the operator's, never the audience's:
// over the window the placement names, and clear of what it asks to keep visible (the
// winner's name on a stage that shares the operator's screen).
class BoxPlacement {
public:
    virtual ~BoxPlacement() = default;
    // The window a box opens over, given the active one (which may be none).
    virtual QWidget *owner(QWidget *active) const = 0;
    // What a box over `owner` must leave visible, in global coordinates; empty for nothing.
    virtual QRect keepClear(QWidget *owner) const = 0;
};

// Where a box of frame `box` goes so that it leaves `keep` visible on `screen`: where it
// stands if clear of it already, else below it, else above it, else wherever more of
// `keep` stays visible; always inside the screen as far as it fits.
QPoint clearOf(const QRect &box, const QRect &keep, const QRect &screen);

// The frame a window manager will draw around a box about to show: `own` once the system
// knows it (on X11 only after the box is shown and decorated), else the largest that
// `others` (the program's decorated windows) have, else `fallback`.
QMargins expectedFrame(const QMargins &own, const QList<QMargins> &others,
                       const QMargins &fallback);
