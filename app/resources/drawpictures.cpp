// Draws the program's pictures into the directory given on the command line: the banner,
// the maker's logo, the web-address picture, the program icon in three sizes for the
// window, a large one for desktop menus and all of them as a Windows icon file. The
// build runs it, so the pictures are made from this code alone (and, for the address, the
// installed fonts); nothing in it depends on the clock or on chance, so every run writes
// the same bytes.

#include "icofile.h"
#include "webaddress.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <algorithm>
#include <utility>

namespace {

const QColor BannerGreen(51, 255, 102);
const QColor GiftRed(232, 65, 80);
const QColor LidRed(246, 96, 106);
const QColor GiftEdge(150, 28, 48);
const QColor RibbonGold(255, 204, 51);
const QColor RibbonEdge(196, 130, 0);
const QColor LinkBlue(0, 45, 140);

// 0 at an edge, rising smoothly to 1 at `width` pixels inside it.
double fadeIn(double distance, double width)
{
    const double t = std::clamp(distance / width, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// A plain green band whose four edges fade to white, so it sits softly in its frame; the
// title is drawn over it by the window.
QImage banner()
{
    const int width = 600;
    const int height = 70;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double fromTopOrBottom = std::min(y + 0.5, height - y - 0.5);
        for (int x = 0; x < width; ++x) {
            const double fromSide = std::min(x + 0.5, width - x - 0.5);
            const double green = fadeIn(fromSide, 48.0) * fadeIn(fromTopOrBottom, 16.0);
            const auto mix = [green](int channel) { return qRound(255 + (channel - 255) * green); };
            line[x] =
                qRgb(mix(BannerGreen.red()), mix(BannerGreen.green()), mix(BannerGreen.blue()));
        }
    }
    return image;
}

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Fills `outer` with the edge colour and its inside, one grid step in, with `fill`: an
// edge filled rather than stroked stays on the grid lines, where a pen would straddle them.
void drawEdgedRect(QPainter &painter, const QRectF &outer, const QColor &fill)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(GiftEdge);
    painter.drawRoundedRect(outer, 1, 1);
    painter.setBrush(fill);
    painter.drawRoundedRect(outer.adjusted(1, 1, -1, -1), 0.3, 0.3);
}

// A wrapped gift with a golden ribbon and bow, drawn on a 16 x 16 grid scaled to `box`.
// The straight edges lie on grid lines, so they stay sharp at 16, 32 and 48 pixels.
void drawGift(QPainter &painter, const QRectF &box)
{
    painter.save();
    painter.translate(box.topLeft());
    painter.scale(box.width() / 16.0, box.height() / 16.0);
    const QPen ribbonPen(RibbonEdge, 0.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    for (const qreal side : {-1.0, 1.0}) {
        QPainterPath loop;
        loop.moveTo(8, 5);
        loop.cubicTo(8 + side * 2, 0.3, 8 + side * 6.8, 0.8, 8 + side * 4.8, 5);
        loop.closeSubpath();
        painter.setPen(ribbonPen);
        painter.setBrush(RibbonGold);
        painter.drawPath(loop);
    }

    drawEdgedRect(painter, QRectF(2, 7, 12, 8), GiftRed);
    drawEdgedRect(painter, QRectF(1, 5, 14, 3), LidRed);
    painter.setBrush(RibbonGold);
    painter.drawRect(QRectF(7, 6, 2, 1));
    painter.drawRect(QRectF(7, 8, 2, 6));

    painter.setPen(ribbonPen);
    painter.drawEllipse(QPointF(8, 4.6), 1.1, 1.1);
    painter.restore();
}

// A four-pointed twinkle beside the gift.
void drawSparkle(QPainter &painter, QPointF centre, qreal radius, const QColor &colour)
{
    const qreal waist = radius * 0.3;
    QPainterPath star;
    star.moveTo(centre.x(), centre.y() - radius);
    star.quadTo(centre.x() + waist, centre.y() - waist, centre.x() + radius, centre.y());
    star.quadTo(centre.x() + waist, centre.y() + waist, centre.x(), centre.y() + radius);
    star.quadTo(centre.x() - waist, centre.y() + waist, centre.x() - radius, centre.y());
    star.quadTo(centre.x() - waist, centre.y() - waist, centre.x(), centre.y() - radius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(star);
}

QImage logo()
{
    QImage image = transparentImage(50, 40);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The window's edge cuts the picture's last two columns: everything stands left of it.
    drawGift(painter, QRectF(8, 5, 32, 32));
    drawSparkle(painter, QPointF(4.5, 11), 4, QColor(80, 170, 255));
    drawSparkle(painter, QPointF(43.5, 19), 3, QColor(255, 150, 200));
    return image;
}

QImage icon(int size)
{
    QImage image = transparentImage(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawGift(painter, QRectF(0, 0, size, size));
    return image;
}

// The address as the site is known, without the scheme, in the largest size that fits.
QImage address()
{
    QImage image(189, 31, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QString scheme = QStringLiteral("https://");
    const QString text =
        WebAddress.startsWith(scheme) ? WebAddress.sliced(scheme.size()) : WebAddress;
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    const int margin = 6;
    for (int pixels = 20; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) <= image.width() - 2 * margin) {
            break;
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(LinkBlue);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    return image;
}

// The window's three sizes in 16 colours, 256 colours and full colour, as older and newer
// Windows pick from, and a large one for Explorer's big views.
QByteArray windowsIcon()
{
    QList<IconPicture> pictures;
    for (const int size : {16, 32, 48})
        for (const IconColours colours :
             {IconColours::Full, IconColours::TwoFiftySix, IconColours::Sixteen})
            pictures.append({icon(size), colours});
    pictures.append({icon(256), IconColours::Full});
    return icoFileBytes(pictures);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: drawpictures OUTPUT_DIRECTORY\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        err << "cannot create " << out.path() << '\n';
        return 1;
    }
    const QList<std::pair<QString, QImage>> pictures{
        {QStringLiteral("banner.png"), banner()},     {QStringLiteral("logo.png"), logo()},
        {QStringLiteral("address.png"), address()},   {QStringLiteral("icon16.png"), icon(16)},
        {QStringLiteral("icon32.png"), icon(32)},     {QStringLiteral("icon48.png"), icon(48)},
        {QStringLiteral("prizedraw.png"), icon(256)},
    };
    for (const auto &[name, image] : pictures) {
        const QString path = out.filePath(name);
        if (!image.save(path, "PNG")) {
            err << "cannot write " << path << '\n';
            return 1;
        }
    }
    QFile ico(out.filePath(QStringLiteral("prizedraw.ico")));
    const QByteArray icoBytes = windowsIcon();
    if (!ico.open(QIODevice::WriteOnly) || ico.write(icoBytes) != icoBytes.size()) {
        err << "cannot write " << ico.fileName() << '\n';
        return 1;
    }
    return 0;
}
