#include "stageview.h"

#include "drawengine.h"
#include "stagelook.h"
#include "winnergrid.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

// Room for about 150 glyphs at a 1080-line projector's name size.
constexpr qsizetype GlyphImageBudget = 48 * 1024 * 1024;
// More winners than a screen holds even at the smallest size.
constexpr qsizetype MostWinnersListed = 500;

// The main window's Chinese fonts, the sans ones first: they stay legible from afar. The
// colour emoji fonts come last, for the characters no other font has.
const QStringList SansFamilies{QStringLiteral("微软雅黑"),
                               QStringLiteral("Microsoft YaHei"),
                               QStringLiteral("黑体"),
                               QStringLiteral("SimHei"),
                               QStringLiteral("Noto Sans CJK SC"),
                               QStringLiteral("Segoe UI Emoji"),
                               QStringLiteral("Noto Color Emoji")};
const QStringList SerifFamilies{QStringLiteral("宋体"),
                                QStringLiteral("SimSun"),
                                QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("Noto Sans CJK SC"),
                                QStringLiteral("Segoe UI Emoji"),
                                QStringLiteral("Noto Color Emoji")};

QFont stageFont(const QStringList &families, int pixels, QFont::Weight weight)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

// One line of text, shrunk until it fits the width but never below the smallest size,
// and cut with "…" only beyond that.
void drawLine(QPainter &painter, const QRect &rect, const QFont &font, const QString &text,
              int smallestPixels)
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
    update(QRect(0, layout_.notice.top(), width(), height() - layout_.notice.top()));
}

QRect StageView::namesArea() const
{
    return layout_.title.united(layout_.name);
}

void StageView::showDraw()
{
    scene_ = stageScene(state_, MostWinnersListed);
    placedName_ = placeName(scene_.name);
    update();
}

void StageView::showRollingName()
{
    if (scene_.kind != StageScene::Kind::Rolling || !state_.rollShowsName)
        return showDraw();
    scene_.name = stageText(state_.display);
    const QRect previous = placedName_.bounds;
    placedName_ = placeName(scene_.name);
    update(previous.united(placedName_.bounds));
}

StageView::PlacedName StageView::placeName(const QString &name) const
{
    const QRect band = layout_.name;
    PlacedName placed;
    QFont font = nameFont_;
    font.setStrikeOut(scene_.kind == StageScene::Kind::Voided);
    placed.fitted = fitName(name, font, band.width(), band.height(), layout_.smallestNamePixels);
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
    background_ = StageLook::background(size(), picture_,
                                        {layout_.title, layout_.heading, layout_.name,
                                         layout_.listHeading, layout_.list, layout_.tiers, foot});
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
    titleFont_ = stageFont(SerifFamilies, layout_.titlePixels, QFont::Bold);
    headingFont_ = stageFont(SansFamilies, layout_.headingPixels, QFont::Bold);
    nameFont_ = stageFont(SansFamilies, layout_.namePixels, QFont::Bold);
    listHeadingFont_ = stageFont(SansFamilies, layout_.listHeadingPixels, QFont::Bold);
    listFont_ = stageFont(SansFamilies, layout_.listPixels, QFont::Normal);
    tierFont_ = stageFont(SansFamilies, layout_.tierPixels, QFont::Bold);
    noticeFont_ = stageFont(SansFamilies, layout_.noticePixels, QFont::Bold);
    proofFont_ = stageFont(SansFamilies, layout_.proofPixels, QFont::Bold);
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
    drawLine(painter, layout_.title, titleFont_, scene_.title, layout_.smallestPixels);
    painter.setPen(StageLook::Text);
    drawLine(painter, layout_.heading, headingFont_, scene_.heading, layout_.smallestPixels);
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
    const FittedName &fitted = placedName_.fitted;
    const qreal ascent = QFontMetricsF(fitted.font).ascent();
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
    drawLine(painter, layout_.listHeading, listHeadingFont_, scene_.listHeading,
             layout_.smallestPixels);
    QRect area = layout_.list;
    if (!scene_.notice.isEmpty())
        area.setBottom(layout_.notice.top() - 1);
    const WinnerGrid grid = fitWinners(scene_.lines, listFont_, area, layout_.smallestPixels);
    painter.setPen(StageLook::Text);
    painter.setFont(grid.font);
    for (qsizetype i = 0; i < grid.names.size(); ++i)
        painter.drawText(grid.cellOf(i, area), Qt::AlignCenter, grid.names[i]);
}

