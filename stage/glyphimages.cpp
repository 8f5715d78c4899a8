#include "glyphimages.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

void GlyphImages::draw(QPainter &painter, const QPointF &topLeft, const QFont &font,
                       const QString &text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun &run : layout.glyphRuns()) {
        const QRawFont rawFont = run.rawFont();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            const Glyph &image = glyph(rawFont, indexes[i]);
            painter.drawImage((topLeft + positions[i]).toPoint() + image.topLeft, image.image);
        }
    }
}

const GlyphImages::Glyph &GlyphImages::glyph(const QRawFont &font, quint32 index)
{
    const Key key{font, index};
    if (auto found = glyphs_.find(key); found != glyphs_.end()) {
        order_.splice(order_.begin(), order_, found->use);
        return *found;
    }

    // A pixel of room on every side for the antialiased edge.
    const QRect bounds = font.boundingRect(index).toAlignedRect().adjusted(-1, -1, 1, 1);
    QImage image(bounds.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setPen(ink_);
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes({index});
        run.setPositions({QPointF(-bounds.left(), -bounds.top())});
        painter.drawGlyphRun(QPointF(), run);
    }

    while (!order_.empty() && bytes_ + image.sizeInBytes() > budget_) {
        const auto oldest = glyphs_.find(order_.back());
        bytes_ -= oldest->image.sizeInBytes();
        glyphs_.erase(oldest);
        order_.pop_back();
    }
    order_.push_front(key);
    bytes_ += image.sizeInBytes();
    return *glyphs_.insert(key, Glyph{image, bounds.topLeft(), order_.begin()});
}
