#include "stageview.h"

#include "drawengine.h"
#include "stagefonts.h"
#include "stagelook.h"
#include "stagetext.h"
#include "winnergrid.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <utility>

namespace {

// Room for about 150 glyphs at a 1080-line projector's name size.
constexpr qsizetype GlyphImageBudget = 48 * 1024 * 1024;
// Every winner of a tier stands on some page: more than any tier is given.
constexpr qsizetype MostWinnersListed = 100000;
// How long a page of a tier's winners stands before the next one, when they take more
// than one: long enough to find a name, short enough that every page comes round.
constexpr int PageTurnMs = 5000;
// The widest names of the pool that set the roll's size: a few, so that a name whose
// letters are wider than their count says still fits.
constexpr qsizetype WidestNamesMeasured = 16;

QFont stageFont(const QStringList &families, int pixels, QFont::Weight weight)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

// Text wrapped in its band as fitName() laid it out, each line centred, on one plate.
void drawWrapped(QPainter &painter, const QRect &band, const FittedName &fitted, int plate)
{
    const QFontMetricsF metrics(fitted.font);
    const qreal top = band.top() + (band.height() - fitted.height()) / 2.0;
    qreal widest = 0;
    for (const QString &line : fitted.lines)
        widest = qMax(widest, metrics.horizontalAdvance(line));
    if (plate > 0 && widest > 0)
        plateOver(painter,
                  QRectF(band.left() + (band.width() - widest) / 2.0, top, widest, fitted.height()),
                  band, plate);
    painter.setFont(fitted.font);
    for (qsizetype i = 0; i < fitted.lines.size(); ++i) {
        const qreal advance = metrics.horizontalAdvance(fitted.lines[i]);
        painter.drawText(
            QPointF(band.left() + (band.width() - advance) / 2.0, top + fitted.baseline(i)),
            fitted.lines[i]);
    }
}

} // namespace

StageView::StageView(const DrawState &state, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), state_(state),
      glyphImages_(GlyphImageBudget, StageLook::RollingName)
{
    setObjectName(QStringLiteral("stageView"));
    // Every pixel is painted: nothing behind the name needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
    pageTimer_.setInterval(PageTurnMs);
    connect(&pageTimer_, &QTimer::timeout, this, &StageView::turnPage);
}

void StageView::open(QScreen *mainWindowScreen)
{
    QScreen *target = mainWindowScreen;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != mainWindowScreen) {
            target = screen;
            break;
        }
    }
    setScreen(target);
    setGeometry(target->geometry());
    showFullScreen();
    raise();
    activateWindow();
    setFocus();
}

void StageView::setPicture(const QImage &picture)
{
    picture_ = picture;
    makeBackground();
    update();
}

void StageView::setProof(const QString &fingerprint, const QString &winnerCode, const QString &head)
{
    fingerprint_ = fingerprint;
    winnerCode_ = winnerCode;
    head_ = head;
    // A batch's codes stand in the name's band.
    if (batchGrid_.captionHeight > 0 && scene_.kind == StageScene::Kind::Winner)
        update();
    else
        update(QRect(0, layout_.notice.top(), width(), height() - layout_.notice.top()));
}

void StageView::setCodeSource(std::function<QString(const QString &journalLine)> codeOf)
{
    codeOf_ = std::move(codeOf);
}

QRect StageView::namesArea() const
{
    return layout_.title.united(layout_.name);
}

void StageView::showDraw()
{
    const bool wasRolling = scene_.kind == StageScene::Kind::Rolling;
    scene_ = stageScene(state_, MostWinnersListed);
    if (scene_.kind != StageScene::Kind::Rolling || layout_.name.isEmpty()) {
        rollFont_.reset();
    } else if (!wasRolling || !rollFont_) {
        // One size for the whole roll: the one at which the widest names fit.
        rollFont_ = nameFont_;
        rollWidest_ = widestNames(state_.candidates, WidestNamesMeasured);
        rollFont_->setPixelSize(steadyPixels(rollWidest_, nameFont_, layout_.name.width(),
                                             layout_.name.height() - layout_.smallestPixels / 2,
                                             layout_.smallestNamePixels));
    }
    placedName_ = placeName(scene_.names.size() > 1 ? QString() : scene_.name);
    fitWinnerGrid();
    fitBatch(wasRolling);
    update();
}

void StageView::fitWinnerGrid()
{
    const QStringList previous = grid_.names;
    const bool listed =
        scene_.kind == StageScene::Kind::Winner || scene_.kind == StageScene::Kind::Voided;
    grid_ = listed && !layout_.list.isEmpty()
                ? fitWinners(scene_.lines, listFont_, listArea(), layout_.smallestPixels)
                : WinnerGrid();
    // A new winner shows the first page, the newest names; otherwise the page stays.
    if (grid_.names != previous || page_ >= grid_.pages())
        page_ = 0;
    if (grid_.pages() > 1) {
        if (!pageTimer_.isActive())
            pageTimer_.start();
    } else {
        pageTimer_.stop();
    }
}

