#include "windowplacement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

void centre(QWidget *window, const QMargins &frame)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    QRect whole = QRect(QPoint(), window->size()).marginsAdded(frame);
    whole.moveCenter(screen->availableGeometry().center());
    // The geometry is the client area's: the frame goes round it.
    window->setGeometry(QRect(whole.topLeft() + QPoint(frame.left(), frame.top()), window->size()));
}

// Centres the window again at its first expose if the frame has changed by then.
class FrameWatcher : public QObject {
public:
    FrameWatcher(QWidget *window, const QMargins &used)
        : QObject(window), window_(window), used_(used)
    {
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && window_->windowHandle()->isExposed()) {
            watched->removeEventFilter(this);
            const QMargins frame = window_->windowHandle()->frameMargins();
            if (frame != used_)
                centre(window_, frame);
            deleteLater();
        }
        return false;
    }

private:
    QWidget *window_;
    QMargins used_;
};

} // namespace

void showCentred(QWidget *window)
{
    window->winId(); // the platform window, and with it the frame where the platform knows it
    const QMargins frame = window->windowHandle()->frameMargins();
    centre(window, frame);
    new FrameWatcher(window, frame);
    window->show();
}
