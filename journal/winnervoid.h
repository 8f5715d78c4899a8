#pragma once

#include "prizetier.h"

#include <QString>
#include <QStringList>

#include <array>

// Voiding a winner who is not there: what the operator is asked and told, and the
// journal lines that let a resume void them again.
QString voidQuestionText(PrizeTier tier, const QString &name);
// A stop on text the operator put into the display asks first: text that is no entry of
// the pool (typed, edited or cut short), and a name of the list put there by hand, which
// the roll did not draw.
QString unlistedStopText(PrizeTier tier, const QString &text);
QString editedStopText(PrizeTier tier, const QString &text);
QString voidWhileRollingText();
QString voidOnEmptyLineText();

// 作废, the log label, the name, the check of the winner's own journal line and the four
// counters the void leaves, from the counters before it. The check names that line
// whatever lines before it are lost, where a place in the draw would shift.
QStringList voidJournalFields(PrizeTier tier, const QString &name, const QString &winnerLine,
                              std::array<qint32, 4> drawnCount);

inline const QString VoidWinnerLineKey = QStringLiteral("中奖行=");
// Written by earlier versions: the winner's place in the draw, 1 for its first winner.
inline const QString VoidPlaceKey = QStringLiteral("序号=");
inline const QString ResumedVoidsKey = QStringLiteral("作废=");
// On a resume's line: the short chain codes of its winners' lines as they were drawn.
inline const QString ResumedCodesKey = QStringLiteral("链码=");
