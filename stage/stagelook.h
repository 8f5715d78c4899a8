#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

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

// The background at `size`: the red gradient, or `picture` scaled to cover the screen and
// cropped at its centre, darkened as little as keeps every ink at MinimumContrast over
// every pixel of `textAreas`.
QImage background(QSize size, const QImage &picture, const QList<QRect> &textAreas);

} // namespace StageLook
