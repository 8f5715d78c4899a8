#include "clickwatcher.h"

#include <QMouseEvent>
#include <QWidget>

ClickWatcher::ClickWatcher(std::function<void()> onClick, QObject *parent)
    : QObject(parent), onClick_(std::move(onClick))
{
}

void ClickWatcher::watch(QWidget *control)
{
    control->installEventFilter(this);
}

bool ClickWatcher::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<const QMouseEvent &>(*event).button() == Qt::LeftButton)
            pressedOn_ = watched;
        break;
    case QEvent::MouseButtonDblClick:
        pressedOn_ = nullptr;
        break;
    case QEvent::MouseButtonRelease: {
        const auto &mouse = static_cast<const QMouseEvent &>(*event);
        if (mouse.button() != Qt::LeftButton)
            break;
        const bool click =
            watched == pressedOn_ &&
            static_cast<QWidget *>(watched)->rect().contains(mouse.position().toPoint());
        pressedOn_ = nullptr;
        if (click)
            onClick_();
        break;
    }
    default:
        break;
    }
    return false;
}
