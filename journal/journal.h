#pragma once

#include "fileresult.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// A line as the journal keeps it: the time of its event and its fields, line breaks
// already escaped. A resume writes a winner's line again exactly as it stood, time and
// all, so that its check still names it.
struct JournalRecord {
    QString stamp; // "yyyy-MM-dd HH:mm:ss"
    QStringList fields;
};

// The record of an event happening now.
JournalRecord journalRecordNow(const QStringList &fields);

// A line the journal has put on the disk whole: its record, its check and its chain value
// (journalline.h).
struct WrittenJournalLine {
    JournalRecord record;
    QString check;
    QString chain;
};

// 抽奖日志.txt: one line per event of the draw, appended and flushed to stable storage
// before the event shows on screen, so a crash or a power cut loses no recorded winner.
// The program never truncates it. Fields are separated by tabs; a tab, a line break or a
// backslash inside a field is written as \t, \r, \n or \\ so every line splits back
// exactly. Every line ends in a check and a chain value (journalline.h) and starts on a
// line of its own, even after a write that a full disk or a power cut left unfinished.
// A line's chain value is worked out as it goes to the disk, from the newest whole line
// there: a line that the disk cut short is left out of the chain, and the same line
// written again whole chains from the line before it.
class Journal {
public:
    explicit Journal(QString path) : path_(std::move(path)) {}

    const QString &path() const { return path_; }

    // Appends "yyyy-MM-dd HH:mm:ss", a tab and the fields joined by tabs, the check and
    // CR LF.
    FileResult append(const QStringList &fields) { return appendAll({fields}); }
    // Appends several lines in one write and one flush: all of them or none count.
    FileResult appendAll(const QList<QStringList> &lines);
    FileResult appendRecords(const QList<JournalRecord> &records);

    // Lines that could not be written (a full disk, a folder gone read-only) wait here
    // and go first, in their order, at the next write or catchUp() that succeeds.
    FileResult catchUp();
    qsizetype linesBehind() const { return pendingLines_; }

    // Before a run's first line: a journal an editor re-saved as UTF-16 is kept aside
    // (its new name in `keptAside`) and continued in GB18030. Fails when the journal
    // cannot be appended to, and then leaves it as it is.
    FileResult prepare(QString *keptAside);

    // The chain value of the newest line this journal has written whole; empty before its
    // first write.
    const QString &head() const { return head_; }
    // The lines written whole since the last call, in their order.
    QList<WrittenJournalLine> takeWritten() { return std::exchange(written_, {}); }

private:
    struct PendingWrite {
        QList<JournalRecord> records;
        QList<QByteArray> bodies; // each line's text up to its check
    };

    QString path_;
    QList<PendingWrite> pending_;
    qsizetype pendingLines_ = 0;
    // The journal's size after this journal's last whole write: while the file keeps it, its
    // newest line is the one written then, and the chain goes on from `head_` without
    // reading the file back.
    qint64 knownSize_ = -1;
    QString head_;
    QList<WrittenJournalLine> written_;
};

inline const QString JournalFileName = QStringLiteral("抽奖日志.txt");

// The event keywords, the second field of every line.
namespace JournalEvent {
inline const QString ProgramStart = QStringLiteral("程序启动");
inline const QString DrawStart = QStringLiteral("开始抽奖");
inline const QString Reset = QStringLiteral("初始化");
inline const QString Resumed = QStringLiteral("续接");
inline const QString Winner = QStringLiteral("中奖");
inline const QString Void = QStringLiteral("作废");
inline const QString ReportSaved = QStringLiteral("保存报告");
inline const QString ReportFailed = QStringLiteral("保存报告失败");
inline const QString SettingsSaved = QStringLiteral("保存设置");
inline const QString CleanEnd = QStringLiteral("正常结束");
} // namespace JournalEvent

// The field a run's start carries when it goes on to resume an interrupted draw.
inline const QString ResumingField = QStringLiteral("续接");
// The field after a winner's pool sizes when the winner is the operator's own text, not
// an entry of the pool.
inline const QString TypedField = QStringLiteral("手动输入");

// An editor's "Unicode" save: UTF-16 with its byte-order mark.
bool startsAsUtf16(QByteArrayView start);

QString escapeJournalField(const QString &text);
QString unescapeJournalField(const QString &text);
