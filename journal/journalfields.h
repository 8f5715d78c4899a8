#pragma once

#include "candidatefile.h"
#include "prizetier.h"

#include <QString>
#include <QStringList>

#include <array>

// The fields of a draw's start (开始抽奖, or 初始化 after a reset): the title, the quotas,
// the list's path, its number of names, its SHA-256, every name that stands twice with its
// lines (for a long listing: how many, on how many lines, and its SHA-256), and how many
// names were read without invisible characters.
// Its last field. A start without it was written by an earlier version, which read every
// name with its invisible characters.
inline const QString InvisibleCharactersKey = QStringLiteral("不可见字符=");

QStringList drawStartJournalFields(const QString &event, const QString &title,
                                   const std::array<qint32, 4> &quotas, const QString &listPath,
                                   const CandidatePool &list);

// Where a winner stands among the winners of one press: the second of five is {2, 5}. A
// press of one has none.
struct PressPlace {
    qsizetype position = 0;
    qsizetype count = 0;
};
// Its field on a winner's line, "本次=2/5": a resume puts the press back together.
inline const QString PressPlaceKey = QStringLiteral("本次=");
// The place a winner line's field gives; none when `field` is not one.
PressPlace pressPlaceOf(const QString &field);

// A winner's line: the log label, the name, the pool's size before and after the stop,
// and TypedField when the name was the operator's text, not an entry of the pool, or its
// place in a press of several.
QStringList winnerJournalFields(PrizeTier tier, const QString &name, qsizetype poolBefore,
                                qsizetype poolAfter, bool typed, PressPlace press = {});
