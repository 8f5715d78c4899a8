#include "soundmark.h"

#include <QPainter>
#include <QPainterPath>

SoundMark::SoundMark(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setMuted(false);
}

void SoundMark::setMuted(bool muted)
{
    muted_ = muted;
    updateToolTip();
}

void SoundMark::setDeviceAvailable(bool available)
{
    deviceAvailable_ = available;
    updateToolTip();
}

void SoundMark::updateToolTip()
{
    QString tip = muted_ ? QStringLiteral("声音已关闭（按 F8 打开）")
                         : QStringLiteral("声音已打开（按 F8 关闭）");
    if (!deviceAvailable_)
        tip = QStringLiteral("没有可用的声音设备，抽奖照常进行，只是没有声音。") + tip;
    setToolTip(tip);
    update();
}

void SoundMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 16 × 16 grid, scaled to the mark's size.
    painter.scale(width() / 16.0, height() / 16.0);
    const QColor ink =
        muted_ || !deviceAvailable_ ? QColor(0x99, 0x99, 0x99) : QColor(0x33, 0x66, 0x33);
    QPainterPath speaker;
    speaker.moveTo(1.5, 6);
    speaker.lineTo(4.5, 6);
    speaker.lineTo(8.5, 2.5);
    speaker.lineTo(8.5, 13.5);
    speaker.lineTo(4.5, 10);
    speaker.lineTo(1.5, 10);
    speaker.closeSubpath();
    painter.fillPath(speaker, ink);
    QPen pen(ink, 1.4, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    if (muted_) {
        pen.setColor(QColor(0xcc, 0x22, 0x22));
        painter.setPen(pen);
        painter.drawLine(QPointF(10.5, 5.5), QPointF(15, 10.5));
        painter.drawLine(QPointF(15, 5.5), QPointF(10.5, 10.5));
        return;
    }
    if (!deviceAvailable_) {
        // A question mark where the waves would be: the sound is on, but nothing plays it.
        QPainterPath hook;
        hook.moveTo(10.5, 5.5);
        hook.cubicTo(10.5, 2.5, 15.5, 2.5, 15.5, 5.5);
        hook.cubicTo(15.5, 7.5, 13, 7.5, 13, 10);
        painter.drawPath(hook);
        painter.drawPoint(QPointF(13, 13));
        return;
    }
    painter.drawArc(QRectF(6.5, 5, 5, 6), -60 * 16, 120 * 16);
    painter.drawArc(QRectF(5.5, 2.5, 9, 11), -60 * 16, 120 * 16);
}
