#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

class QPainter;
class QRectF;

// The stage's look for a company's party on a projector in a lit hall: a deep red
// background, the title and the winner in gold, everything else in warm white. Every ink
// stands at least MinimumContrast against whatever is behind it, the operator's own
// picture included.
namespace StageLook {

inline constexpr qreal MinimumContrast = 4.5;

inline const QColor Title{0xff, 0xd6, 0x66};
inline const QColor Text{0xff, 0xf1, 0xd0};
inline const QColor RollingName{0xff, 0xff, 0xff};
inline const QColor Winner{0xff, 0xd7, 0x00};
inline const QColor Voided{0xe0, 0xb8, 0xb8};
inline const QColor NoticeFill{0xff, 0xd6, 0x66};
inline const QColor NoticeText{0x6a, 0x06, 0x0a};
// Every ink that stands on the background, not on the notice's own fill.
inline const QList<QColor> BackgroundInks{Title, Text, RollingName, Winner, Voided};

// The sRGB relative luminance and the contrast ratio of two colours, as WCAG defines them.
qreal relativeLuminance(QRgb colour);
qreal contrastRatio(QRgb a, QRgb b);

// The least a plate over a picture darkens (of 255): a busy picture must not run through
// the letters even where its contrast alone would do.
inline constexpr int MinimumPlateAlpha = 110;

// The stage behind its texts at `size`: the red gradient, or `picture` scaled to cover the
// screen and cropped at its centre, as bright as it is. Over a picture every text stands on
// a translucent dark plate, `plateAlpha[i]` opaque (of 255) in `textAreas[i]`: as little as
// keeps every ink at MinimumContrast over every pixel of that area, and never less than
// MinimumPlateAlpha. On the red there are no plates (0).
struct Backdrop {
    QImage image;
    QList<int> plateAlpha;
};
Backdrop backdrop(QSize size, const QImage &picture, const QList<QRect> &textAreas);

// A channel under a plate of `alpha`, as the painter blends black over it, rounded up so
// that a contrast worked out from it never flatters.
int underPlate(int channel, int alpha);

// A plate of `alpha`: a rounded rectangle, filling `plate`.
void paintPlate(QPainter &painter, const QRectF &plate, int alpha);

} // namespace StageLook
