#pragma once

#include "notifier.h"

#include <QList>
#include <QString>

// Notices that need no answer, held back while a tier rolls: a box opened then takes the
// press meant to stop the roll, and every later press comes one behind. They are shown in
// their order once the roll has ended and its winner is recorded.
class HeldNotices {
public:
    explicit HeldNotices(Notifier &notifier) : notifier_(notifier) {}

    void information(const QString &title, const QString &text)
    {
        give({Notifier::Icon::Information, title, text});
    }
    void warning(const QString &title, const QString &text)
    {
        give({Notifier::Icon::Warning, title, text});
    }

    void hold() { held_ = true; }
    void release()
    {
        held_ = false;
        // A notice shown may start another event that holds again.
        while (!held_ && !waiting_.isEmpty())
            show(waiting_.takeFirst());
    }
    bool isHeld() const { return held_; }

private:
    struct Notice {
        Notifier::Icon icon;
        QString title;
        QString text;
    };

    void give(const Notice &notice)
    {
        if (held_)
            waiting_.append(notice);
        else
            show(notice);
    }
    void show(const Notice &notice)
    {
        if (notice.icon == Notifier::Icon::Warning)
            notifier_.warning(notice.title, notice.text);
        else
            notifier_.information(notice.title, notice.text);
    }

    Notifier &notifier_;
    bool held_ = false;
    QList<Notice> waiting_;
};
