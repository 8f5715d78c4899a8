#pragma once

// A number format code taken apart: its first section and its tokens (years, months,
// minutes, literals…), as a date or time is shown from them.

#include <QString>
#include <QStringView>

#include <vector>

namespace formatcode {

enum class TokenType {
    Literal,
    Year,
    Month,
    Minute,
    Day,
    Hour,
    Second,
    Fraction,
    AmPm,
    ElapsedHours,
    ElapsedMinutes,
    ElapsedSeconds
};

struct Token {
    TokenType type;
    int count = 0;
    QString text; // a literal, or the AM/PM pair's pattern
};

// The first section of a format code, split at ';' outside quotes.
QString firstSection(const QString &code);
// The tokens of a format section; "m" is a minute right after an hour or right before a
// second, a month elsewhere.
std::vector<Token> tokenize(QStringView code);

} // namespace formatcode
