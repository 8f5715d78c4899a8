#include "form1controls.h"

#include "onelinevalidator.h"
#include "prizetier.h"
#include "webaddress.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// The fonts ask for the Windows names first; the substitutes keep Chinese legible where
// those are not installed.
// The last ones hold the rare characters of CJK Extension B and later (李𪚥): Chinese
// Windows has SimSun-ExtB, Linux the Hanazono fonts.
const QStringList RareHan{QStringLiteral("SimSun-ExtB"), QStringLiteral("MingLiU-ExtB"),
                          QStringLiteral("HanaMinB"), QStringLiteral("HanaMinA")};
const QStringList SongTi =
    QStringList{QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")} +
    RareHan;
const QStringList FangSong =
    QStringList{QStringLiteral("仿宋_GB2312"), QStringLiteral("FangSong_GB2312"),
                QStringLiteral("仿宋"),        QStringLiteral("FangSong"),
                QStringLiteral("STFangsong"),  QStringLiteral("Noto Serif CJK SC")} +
    RareHan;

QFont font(const QStringList &families, qreal points, QFont::Weight weight)
{
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(points);
    f.setWeight(weight);
    return f;
}

// Positions are given in twips, as designed; the screen works in pixels.
template <typename W>
W *place(W *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left / 15, top / 15, width / 15, height / 15);
    return widget;
}

QGroupBox *frame(QWidget *parent, const char *name, int l, int t, int w, int h)
{
    auto *box = place(new QGroupBox(parent), name, l, t, w, h);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

QWidget *panel(QWidget *parent, const char *name, int l, int t, int w, int h)
{
    return place(new QWidget(parent), name, l, t, w, h);
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int l, int t, int w,
                    int h)
{
    auto *b = place(new QPushButton(caption, parent), name, l, t, w, h);
    // Buttons use the window's font, also inside a frame that has a smaller one.
    b->setFont(parent->window()->font());
    b->setAutoDefault(false);
    return b;
}

QLabel *picture(QWidget *parent, const char *name, const QString &resource, int l, int t, int w,
                int h)
{
    auto *image = place(new QLabel(parent), name, l, t, w, h);
    image->setPixmap(QPixmap(resource));
    image->setScaledContents(true);
    return image;
}

QLabel *titleLabel(QWidget *parent, const char *name, int top, const QColor &colour)
{
    auto *label = place(new QLabel(parent), name, 1440, top, 750, 720);
    label->setFont(font(SongTi, 36, QFont::Bold));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    return label;
}

void colour(QWidget *widget, const QColor &background, const QColor &text)
{
    QPalette p = widget->palette();
    if (background.isValid())
        p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Text, text);
    widget->setPalette(p);
}

} // namespace

