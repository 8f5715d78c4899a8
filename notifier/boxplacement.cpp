#include "boxplacement.h"

#include <algorithm>

namespace {

QPoint inside(QPoint topLeft, QSize size, const QRect &screen)
{
    topLeft.setX(std::clamp(topLeft.x(), screen.left(),
                            std::max(screen.left(), screen.right() + 1 - size.width())));
    topLeft.setY(std::clamp(topLeft.y(), screen.top(),
                            std::max(screen.top(), screen.bottom() + 1 - size.height())));
    return topLeft;
}

} // namespace

QMargins expectedFrame(const QMargins &own, const QList<QMargins> &others, const QMargins &fallback)
{
    if (!own.isNull())
        return own;
    QMargins largest;
    for (const QMargins &other : others)
        largest = QMargins(
            std::max(largest.left(), other.left()), std::max(largest.top(), other.top()),
            std::max(largest.right(), other.right()), std::max(largest.bottom(), other.bottom()));
    return largest.isNull() ? fallback : largest;
}

QPoint clearOf(const QRect &box, const QRect &keep, const QRect &screen)
{
    if (keep.isEmpty() || !box.intersects(keep))
        return box.topLeft();
    const int below = screen.bottom() - keep.bottom();
    const int above = keep.top() - screen.top();
    if (below >= box.height() || below >= above)
        return inside(QPoint(box.left(), keep.bottom() + 1), box.size(), screen);
    return inside(QPoint(box.left(), keep.top() - box.height()), box.size(), screen);
}
