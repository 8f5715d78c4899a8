#include "stagelayout.h"

#include <QtMath>

#include <algorithm>

namespace {

// Shares of the height. The rolling name stands at 24 %, readable from the back of a
// hall; nothing is smaller than 3 %.
constexpr qreal Margin = 0.04;
constexpr qreal TitleTop = 0.03, TitleHeight = 0.12, TitleText = 0.075;
constexpr qreal HeadingTop = 0.17, HeadingHeight = 0.10, HeadingText = 0.06;
// The name keeps its place when a roll stops, and the tier's winners come in below it.
constexpr qreal NameTop = 0.27, NameHeight = 0.29, NameText = 0.24;
constexpr qreal SmallestText = 0.03;
constexpr qreal ListHeadingHeight = 0.07, ListHeadingText = 0.045;
constexpr qreal ListRowHeight = 0.075, ListText = 0.045, ListCellWidth = 0.27;
constexpr qreal TiersTop = 0.24, TierText = 0.075;

} // namespace

QSize StageLayout::listCell() const
{
    if (listColumns == 0 || listRows == 0)
        return {};
    return {list.width() / listColumns, list.height() / listRows};
}

StageLayout stageLayout(QSize size)
{
    const qreal h = size.height();
    const auto px = [h](qreal share) { return qMax(1, qRound(share * h)); };
    const int margin = px(Margin);
    const int width = qMax(1, size.width() - 2 * margin);
    // Both edges rounded from their shares, so that parts meeting at a share never overlap.
    const auto band = [&](qreal top, qreal height) {
        return QRect(margin, px(top), width, px(top + height) - px(top));
    };

    StageLayout layout;
    layout.title = band(TitleTop, TitleHeight);
    layout.titlePixels = px(TitleText);
    layout.heading = band(HeadingTop, HeadingHeight);
    layout.headingPixels = px(HeadingText);
    layout.name = band(NameTop, NameHeight);
    layout.namePixels = px(NameText);
    layout.smallestPixels = px(SmallestText);

    const int listHeadingTop = layout.name.bottom() + 1;
    layout.listHeading = QRect(margin, listHeadingTop, width, px(ListHeadingHeight));
    layout.listHeadingPixels = px(ListHeadingText);
    const int listTop = layout.listHeading.bottom() + 1;
    const int rowHeight = px(ListRowHeight);
    layout.listRows = std::max(0, (size.height() - margin - listTop) / rowHeight);
    layout.listColumns = std::max(1, width / px(ListCellWidth));
    layout.list = QRect(margin, listTop, width, layout.listRows * rowHeight);
    layout.listPixels = px(ListText);

    layout.tiers = QRect(margin, px(TiersTop), width, size.height() - margin - px(TiersTop));
    layout.tierPixels = px(TierText);
    return layout;
}
