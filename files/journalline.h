#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// One line of the draw journal: the timestamp, the fields, and last a check field with
// the first eight hex digits of the SHA-256 of the line's other bytes, then CR LF. A line
// that a power cut left unfinished, or one an editor or a bad sector changed, fails the
// check and is told apart from a whole one.
QByteArray journalLineBytes(const QString &stamp, const QStringList &fields);
// The check alone: what a later line names this one by.
QByteArray journalLineCheck(const QString &stamp, const QStringList &fields);

// The timestamp and fields of a whole line (`bytes` without its CR LF), or nothing when
// the line cannot be proven whole. A line an editor re-saved as UTF-8 still proves whole.
std::optional<QStringList> parseJournalLine(QByteArrayView bytes);
