#pragma once

#include "prizetier.h"

#include <QString>
#include <QStringList>

#include <array>

// Voiding a winner who is not there: what the operator is asked and told, and the
// journal lines that let a resume void them again.
QString voidQuestionText(PrizeTier tier, const QString &name);
QString voidWhileRollingText();
QString voidOnEmptyLineText();

// 作废, the log label, the name, the winner's place in the draw (1 is the first winner
// since the start or reset, voided ones included) and the four counters the void leaves,
// from the counters before it.
QStringList voidJournalFields(PrizeTier tier, const QString &name, qsizetype place,
                              std::array<qint32, 4> drawnCount);

inline const QString VoidPlaceKey = QStringLiteral("序号=");
inline const QString ResumedVoidsKey = QStringLiteral("作废=");