Form1Controls buildForm1Controls(QWidget *window)
{
    Form1Controls c{};
    window->setFont(font(SongTi, 10.5, QFont::Normal));
    const QFont frameFont = font(SongTi, 9, QFont::Normal);

    // Banner: the picture first, so the title labels are drawn over it, L3 over L2.
    c.Frame7 = frame(window, "Frame7", 240, 0, 11415, 1335);
    c.Image1 = picture(c.Frame7, "Image1", QStringLiteral(":/banner.png"), 240, 240, 10890, 885);
    c.L2 = titleLabel(c.Frame7, "L2", 120, window->palette().color(QPalette::WindowText));
    c.L3 = titleLabel(c.Frame7, "L3", 360, QColor(255, 128, 0));

    c.Frame2 = frame(window, "Frame2", 240, 1320, 8535, 1095);
    c.Frame2->setFont(frameFont);
    c.Text1 = place(new QLineEdit(c.Frame2), "Text1", 120, 240, 8295, 735);
    c.Text1->setFont(font(SongTi, 26.25, QFont::Bold));
    colour(c.Text1, QColor(255, 192, 255), QColor(0, 0, 255));
    // The name changes 33 times a second: a flat box paints its whole rectangle, so
    // nothing behind it (the frame, the window) has to be painted again with it.
    c.Text1->setFrame(false);
    c.Text1->setAttribute(Qt::WA_OpaquePaintEvent);
    c.Text1->setValidator(new OneLineValidator(c.Text1));

    c.Frame4 = frame(window, "Frame4", 240, 2400, 8505, 4815);
    c.Frame4->setFont(frameFont);
    c.T1 = place(new QPlainTextEdit(c.Frame4), "T1", 120, 240, 8175, 4455);
    c.T1->setFont(font(FangSong, 15.75, QFont::Bold));
    c.T1->setReadOnly(true);
    c.T1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.T1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    colour(c.T1, QColor(), QColor(0, 128, 0));

    c.Frame3 = frame(window, "Frame3", 240, 7320, 8535, 660);
    // Multi-line without scroll bars: in a narrow window the status line wraps, where a
    // single-line box would scroll to its end and hide the start.
    c.Text2 = place(new QPlainTextEdit(c.Frame3), "Text2", 120, 240, 8295, 345);
    c.Text2->setFont(font(SongTi, 12, QFont::Normal));
    c.Text2->setReadOnly(true);
    c.Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.Text2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The box is one line of 宋体 high: a fallback font's taller line needs the margin.
    c.Text2->document()->setDocumentMargin(0);
    colour(c.Text2, QColor(255, 255, 192), QColor(255, 0, 0));

    c.Frame5 = frame(window, "Frame5", 9000, 1320, 2655, 1575);
    c.Picture1 = panel(c.Frame5, "Picture1", 120, 240, 2415, 1215);
    c.settxt = button(c.Picture1, "settxt", QStringLiteral("系统设置"), 120, 0, 2175, 525);
    c.Format = button(c.Picture1, "Format", QStringLiteral("初 始 化"), 120, 600, 2175, 525);

    c.Frame1 = frame(window, "Frame1", 9000, 2880, 2655, 2775);
    c.Frame1->setFont(frameFont);
    c.Picture2 = panel(c.Frame1, "Picture2", 120, 120, 2415, 2535);
    const int tierTops[] = {120, 720, 1320, 1920};
    for (PrizeTier tier : AllTiers) {
        const TierRow &row = tierRow(tier);
        const int height = tier == PrizeTier::Second ? 495 : 525;
        c.tierButtons[tierIndex(tier)] =
            button(c.Picture2, row.buttonName.toLatin1().constData(), row.startCaption.toString(),
                   120, tierTops[tierIndex(tier)], 2175, height);
    }

    c.Frame6 = frame(window, "Frame6", 9000, 5760, 2655, 1575);
    c.Picture3 = panel(c.Frame6, "Picture3", 120, 120, 2415, 1335);
    c.sava = button(c.Picture3, "sava", QStringLiteral("保存获奖数据"), 120, 120, 2175, 525);
    c.Exit = button(c.Picture3, "Exit", QStringLiteral("退　    　出"), 120, 720, 2175, 525);

    // The logo overlaps the right end of the address picture and lies above it.
    c.Image3 = picture(window, "Image3", QStringLiteral(":/address.png"), 8760, 7440, 2475, 555);
    c.Image2 = picture(window, "Image2", QStringLiteral(":/logo.png"), 11160, 7440, 750, 600);

    const QString tooltip =
        QStringLiteral("欢迎访问 %1 ，了解更多抽奖活动的好帮手").arg(WebAddress);
    for (QLabel *linked : {c.L2, c.L3, c.Image1}) {
        linked->setCursor(Qt::PointingHandCursor);
        linked->setToolTip(tooltip);
    }

    c.Timer1 = new QTimer(window);
    c.Timer1->setObjectName(QStringLiteral("Timer1"));
    c.Timer1->setTimerType(Qt::PreciseTimer);

    const auto &t = c.tierButtons;
    QWidget *tabOrder[] = {t[0],    t[1],     t[2],     t[3],   c.T1,  c.Text1,
                           c.Text2, c.settxt, c.Format, c.sava, c.Exit};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    return c;
}
