#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QRawFont>

#include <list>

class QFont;
class QPainter;
class QPointF;
class QString;

// Qt keeps images of glyphs up to 64 pixels only and fills larger ones as paths each time:
// the rolling name, at a quarter of a projector's height, would cost a millisecond a tick.
// This keeps each glyph's image between ticks, in a cache of bounded size that drops the
// least recently used: the names of a list share most of their characters. A colour glyph
// (an emoji) keeps its own colours.
class GlyphImages {
public:
    GlyphImages(qsizetype budgetBytes, const QColor &ink) : budget_(budgetBytes), ink_(ink) {}

    // Draws one line of text in the ink, the top-left of its line at topLeft, laid out and
    // placed as QPainter::drawText would (font fallback included).
    void draw(QPainter &painter, const QPointF &topLeft, const QFont &font, const QString &text);

    qsizetype bytes() const { return bytes_; }
    qsizetype count() const { return qsizetype(order_.size()); }

private:
    struct Key {
        QRawFont font;
        quint32 glyph;
        bool operator==(const Key &other) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed) noexcept
    {
        return qHashMulti(seed, key.font, key.glyph);
    }
    struct Glyph {
        QImage image;   // in the ink, premultiplied: the painter's fastest to blend
        QPoint topLeft; // of the image, from the glyph's origin on the baseline
        std::list<Key>::iterator use;
    };

    const Glyph &glyph(const QRawFont &font, quint32 index);

    qsizetype budget_;
    QColor ink_;
    qsizetype bytes_ = 0;
    QHash<Key, Glyph> glyphs_;
    std::list<Key> order_; // most recently used first
};
