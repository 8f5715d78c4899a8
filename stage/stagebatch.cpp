// The stage's batches: the names one press draws stand together in the name's band, in
// cells of one size, rolling and then as winners, each where the roll stopped it.
#include "stageview.h"

#include "stagetext.h"

#include "drawengine.h"
#include "stagelook.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

// A winner's code: the first twelve hex digits of its line's chain value.
constexpr int CodeDigits = 12;

// The rows a page of `count` names takes, centred in the band.
QRect blockIn(const QRect &band, const WinnerGrid &grid, qsizetype count)
{
    const int rows = int((count + grid.columns - 1) / std::max(1, grid.columns));
    const int height = std::min(band.height(), rows * grid.cell.height());
    return QRect(band.left(), band.top() + (band.height() - height) / 2, band.width(), height);
}

} // namespace

QSize StageView::codeCaption() const
{
    // Room for the widest code the digits could make, so that a press's winners keep
    // their cells from the roll to the codes. Hex digits need no room for the ascent and
    // descent a CJK font's line keeps.
    const QFontMetrics metrics(codeFont_);
    int widestDigit = 0;
    for (QChar digit : QStringLiteral("0123456789abcdef"))
        widestDigit = std::max(widestDigit, metrics.horizontalAdvance(digit));
    return {widestDigit * CodeDigits, codeFont_.pixelSize() * 5 / 4};
}

void StageView::fitRollingBatch(qsizetype count)
{
    // The cells fit a batch of the pool's widest names, found when the roll started: every
    // tick's names fit them, at one size for the whole roll.
    QStringList widest;
    for (qsizetype i = 0; i < count; ++i)
        widest << rollWidest_.value(i % std::max<qsizetype>(1, rollWidest_.size()));
    batchGrid_ = fitWinners(widest, nameFont_, layout_.name, layout_.smallestPixels, codeCaption());
    batchPage_ = 0;
}

void StageView::fitBatch(bool wasRolling)
{
    if (scene_.names.size() <= 1 || layout_.name.isEmpty()) {
        batchGrid_ = WinnerGrid();
        batchPage_ = 0;
        return;
    }
    if (scene_.kind == StageScene::Kind::Rolling) {
        fitRollingBatch(scene_.names.size());
        batchGrid_.names = scene_.names;
        return;
    }
    // The winners keep the cells they stopped in when they fit them, and a page stays
    // while its names do.
    const QFontMetrics metrics(batchGrid_.font);
    const bool sameCount = batchGrid_.names.size() == scene_.names.size();
    const bool fitCells =
        std::all_of(scene_.names.begin(), scene_.names.end(), [&](const QString &n) {
            return metrics.horizontalAdvance(n) <= batchGrid_.cell.width();
        });
    if (batchGrid_.names == scene_.names && !wasRolling)
        return;
    if (wasRolling && sameCount && fitCells && !batchGrid_.cell.isEmpty()) {
        batchGrid_.names = scene_.names;
    } else {
        batchGrid_ = fitWinners(scene_.names, nameFont_, layout_.name, layout_.smallestPixels,
                                codeCaption());
    }
    batchPage_ = 0;
    if (batchGrid_.pages() > 1 && !pageTimer_.isActive())
        pageTimer_.start();
}

void StageView::showRollingBatch()
{
    // A new count (the first tick, a pool running short) lays the band out again.
    if (state_.rollNames.size() <= 1 || state_.rollNames.size() != scene_.names.size())
        return showDraw();
    for (qsizetype i = 0; i < scene_.names.size(); ++i)
        scene_.names[i] = stageText(state_.rollNames[i]);
    scene_.name = stageText(state_.display);
    batchGrid_.names = scene_.names;
    update(layout_.name);
}

QRect StageView::batchCell(qsizetype index) const
{
    const qsizetype onPage =
        std::min(batchGrid_.perPage, batchGrid_.names.size() - batchPage_ * batchGrid_.perPage);
    return batchGrid_.cellOf(index, onPage, blockIn(layout_.name, batchGrid_, onPage));
}

QStringList StageView::batchCodes() const
{
    QStringList codes;
    if (scene_.kind != StageScene::Kind::Winner || !codeOf_)
        return codes;
    const QList<qsizetype> places = winnersShownTogether(state_);
    for (qsizetype place : places.mid(batchPage_ * batchGrid_.perPage, batchGrid_.perPage))
        codes << codeOf_(state_.winners[place].journalLine);
    return codes;
}

void StageView::paintBatch(QPainter &painter)
{
    const QStringList names = batchGrid_.page(batchPage_);
    const QStringList codes = batchCodes();
    const QFontMetricsF metrics(batchGrid_.font);
    const bool rolling = scene_.kind == StageScene::Kind::Rolling;
    const QColor pen =
        scene_.kind == StageScene::Kind::Winner ? StageLook::Winner : StageLook::Text;
    for (qsizetype i = 0; i < names.size(); ++i) {
        // The name over its code: the code's line stays empty while the names roll.
        QRect cell = batchCell(i);
        const QRect caption(cell.left(), cell.bottom() + 1 - batchGrid_.captionHeight, cell.width(),
                            batchGrid_.captionHeight);
        cell.setBottom(caption.top() - 1);
        painter.setFont(batchGrid_.font);
        painter.setPen(pen);
        const qreal advance = metrics.horizontalAdvance(names[i]);
        const QPointF topLeft(cell.left() + (cell.width() - advance) / 2.0,
                              cell.top() + (cell.height() - metrics.height()) / 2.0);
        plateOver(painter, QRectF(topLeft, QSizeF(advance, metrics.height())), cell,
                  plate(Area::Name));
        if (!rolling) {
            painter.drawText(cell, Qt::AlignCenter, names[i]);
            const QString code = codes.value(i);
            if (code.isEmpty())
                continue;
            painter.setFont(codeFont_);
            plateOver(painter, QFontMetrics(codeFont_).boundingRect(caption, Qt::AlignCenter, code),
                      caption, plate(Area::Name));
            painter.setPen(StageLook::Text);
            painter.drawText(caption, Qt::AlignCenter, code);
            continue;
        }
        // The names change every tick: their glyphs come from images kept between ticks.
        glyphImages_.draw(painter, topLeft, batchGrid_.font, names[i]);
    }
}

QString StageView::headingShown() const
{
    if (batchGrid_.pages() <= 1 || scene_.kind == StageScene::Kind::Rolling)
        return scene_.heading;
    return scene_.heading +
           QStringLiteral("　第 %1/%2 页").arg(batchPage_ + 1).arg(batchGrid_.pages());
}
