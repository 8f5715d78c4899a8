#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// One line of the draw journal: the timestamp, the fields, a check field with the first
// eight hex digits of the SHA-256 of the line's text before it, then (since the journal
// is chained) a chain field, then CR LF:
//
//   2026-12-07 20:01:02 <TAB> 中奖 <TAB> … <TAB> 校验=1a2b3c4d <TAB> 链=0123456789abcdef
//
// A line that a power cut left unfinished, or one an editor or a bad sector changed, fails
// its check and is told apart from a whole one; the check is what the resume reads, and
// what a void names its winner's line by. The chain value is the first sixteen hex digits
// of the SHA-256 of the previous whole line's chain value (nothing before the first one)
// followed by this line's bytes up to its check's last digit: it ties every line to all
// the lines before it, across runs, so no line can be changed, removed, inserted or moved
// without breaking the chain at that place. The bytes are the line's GB18030 text, so a
// line an editor re-saved as UTF-8 still chains. Journals of earlier versions have no
// chain fields; their lines read as before.
QByteArray journalLineBytes(const QString &stamp, const QStringList &fields);
// The check alone: what a later line names this one by.
QByteArray journalLineCheck(const QString &stamp, const QStringList &fields);

inline constexpr qsizetype JournalChainDigits = 16;
// A line's short chain code, as the hall photographs it: the first twelve hex digits of its
// chain value, too many to find a forged line for by trying. Earlier versions wrote six.
inline constexpr qsizetype ChainCodeDigits = 12;
inline constexpr qsizetype EarlierChainCodeDigits = 6;
// A line's text up to its check's last digit: what its chain value covers.
QByteArray journalLineBody(const QString &stamp, const QStringList &fields);
// The chain value of a line with this body after a line whose chain value is `previous`
// (empty for the first line of a chain).
QByteArray journalChainValue(QByteArrayView previous, QByteArrayView body);
// The body with its chain field and CR LF.
QByteArray chainedJournalLine(const QByteArray &body, const QByteArray &chain);

// A line read back: its timestamp and fields, its check, and its chain value with the
// bytes that value covers (empty when the line carries none).
struct JournalLine {
    QStringList fields; // the timestamp first
    QByteArray check;
    QByteArray chain;
    QByteArray body;
};

// A whole line (`bytes` without its CR LF), or nothing when it cannot be proven whole: its
// check fails, or its chain field is cut short or garbled. A line an editor re-saved as
// UTF-8 still proves whole.
std::optional<JournalLine> readJournalLine(QByteArrayView bytes);
// The timestamp and fields of a whole line.
std::optional<QStringList> parseJournalLine(QByteArrayView bytes);
