#pragma once

#include "stagelook.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QString>

// The plate behind text that stands in `text` inside `area`: a little larger than the
// text, never beyond its area; `alpha` 0 paints none.
inline void plateOver(QPainter &painter, const QRectF &text, const QRect &area, int alpha)
{
    if (alpha <= 0)
        return;
    const qreal pad = text.height() * 0.12;
    StageLook::paintPlate(painter, text.adjusted(-2 * pad, -pad, 2 * pad, pad) & QRectF(area),
                          alpha);
}

// One line of the stage's text, shrunk until it fits the width but never below the
// smallest size, and cut with "…" only beyond that; on a plate of `plate` (0: none).
inline void drawFittedLine(QPainter &painter, const QRect &rect, const QFont &font,
                           const QString &text, int smallestPixels, int plate = 0)
{
    QFont shown = font;
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    if (advance > rect.width())
        shown.setPixelSize(
            qMax(smallestPixels, int(qint64(font.pixelSize()) * rect.width() / advance)));
    const QFontMetrics metrics(shown);
    const QString elided = metrics.elidedText(text, Qt::ElideRight, rect.width());
    if (!elided.isEmpty())
        plateOver(painter, metrics.boundingRect(rect, Qt::AlignCenter, elided), rect, plate);
    painter.setFont(shown);
    painter.drawText(rect, Qt::AlignCenter, elided);
}
