#pragma once

// Journals as the program writes them, for the reader's and the writer's tests.

#include "journalline.h"
#include "journalreader.h"

#include <QString>
#include <QStringList>

inline const QString Stamp = u"2026-12-07 20:00:00"_qs;

// A journal as the program writes it, from lines given as tab-separated fields. A line
// marked with a leading "!" is cut short in the middle, as a full disk leaves it, and the
// next line starts on a line of its own.
inline QByteArray journalOf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        if (line.startsWith(u'!')) {
            const QByteArray whole = journalLineBytes(Stamp, line.mid(1).split(u'\t'));
            bytes += whole.left(whole.size() / 2) + "\r\n";
        } else {
            bytes += journalLineBytes(Stamp, line.split(u'\t'));
        }
    }
    return bytes;
}

// What a void names a winner's line by.
inline QString checkOf(const QString &line)
{
    return QString::fromLatin1(journalLineCheck(Stamp, line.split(u'\t')));
}

inline QStringList winnersOf(const InterruptedDraw &draw)
{
    QStringList found;
    for (const JournalWinner &winner : draw.winners)
        found << winner.logLabel + winner.name;
    return found;
}

inline const QStringList Start{u"程序启动"_qs, u"开始抽奖\t标题=x\tSHA-256=ab12"_qs};
inline const QString Anna = u"中奖\t3等奖:\tAnna\t抽前=3\t抽后=2"_qs;
inline const QString Bob = u"中奖\t特等奖:\tBob\\tby\\\\\t抽前=2\t抽后=1"_qs;
inline const QString Carl = u"中奖\t1等奖:\t孙八\t抽前=1\t抽后=0"_qs;
