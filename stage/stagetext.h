#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QString>

// One line of the stage's text, shrunk until it fits the width but never below the
// smallest size, and cut with "…" only beyond that.
inline void drawFittedLine(QPainter &painter, const QRect &rect, const QFont &font,
                           const QString &text, int smallestPixels)
{
    QFont shown = font;
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    if (advance > rect.width())
        shown.setPixelSize(
            qMax(smallestPixels, int(qint64(font.pixelSize()) * rect.width() / advance)));
    painter.setFont(shown);
    painter.drawText(rect, Qt::AlignCenter,
                     QFontMetrics(shown).elidedText(text, Qt::ElideRight, rect.width()));
}
