#include "stageview.h"

#include "drawengine.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace {

// Chosen for a projector in a bright hall: the room's light greys a dark background, so
// dark type on white keeps the contrast; the title and the winner in a deep red.
const QColor Background(0xff, 0xff, 0xff);
const QColor Ink(0x14, 0x14, 0x14);
// Room for about 400 glyphs at a 1080-line projector's name size.
constexpr qsizetype GlyphImageBudget = 24 * 1024 * 1024;
const QColor Accent(0xa8, 0x00, 0x00);

// The main window's Chinese fonts, the sans ones first: they stay legible from afar.
const QStringList SansFamilies{QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                               QStringLiteral("黑体"), QStringLiteral("SimHei"),
                               QStringLiteral("Noto Sans CJK SC")};
const QStringList SerifFamilies{QStringLiteral("宋体"), QStringLiteral("SimSun"),
                                QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("Noto Sans CJK SC")};

QFont stageFont(const QStringList &families, int pixels, QFont::Weight weight)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

// The font shrunk until the text fits the width, but never below the smallest size.
QFont fitted(const QFont &font, const QString &text, int width, int smallestPixels)
{
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    if (advance <= width)
        return font;
    QFont smaller = font;
    smaller.setPixelSize(qMax(smallestPixels, int(qint64(font.pixelSize()) * width / advance)));
    return smaller;
}

void drawLine(QPainter &painter, const QRect &rect, const QFont &font, const QString &text,
              int smallestPixels, Qt::Alignment alignment = Qt::AlignCenter)
{
    const QFont shown = fitted(font, text, rect.width(), smallestPixels);
    painter.setFont(shown);
    painter.drawText(rect, int(alignment | Qt::AlignVCenter),
                     QFontMetrics(shown).elidedText(text, Qt::ElideRight, rect.width()));
}

} // namespace

StageView::StageView(const DrawState &state, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), state_(state),
      glyphImages_(GlyphImageBudget)
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

void StageView::showDraw()
{
    scene_ = stageScene(state_, layout_.listCapacity());
    placedName_ = placeName(scene_.name);
    update();
}

void StageView::showRollingName()
{
    if (scene_.kind != StageScene::Kind::Rolling)
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
    placed.font = fitted(nameFont_, name, band.width(), layout_.smallestPixels);
    const QFontMetrics metrics(placed.font);
    placed.text = metrics.elidedText(name, Qt::ElideRight, band.width());
    const int advance = metrics.horizontalAdvance(placed.text);
    // Where drawText centres it, so that the winner stands where the roll stopped.
    placed.topLeft = QPointF(band.left() + (band.width() - advance) / 2.0,
                             band.top() + (band.height() - metrics.height()) / 2.0);
    // Glyphs may reach a little beyond their advance.
    const int overhang = layout_.smallestPixels;
    placed.bounds =
        QRect(qRound(placed.topLeft.x()) - overhang, qRound(placed.topLeft.y()) - overhang,
              advance + 2 * overhang, metrics.height() + 2 * overhang)
            .intersected(band);
    return placed;
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
    // How many winners fit depends on the size.
    showDraw();
}

void StageView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Background);
    // A tick asks for the name alone.
    if (layout_.name.contains(event->rect())) {
        paintName(painter);
        return;
    }
    painter.setPen(Accent);
    drawLine(painter, layout_.title, titleFont_, scene_.title, layout_.smallestPixels);
    switch (scene_.kind) {
    case StageScene::Kind::Tiers:
        paintTiers(painter);
        break;
    case StageScene::Kind::Rolling:
        painter.setPen(Ink);
        drawLine(painter, layout_.heading, headingFont_, scene_.heading, layout_.smallestPixels);
        paintName(painter);
        break;
    case StageScene::Kind::Winner:
        painter.setPen(Ink);
        drawLine(painter, layout_.heading, headingFont_, scene_.heading, layout_.smallestPixels);
        paintName(painter);
        paintWinners(painter);
        break;
    }
}

void StageView::paintName(QPainter &painter)
{
    switch (scene_.kind) {
    case StageScene::Kind::Tiers:
        break;
    case StageScene::Kind::Rolling:
        // Black, the colour of the glyph images: the name changes every tick.
        glyphImages_.draw(painter, placedName_.topLeft, placedName_.font, placedName_.text);
        break;
    case StageScene::Kind::Winner:
        painter.setPen(Accent);
        painter.setFont(placedName_.font);
        painter.drawText(layout_.name, Qt::AlignCenter, placedName_.text);
        break;
    }
}

void StageView::paintWinners(QPainter &painter) const
{
    painter.setPen(Ink);
    drawLine(painter, layout_.listHeading, listHeadingFont_, scene_.listHeading,
             layout_.smallestPixels);
    const QSize cell = layout_.listCell();
    painter.setFont(listFont_);
    const QFontMetrics metrics(listFont_);
    // Newest first, row by row; a row of fewer names is centred.
    const qsizetype count = scene_.lines.size();
    for (qsizetype i = 0; i < count; ++i) {
        const int row = int(i / layout_.listColumns);
        const int column = int(i % layout_.listColumns);
        const int inRow =
            int(qMin<qsizetype>(layout_.listColumns, count - qsizetype(row) * layout_.listColumns));
        const int left = layout_.list.left() + (layout_.list.width() - inRow * cell.width()) / 2;
        const QRect rect(left + column * cell.width(), layout_.list.top() + row * cell.height(),
                         cell.width(), cell.height());
        painter.drawText(rect, Qt::AlignCenter,
                         metrics.elidedText(scene_.lines[i], Qt::ElideRight,
                                            cell.width() - layout_.smallestPixels));
    }
}

void StageView::paintTiers(QPainter &painter) const
{
    painter.setPen(Ink);
    const int lineHeight = layout_.tierPixels * 3 / 2;
    for (qsizetype i = 0; i < scene_.lines.size(); ++i) {
        const QRect rect(layout_.tiers.left(), layout_.tiers.top() + int(i) * lineHeight,
                         layout_.tiers.width(), lineHeight);
        drawLine(painter, rect, tierFont_, scene_.lines[i], layout_.smallestPixels);
    }
}
