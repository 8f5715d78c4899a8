#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Every message box, the folder chooser, the beep and the web link go through this, so the
// windows can be driven in tests without a modal loop.
inline const QString SaveElsewhereCaption = QStringLiteral("另存到其他文件夹…");

class Notifier {
public:
    enum class Icon { Information, Warning, Question };
    // What the operator chose after a report failed on the way out.
    enum class FailedWriteChoice { Retry, SaveElsewhere, CloseWithoutReport, KeepWindowOpen };
    // What the operator chose when the last run ended in the middle of a draw.
    enum class ResumeChoice { Resume, StartAfresh };

    virtual ~Notifier() = default;
    virtual void information(const QString &title, const QString &text) = 0;
    virtual void warning(const QString &title, const QString &text) = 0;
    virtual FailedWriteChoice askAfterFailedWrite(const QString &title, const QString &text) = 0;
    virtual ResumeChoice askResume(const QString &title, const QString &text) = 0;
    // A question with OK and Cancel: true only for OK.
    virtual bool confirm(const QString &title, const QString &text) = 0;
    // Whether to record a winner anyway: true only for "记录"; Enter, Esc and the close box
    // answer "不记录".
    virtual bool askRecordAnyway(const QString &title, const QString &text) = 0;
    // A folder the operator chooses, starting at `start`; nothing when they cancel.
    virtual std::optional<QString> chooseFolder(const QString &title, const QString &start) = 0;
    virtual void beep() = 0;
    virtual void openUrl(const QUrl &url) = 0;
};
