#pragma once

#include <QString>

// The number at the start of a line: blanks, tabs and line feeds are dropped first,
// then a decimal number (sign, digits, point, exponent) or an &H / &O integer is read
// up to the first character that cannot continue it. No number gives 0.
double numericValue(const QString &line);

// The numeric value as the settings window shows it: a whole value without a point.
QString displayNumber(const QString &line);

// The display number rounded to a 32-bit quota, half-way values to the even
// neighbour; values beyond the 32-bit range are clamped to it.
qint32 quotaValue(const QString &line);