void StageView::turnPage()
{
    page_ = grid_.pages() > 0 ? (page_ + 1) % grid_.pages() : 0;
    batchPage_ = batchGrid_.pages() > 0 ? (batchPage_ + 1) % batchGrid_.pages() : 0;
    update(layout_.listHeading.united(layout_.list).united(layout_.heading).united(layout_.name));
}

QRect StageView::listArea() const
{
    QRect area = layout_.list;
    if (!scene_.notice.isEmpty())
        area.setBottom(layout_.notice.top() - 1);
    return area;
}

QString StageView::listHeadingShown() const
{
    if (grid_.pages() <= 1)
        return scene_.listHeading;
    return scene_.listHeading + QStringLiteral("　第 %1/%2 页").arg(page_ + 1).arg(grid_.pages());
}

void StageView::showRollingName()
{
    if (scene_.kind != StageScene::Kind::Rolling || !state_.rollShowsName)
        return showDraw();
    if (state_.rollNames.size() > 1 || scene_.names.size() > 1)
        return showRollingBatch();
    scene_.name = stageText(state_.display);
    const QRect previous = placedName_.bounds;
    placedName_ = placeName(scene_.name);
    update(previous.united(placedName_.bounds));
}

StageView::PlacedName StageView::placeName(const QString &name) const
{
    const QRect band = layout_.name;
    PlacedName placed;
    QFont font = rollFont_ ? *rollFont_ : nameFont_;
    font.setStrikeOut(scene_.kind == StageScene::Kind::Voided);
    // A few pixels kept clear above and below, so that a glyph's descent never meets the
    // list's heading.
    const int clearance = layout_.smallestPixels / 4;
    placed.fitted = fitName(name, font, band.width(), band.height() - 2 * clearance,
                            layout_.smallestNamePixels);
    const FittedName &fitted = placed.fitted;
    const QFontMetricsF metrics(fitted.font);
    const qreal top = band.top() + (band.height() - fitted.height()) / 2.0;
    // Glyphs may reach a little beyond their advance and their line.
    const int overhang = layout_.smallestPixels;
    for (qsizetype i = 0; i < fitted.lines.size(); ++i) {
        const qreal advance = metrics.horizontalAdvance(fitted.lines[i]);
        // Where drawText centres it, so that the winner stands where the roll stopped.
        const QPointF topLeft(band.left() + (band.width() - advance) / 2.0,
                              top + fitted.baseline(i) - metrics.ascent());
        placed.topLefts << topLeft;
        placed.bounds |= QRectF(topLeft, QSizeF(advance, metrics.height()))
                             .toAlignedRect()
                             .adjusted(-overhang, -overhang, overhang, overhang);
    }
    placed.bounds &= band;
    return placed;
}

void StageView::makeBackground()
{
    // The foot holds the fingerprint and the chain codes.
    const QRect foot(0, layout_.notice.top(), width(), height() - layout_.notice.top());
    StageLook::Backdrop backdrop =
        StageLook::backdrop(size(), picture_,
                            {layout_.title, layout_.heading, layout_.name, layout_.listHeading,
                             layout_.list, layout_.tiers, foot});
    background_ = std::move(backdrop.image);
    plates_ = std::move(backdrop.plateAlpha);
}

void StageView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        if (QWidget *owner = parentWidget())
            owner->activateWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

void StageView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layout_ = ::stageLayout(size());
    titleFont_ = stageFont(StageFonts::Serif, layout_.titlePixels, QFont::Bold);
    headingFont_ = stageFont(StageFonts::Sans, layout_.headingPixels, QFont::Bold);
    nameFont_ = stageFont(StageFonts::Sans, layout_.namePixels, QFont::Bold);
    listHeadingFont_ = stageFont(StageFonts::Sans, layout_.listHeadingPixels, QFont::Bold);
    listFont_ = stageFont(StageFonts::Sans, layout_.listPixels, QFont::Normal);
    tierFont_ = stageFont(StageFonts::Sans, layout_.tierPixels, QFont::Bold);
    noticeFont_ = stageFont(StageFonts::Sans, layout_.noticePixels, QFont::Bold);
    proofFont_ = stageFont(StageFonts::Sans, layout_.proofPixels, QFont::Bold);
    codeFont_ = stageFont(StageFonts::Sans, layout_.codePixels, QFont::Bold);
    rollFont_.reset();
    // A press's winners keep their cells only at the size they were fitted to.
    batchGrid_ = WinnerGrid();
    makeBackground();
    showDraw();
}

