#pragma once

// Journals of real draws taken apart and put back together, as a cheat would.

#include "drawverifier.h"
#include "form1.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

inline const QString JournalName = QStringLiteral("抽奖日志.txt");
inline const QString ListName = QStringLiteral("cjk.txt");

// One press to start, one tick, one press to stop.
void drawOne(Form1 &window);
// The journal's lines without their CR LF; the last one holds what follows the last CR LF.
QList<QByteArray> splitJournal(const QByteArray &bytes);
QByteArray joinJournal(const QList<QByteArray> &lines);
// The line of `event` (and of that name, for a winner), counted from 0.
qsizetype lineOf(const QList<QByteArray> &lines, const QString &event, const QString &name = {});
// The line with other fields and its own check made to fit them, its chain value as it was.
QByteArray withFields(const QByteArray &bytes, const std::function<void(QStringList &)> &change);
// What a forger with the program's source does after a change: every chain value worked
// out again, so the chain holds, up to a head of its own.
void rechain(QList<QByteArray> &lines);
// What a verification must say: the exit status, the kind of the first fault (-1 for none)
// and its line (0 for none or the journal as a whole); a failed verdict says so in words.
void expect(const Verification &verified, int status, int kind, qsizetype line);
