#include "numericconversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr double LargestDouble = std::numeric_limits<double>::max();

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int digitValue(QChar c, int radix)
{
    const char16_t u = c.unicode();
    int value = radix;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < radix ? value : -1;
}

double finite(double value)
{
    if (std::isinf(value))
        return std::copysign(LargestDouble, value);
    return value == 0 ? 0.0 : value; // never -0
}

// Reads the digits after &H or &O; a line of many digits grows past the double range.
double radixValue(const QString &text, qsizetype pos, int radix)
{
    double value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = digitValue(text.at(pos), radix);
        if (digit < 0)
            break;
        value = value * radix + digit;
    }
    return finite(value);
}

struct DecimalParts {
    std::string integer;
    std::string fraction;
    long long exponent = 0;
    bool negative = false;
};

qsizetype readDigits(const QString &text, qsizetype pos, std::string &digits)
{
    for (; pos < text.size() && isDigit(text.at(pos)); ++pos)
        digits += char(text.at(pos).unicode());
    return pos;
}

// The exponent is kept within a range that no double reaches, so that any number of
// exponent digits reads without overflow.
qsizetype readExponent(const QString &text, qsizetype pos, long long &exponent)
{
    qsizetype p = pos + 1;
    bool negative = false;
    if (p < text.size() && (text.at(p) == u'+' || text.at(p) == u'-'))
        negative = text.at(p++) == u'-';
    if (p >= text.size() || !isDigit(text.at(p)))
        return pos; // "1e" is the number 1 followed by a letter
    long long value = 0;
    for (; p < text.size() && isDigit(text.at(p)); ++p)
        value = std::min(value * 10 + (text.at(p).unicode() - u'0'), 100'000'000LL);
    exponent = negative ? -value : value;
    return p;
}

// The power of ten of the leading significant digit, for telling overflow from
// underflow when the value is out of range.
long long magnitude(const DecimalParts &parts)
{
    const auto firstNonZero = parts.integer.find_first_not_of('0');
    if (firstNonZero != std::string::npos)
        return static_cast<long long>(parts.integer.size() - firstNonZero) - 1 + parts.exponent;
    const auto firstInFraction = parts.fraction.find_first_not_of('0');
    return -static_cast<long long>(firstInFraction) - 1 + parts.exponent;
}

double decimalValue(const QString &text)
{
    DecimalParts parts;
    qsizetype pos = 0;
    if (pos < text.size() && (text.at(pos) == u'+' || text.at(pos) == u'-'))
        parts.negative = text.at(pos++) == u'-';
    pos = readDigits(text, pos, parts.integer);
    if (pos < text.size() && text.at(pos) == u'.')
        pos = readDigits(text, pos + 1, parts.fraction);
    if (parts.integer.empty() && parts.fraction.empty())
        return 0;
    if (pos < text.size() && (text.at(pos) == u'e' || text.at(pos) == u'E'))
        readExponent(text, pos, parts.exponent);

    const std::string number = (parts.integer.empty() ? "0" : parts.integer) + '.' +
                               parts.fraction + 'e' + std::to_string(parts.exponent);
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = magnitude(parts) > 0 ? LargestDouble : 0.0;
    return finite(parts.negative ? -value : value);
}

// Round to nearest, a value exactly half-way to the even neighbour.
double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double difference = value - lower;
    if (difference < 0.5)
        return lower;
    if (difference > 0.5)
        return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

} // namespace

double numericValue(const QString &line)
{
    QString text = line;
    text.removeIf([](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; });
    if (text.size() >= 2 && text.at(0) == u'&') {
        const QChar prefix = text.at(1).toUpper();
        if (prefix == u'H')
            return radixValue(text, 2, 16);
        if (prefix == u'O')
            return radixValue(text, 2, 8);
    }
    return decimalValue(text);
}

QString displayNumber(const QString &line)
{
    return QString::number(numericValue(line), 'G', 15);
}

qint32 quotaValue(const QString &line)
{
    const double rounded = roundHalfEven(numericValue(displayNumber(line)));
    if (rounded >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (rounded <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(rounded);
}
