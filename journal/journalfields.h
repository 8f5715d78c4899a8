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

// A winner's line: the log label, the name, the pool's size before and after the stop,
// and TypedField when the name was the operator's text, not an entry of the pool.
QStringList winnerJournalFields(PrizeTier tier, const QString &name, qsizetype poolBefore,
                                qsizetype poolAfter, bool typed);
