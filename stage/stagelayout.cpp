#include "stagelayout.h"

#include <QtMath>

#include <algorithm>

namespace {

// Shares of the height. The rolling name stands at 24 %, readable from the back of a
// hall; a long one wraps onto three lines before it goes below 8 %, and nothing else is
// smaller than 3 %.
constexpr qreal Margin = 0.04;
constexpr qreal TitleTop = 0.03, TitleHeight = 0.12, TitleText = 0.075;
constexpr qreal HeadingTop = 0.16, HeadingHeight = 0.10, HeadingText = 0.06;
// The name keeps its place when a roll stops, and the tier's winners come in below it.
constexpr qreal NameTop = 0.26, NameHeight = 0.31, NameText = 0.24, SmallestNameText = 0.08;
constexpr qreal SmallestText = 0.03;
constexpr qreal ListHeadingHeight = 0.07, ListHeadingText = 0.045;
constexpr qreal ListText = 0.045;
constexpr qreal NoticeTop = 0.875, NoticeHeight = 0.085, NoticeText = 0.05;
// A phone's photo from the middle of a hall still reads every digit at 4 %.
constexpr qreal ProofText = 0.04;
// Under each of a press's winners, where ten of them share the name's band: 3.5 %.
constexpr qreal CodeText = 0.035;
constexpr qreal TiersTop = 0.28, TierText = 0.075;

} // namespace

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
    layout.smallestNamePixels = px(SmallestNameText);
    layout.smallestPixels = px(SmallestText);

    layout.listHeading = band(NameTop + NameHeight, ListHeadingHeight);
    layout.listHeadingPixels = px(ListHeadingText);
    const int listTop = layout.listHeading.bottom() + 1;
    layout.list = QRect(margin, listTop, width, std::max(0, px(NoticeTop) - listTop));
    layout.listPixels = px(ListText);

    layout.notice = band(NoticeTop, NoticeHeight);
    layout.noticePixels = px(NoticeText);
    layout.proofPixels = px(ProofText);
    layout.codePixels = px(CodeText);

    layout.tiers = QRect(margin, px(TiersTop), width, std::max(0, px(NoticeTop) - px(TiersTop)));
    layout.tierPixels = px(TierText);
    return layout;
}