void StageView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), background_, event->rect());
    // A tick asks for the name alone.
    if (layout_.name.contains(event->rect())) {
        paintName(painter);
        return;
    }
    painter.setPen(StageLook::Title);
    drawWrapped(painter, layout_.title,
                fitName(scene_.title, titleFont_, layout_.title.width(), layout_.title.height(),
                        layout_.smallestPixels),
                plate(Area::Title));
    painter.setPen(StageLook::Text);
    drawFittedLine(painter, layout_.heading, headingFont_, headingShown(), layout_.smallestPixels,
                   plate(Area::Heading));
    switch (scene_.kind) {
    case StageScene::Kind::Tiers:
        paintTiers(painter);
        break;
    case StageScene::Kind::Rolling:
        paintName(painter);
        break;
    case StageScene::Kind::Winner:
    case StageScene::Kind::Voided:
        paintName(painter);
        paintWinners(painter);
        break;
    }
    paintNotice(painter);
    paintProof(painter);
}

void StageView::paintName(QPainter &painter)
{
    if (scene_.names.size() > 1)
        return paintBatch(painter);
    const FittedName &fitted = placedName_.fitted;
    const qreal ascent = QFontMetricsF(fitted.font).ascent();
    if (scene_.kind != StageScene::Kind::Tiers && !fitted.lines.isEmpty())
        StageLook::paintPlate(painter, placedName_.bounds, plate(Area::Name));
    for (qsizetype i = 0; i < fitted.lines.size(); ++i) {
        const QPointF topLeft = placedName_.topLefts[i];
        switch (scene_.kind) {
        case StageScene::Kind::Tiers:
            return;
        case StageScene::Kind::Rolling:
            // The name changes every tick: its glyphs come from images kept between ticks.
            glyphImages_.draw(painter, topLeft, fitted.font, fitted.lines[i]);
            break;
        case StageScene::Kind::Winner:
        case StageScene::Kind::Voided:
            painter.setPen(scene_.kind == StageScene::Kind::Winner ? StageLook::Winner
                                                                   : StageLook::Voided);
            painter.setFont(fitted.font);
            painter.drawText(topLeft + QPointF(0, ascent), fitted.lines[i]);
            break;
        }
    }
}

void StageView::paintWinners(QPainter &painter) const
{
    painter.setPen(StageLook::Title);
    drawFittedLine(painter, layout_.listHeading, listHeadingFont_, listHeadingShown(),
                   layout_.smallestPixels, plate(Area::ListHeading));
    const QRect area = listArea();
    const QStringList names = grid_.page(page_);
    painter.setPen(StageLook::Text);
    painter.setFont(grid_.font);
    const QFontMetrics metrics(grid_.font);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QRect cell = grid_.cellOf(i, names.size(), area);
        plateOver(painter, metrics.boundingRect(cell, Qt::AlignCenter, names[i]), cell,
                  plate(Area::List));
        painter.drawText(cell, Qt::AlignCenter, names[i]);
    }
}

void StageView::paintTiers(QPainter &painter) const
{
    painter.setPen(StageLook::Text);
    const int lineHeight = layout_.tierPixels * 3 / 2;
    for (qsizetype i = 0; i < scene_.lines.size(); ++i) {
        const QRect rect(layout_.tiers.left(), layout_.tiers.top() + int(i) * lineHeight,
                         layout_.tiers.width(), lineHeight);
        drawFittedLine(painter, rect, tierFont_, scene_.lines[i], layout_.smallestPixels,
                       plate(Area::Tiers));
    }
}

void StageView::paintNotice(QPainter &painter) const
{
    if (scene_.notice.isEmpty())
        return;
    // A gold badge on its own: it stands out without covering any name. Beside a code it
    // moves to the left, so that the code keeps its size.
    const int width =
        QFontMetrics(noticeFont_).horizontalAdvance(scene_.notice) + 2 * layout_.noticePixels;
    const QRect proof = proofRect();
    const int room = proof.isNull() ? layout_.notice.width()
                                    : proof.left() - layout_.noticePixels - layout_.notice.left();
    QRect badge(0, 0, qMax(0, qMin(width, room)), layout_.notice.height());
    badge.moveCenter(layout_.notice.center());
    if (!proof.isNull() && badge.right() >= proof.left() - layout_.noticePixels)
        badge.moveLeft(layout_.notice.left());
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(badge, badge.height() / 2.0, badge.height() / 2.0);
    painter.fillPath(outline, StageLook::NoticeFill);
    painter.setPen(StageLook::NoticeText);
    drawFittedLine(painter, badge, noticeFont_, scene_.notice, layout_.smallestPixels);
}
