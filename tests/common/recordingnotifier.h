#pragma once

#include "notifier.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

// Records every message, beep and link instead of showing them, and answers a failed
// write's question from a script (CloseWithoutReport when the script is empty) and a
// confirmation from confirmAnswer, a typed winner's question from recordAnywayAnswer, the
// folder chooser from chosenFolder.
class RecordingNotifier : public Notifier {
public:
    struct Message {
        Icon icon;
        QString title;
        QString text;
    };

    QList<Message> messages;
    QList<FailedWriteChoice> scriptedChoices;
    ResumeChoice resumeChoice = ResumeChoice::StartAfresh;
    bool confirmAnswer = false;
    bool recordAnywayAnswer = false;
    // The folder chooser's answer; it records the folder it started in as its text.
    std::optional<QString> chosenFolder;
    int beeps = 0;
    QList<QUrl> openedUrls;
    // Runs while a failed write's question is open, as an operator fixing the fault would.
    std::function<void()> onQuestion;
    // Runs as a notice opens: what the window is doing when a box would take the keys.
    std::function<void()> onMessage;

    void information(const QString &title, const QString &text) override
    {
        messages.append({Icon::Information, title, text});
        if (onMessage)
            onMessage();
    }
    void warning(const QString &title, const QString &text) override
    {
        messages.append({Icon::Warning, title, text});
        if (onMessage)
            onMessage();
    }
    FailedWriteChoice askAfterFailedWrite(const QString &title, const QString &text) override
    {
        messages.append({Icon::Question, title, text});
        if (onQuestion)
            onQuestion();
        return scriptedChoices.isEmpty() ? FailedWriteChoice::CloseWithoutReport
                                         : scriptedChoices.takeFirst();
    }
    ResumeChoice askResume(const QString &title, const QString &text) override
    {
        messages.append({Icon::Question, title, text});
        return resumeChoice;
    }
    bool confirm(const QString &title, const QString &text) override
    {
        messages.append({Icon::Question, title, text});
        return confirmAnswer;
    }
    bool askRecordAnyway(const QString &title, const QString &text) override
    {
        messages.append({Icon::Question, title, text});
        return recordAnywayAnswer;
    }
    std::optional<QString> chooseFolder(const QString &title, const QString &start) override
    {
        messages.append({Icon::Question, title, start});
        return chosenFolder;
    }
    void beep() override { ++beeps; }
    void openUrl(const QUrl &url) override { openedUrls.append(url); }
};
