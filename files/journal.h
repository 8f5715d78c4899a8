#pragma once

#include "fileresult.h"

#include <QList>
#include <QString>
#include <QStringList>

// 抽奖日志.txt: one line per event of the draw, appended and flushed to stable storage
// before the event shows on screen, so a crash or a power cut loses no recorded winner.
// The program never truncates it. Fields are separated by tabs; a tab or a backslash
// inside a name is written as \t or \\ so every line splits back exactly.
class Journal {
public:
    explicit Journal(QString path) : path_(std::move(path)) {}

    const QString &path() const { return path_; }

    // Appends "yyyy-MM-dd HH:mm:ss", a tab and the fields joined by tabs, then CR LF.
    FileResult append(const QStringList &fields);

    // A failure is told to the operator once per run; the draw goes on regardless.
    bool takeFailureToReport()
    {
        const bool first = !failureReported_;
        failureReported_ = true;
        return first;
    }

private:
    QString path_;
    bool failureReported_ = false;
};

inline const QString JournalFileName = QStringLiteral("抽奖日志.txt");

// The event keywords, the second field of every line.
namespace JournalEvent {
inline const QString ProgramStart = QStringLiteral("程序启动");
inline const QString DrawStart = QStringLiteral("开始抽奖");
inline const QString Reset = QStringLiteral("初始化");
inline const QString Resumed = QStringLiteral("续接");
inline const QString Winner = QStringLiteral("中奖");
inline const QString ReportSaved = QStringLiteral("保存报告");
inline const QString ReportFailed = QStringLiteral("保存报告失败");
inline const QString SettingsSaved = QStringLiteral("保存设置");
inline const QString CleanEnd = QStringLiteral("正常结束");
} // namespace JournalEvent

QString escapeJournalField(const QString &text);
QString unescapeJournalField(const QString &text);

struct JournalWinner {
    QString logLabel;
    QString name;
};

// The draw that was running when the last run stopped without a clean end: its winners
// since its last start or reset, oldest first, and the candidate list's SHA-256 then.
struct InterruptedDraw {
    QList<JournalWinner> winners;
    QString listSha256;
};

InterruptedDraw findInterruptedDraw(const QString &journalText);
