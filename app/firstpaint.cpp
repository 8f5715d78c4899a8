#include "firstpaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace {

class FirstPaint : public QObject {
public:
    FirstPaint(QWidget *window, int latestMs, QObject *context, std::function<void()> then)
        : QObject(context), then_(std::move(then))
    {
        window->installEventFilter(this);
        QTimer::singleShot(latestMs, this, &FirstPaint::run);
        // A window closed or replaced before it was painted holds nothing back either.
        connect(window, &QObject::destroyed, this, &FirstPaint::run);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // After this paint has reached the screen, not inside it.
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, &FirstPaint::run);
        return false;
    }

private:
    void run()
    {
        if (!then_)
            return;
        std::exchange(then_, {})();
        deleteLater();
    }

    std::function<void()> then_;
};

} // namespace

void afterFirstPaint(QWidget *window, int latestMs, QObject *context, std::function<void()> then)
{
    new FirstPaint(window, latestMs, context, std::move(then));
}