void StageView::paintTiers(QPainter &painter) const
{
    painter.setPen(StageLook::Text);
    const int lineHeight = layout_.tierPixels * 3 / 2;
    for (qsizetype i = 0; i < scene_.lines.size(); ++i) {
        const QRect rect(layout_.tiers.left(), layout_.tiers.top() + int(i) * lineHeight,
                         layout_.tiers.width(), lineHeight);
        drawLine(painter, rect, tierFont_, scene_.lines[i], layout_.smallestPixels);
    }
}

void StageView::paintNotice(QPainter &painter) const
{
    if (scene_.notice.isEmpty())
        return;
    // A gold plate on its own: it stands out without covering any name. Beside a code it
    // moves to the left, so that the code keeps its size.
    const int width =
        QFontMetrics(noticeFont_).horizontalAdvance(scene_.notice) + 2 * layout_.noticePixels;
    const QRect proof = proofRect();
    const int room = proof.isNull() ? layout_.notice.width()
                                    : proof.left() - layout_.noticePixels - layout_.notice.left();
    QRect plate(0, 0, qMax(0, qMin(width, room)), layout_.notice.height());
    plate.moveCenter(layout_.notice.center());
    if (!proof.isNull() && plate.right() >= proof.left() - layout_.noticePixels)
        plate.moveLeft(layout_.notice.left());
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(plate, plate.height() / 2.0, plate.height() / 2.0);
    painter.fillPath(outline, StageLook::NoticeFill);
    painter.setPen(StageLook::NoticeText);
    drawLine(painter, plate, noticeFont_, scene_.notice, layout_.smallestPixels);
}

QString StageView::proofLine() const
{
    switch (scene_.kind) {
    case StageScene::Kind::Tiers:
        return fingerprint_.isEmpty() ? QString() : QStringLiteral("名单指纹　") + fingerprint_;
    case StageScene::Kind::Rolling:
        return {};
    case StageScene::Kind::Winner:
    case StageScene::Kind::Voided:
        break;
    }
    // Nothing more will be drawn: the head pins every result of the evening, the last one
    // included (its code is the head's start).
    const bool drawOver = scene_.notice == QStringLiteral("抽奖任务已完成") ||
                          scene_.notice == QStringLiteral("名单中已没有可抽取的人");
    if (drawOver && !head_.isEmpty())
        return QStringLiteral("链头 ") + head_;
    return winnerCode_.isEmpty() ? QString() : QStringLiteral("链码 ") + winnerCode_;
}

QRect StageView::proofRect() const
{
    const QString text = proofLine();
    if (text.isEmpty())
        return {};
    if (scene_.kind == StageScene::Kind::Tiers)
        return layout_.notice;
    const int width = QFontMetrics(proofFont_).horizontalAdvance(text);
    QRect rect = layout_.notice;
    rect.setLeft(qMax(rect.left(), rect.right() + 1 - width));
    return rect;
}

void StageView::paintProof(QPainter &painter) const
{
    const QString text = proofLine();
    if (text.isEmpty())
        return;
    painter.setPen(StageLook::Text);
    if (scene_.kind == StageScene::Kind::Tiers) {
        // Large enough to photograph from the hall before anyone has won.
        drawLine(painter, layout_.notice, noticeFont_, text, layout_.smallestPixels);
        return;
    }
    // Bold and never shrunk, in the foot's right end beside any notice: a phone's photo
    // from the hall must read every digit.
    painter.setFont(proofFont_);
    painter.drawText(proofRect(), Qt::AlignRight | Qt::AlignVCenter, text);
}
