#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Calls back on a click on any watched control: a left-button press and its release over
// that same control. The press grabs the mouse, so after a drag off the control the
// release still comes to it, from outside; that is no click. Of a double-click only the
// first click counts.
class ClickWatcher : public QObject {
public:
    ClickWatcher(std::function<void()> onClick, QObject *parent);

    void watch(QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> onClick_;
    QObject *pressedOn_ = nullptr;
};
