#include "messageboxnotifier.h"

#include "boxplacement.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace {

// A box that, once Qt has sized and centred it, moves clear of what the placement keeps
// visible; before it appears, so it never shows where it must not.
class PlacedBox : public QMessageBox {
public:
    PlacedBox(const BoxPlacement *placement, Icon icon, const QString &title, const QString &text,
              StandardButtons buttons = NoButton)
        : QMessageBox(icon, title, text, buttons,
                      placement ? placement->owner(QApplication::activeWindow())
                                : QApplication::activeWindow()),
          placement_(placement)
    {
        frameCheck_.setInterval(50);
        connect(&frameCheck_, &QTimer::timeout, this, [this] { checkFrame(); });
    }

    // Runs the box; the window that was active before it gets the keys back after it (the
    // stage view, which a presenter's remote drives).
    QAbstractButton *ask()
    {
        const QPointer<QWidget> active = QApplication::activeWindow();
        exec();
        if (active && active->isVisible())
            active->activateWindow();
        return clickedButton();
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        placeClear(expectedFrame(frameMargins(this), decoratedFrames(), fallbackFrame()));
        // Once the window manager has put its frame (title bar included) around the box,
        // the frame itself is measured: a guess that fell short is put right at once.
        checks_ = 0;
        frameCheck_.start();
    }

private:
    static QMargins frameMargins(const QWidget *window)
    {
        const QRect frame = window->frameGeometry();
        const QRect inner = window->geometry();
        return {inner.left() - frame.left(), inner.top() - frame.top(),
                frame.right() - inner.right(), frame.bottom() - inner.bottom()};
    }
    static QList<QMargins> decoratedFrames()
    {
        QList<QMargins> frames;
        for (const QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && !window->windowFlags().testFlag(Qt::FramelessWindowHint))
                frames << frameMargins(window);
        }
        return frames;
    }
    QMargins fallbackFrame() const
    {
        const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        return {4, title + 4, 4, 4};
    }
    void placeClear(const QMargins &margins)
    {
        if (!placement_ || !parentWidget())
            return;
        const QRect keep = placement_->keepClear(parentWidget()->window());
        const QScreen *screen = parentWidget()->screen();
        if (keep.isEmpty() || !screen)
            return;
        // The frame as it stands or will stand: its top-left is where move() puts it.
        const QRect frame(geometry().topLeft() - QPoint(margins.left(), margins.top()),
                          geometry().size().grownBy(margins));
        const QPoint to = clearOf(frame, keep, screen->availableGeometry());
        if (to != frame.topLeft())
            move(to);
    }
    void checkFrame()
    {
        if (frameGeometry() != geometry())
            placeClear(frameMargins(this));
        if (++checks_ >= 10)
            frameCheck_.stop();
    }

    const BoxPlacement *placement_;
    QTimer frameCheck_{this};
    int checks_ = 0;
};

// Keeps Space away from a focused button, which it would click.
class SpaceSwallower : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            return static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space;
        return QObject::eventFilter(watched, event);
    }
};

// Runs a question that Space, the draw's own key, must not answer: a press meant for the
// next draw clicks none of its buttons.
QAbstractButton *askIgnoringSpace(PlacedBox &box)
{
    SpaceSwallower swallower;
    for (QAbstractButton *button : box.buttons())
        button->installEventFilter(&swallower);
    return box.ask();
}

void showMessage(const BoxPlacement *placement, QMessageBox::Icon icon, const QString &title,
                 const QString &text)
{
    PlacedBox box(placement, icon, title, text, QMessageBox::Ok);
    // The operator's screen is Chinese throughout, the OK button included.
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.ask();
}

} // namespace

void MessageBoxNotifier::information(const QString &title, const QString &text)
{
    showMessage(placement_, QMessageBox::Information, title, text);
}

void MessageBoxNotifier::warning(const QString &title, const QString &text)
{
    showMessage(placement_, QMessageBox::Warning, title, text);
}

Notifier::FailedWriteChoice MessageBoxNotifier::askAfterFailedWrite(const QString &title,
                                                                    const QString &text)
{
    PlacedBox box(placement_, QMessageBox::Warning, title, text);
    QPushButton *retry = box.addButton(QStringLiteral("重试"), QMessageBox::AcceptRole);
    QPushButton *elsewhere = box.addButton(SaveElsewhereCaption, QMessageBox::ActionRole);
    QPushButton *discard =
        box.addButton(QStringLiteral("不保存，关闭"), QMessageBox::DestructiveRole);
    QPushButton *keep = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    // Keeping the window is the safe answer to Esc or a stray Enter.
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    QAbstractButton *clicked = box.ask();
    if (clicked == retry)
        return FailedWriteChoice::Retry;
    if (clicked == elsewhere)
        return FailedWriteChoice::SaveElsewhere;
    if (clicked == discard)
        return FailedWriteChoice::CloseWithoutReport;
    return FailedWriteChoice::KeepWindowOpen;
}

Notifier::ResumeChoice MessageBoxNotifier::askResume(const QString &title, const QString &text)
{
    PlacedBox box(placement_, QMessageBox::Question, title, text);
    QPushButton *resume = box.addButton(QStringLiteral("继续上次的抽奖"), QMessageBox::YesRole);
    QPushButton *afresh = box.addButton(QStringLiteral("重新开始"), QMessageBox::NoRole);
    // Enter, Esc and the close box all resume: only a deliberate choice leaves the draw.
    box.setDefaultButton(resume);
    box.setEscapeButton(resume);
    return box.ask() == afresh ? ResumeChoice::StartAfresh : ResumeChoice::Resume;
}

bool MessageBoxNotifier::confirm(const QString &title, const QString &text)
{
    PlacedBox box(placement_, QMessageBox::Question, title, text,
                  QMessageBox::Ok | QMessageBox::Cancel);
    QAbstractButton *ok = box.button(QMessageBox::Ok);
    ok->setText(QStringLiteral("确定"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    // Enter answers OK, Esc and the close box Cancel.
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return askIgnoringSpace(box) == ok;
}

bool MessageBoxNotifier::askRecordAnyway(const QString &title, const QString &text)
{
    PlacedBox box(placement_, QMessageBox::Question, title, text);
    QPushButton *record = box.addButton(QStringLiteral("记录"), QMessageBox::AcceptRole);
    QPushButton *skip = box.addButton(QStringLiteral("不记录"), QMessageBox::RejectRole);
    // Only a deliberate click records the text: Enter, Esc and the close box leave it
    // unrecorded.
    box.setDefaultButton(skip);
    box.setEscapeButton(skip);
    return askIgnoringSpace(box) == record;
}

std::optional<QString> MessageBoxNotifier::chooseFolder(const QString &title, const QString &start)
{
    QWidget *owner =
        placement_ ? placement_->owner(QApplication::activeWindow()) : QApplication::activeWindow();
    const QString folder = QFileDialog::getExistingDirectory(owner, title, start);
    if (folder.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(folder);
}

void MessageBoxNotifier::beep()
{
    QApplication::beep();
}

void MessageBoxNotifier::openUrl(const QUrl &url)
{
    // Whether a browser could be started is not the draw's concern.
    QDesktopServices::openUrl(url);
}
