#include "cellformat.h"

#include "formatcode.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <vector>

using formatcode::firstSection;
using formatcode::Token;
using formatcode::tokenize;
using formatcode::TokenType;

namespace {

// The date and time formats among the built-in ones, as a Chinese Excel shows them.
QString builtInDateCode(int id)
{
    switch (id) {
    case 14:
        return QStringLiteral("yyyy/m/d");
    case 15:
        return QStringLiteral("d-mmm-yy");
    case 16:
        return QStringLiteral("d-mmm");
    case 17:
        return QStringLiteral("mmm-yy");
    case 18:
        return QStringLiteral("h:mm AM/PM");
    case 19:
        return QStringLiteral("h:mm:ss AM/PM");
    case 20:
        return QStringLiteral("h:mm");
    case 21:
        return QStringLiteral("h:mm:ss");
    case 22:
        return QStringLiteral("yyyy/m/d h:mm");
    case 27:
    case 36:
    case 50:
    case 52:
    case 57:
        return QStringLiteral("yyyy\"年\"m\"月\"");
    case 28:
    case 29:
    case 51:
    case 53:
    case 54:
    case 58:
        return QStringLiteral("m\"月\"d\"日\"");
    case 30:
        return QStringLiteral("m-d-yy");
    case 31:
        return QStringLiteral("yyyy\"年\"m\"月\"d\"日\"");
    case 32:
        return QStringLiteral("h\"时\"mm\"分\"");
    case 33:
        return QStringLiteral("h\"时\"mm\"分\"ss\"秒\"");
    case 34:
    case 55:
        return QStringLiteral("上午/下午h\"时\"mm\"分\"");
    case 35:
    case 56:
        return QStringLiteral("上午/下午h\"时\"mm\"分\"ss\"秒\"");
    case 45:
        return QStringLiteral("mm:ss");
    case 46:
        return QStringLiteral("[h]:mm:ss");
    case 47:
        return QStringLiteral("mm:ss.0");
    default:
        return {};
    }
}

QString padded(qint64 value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 10, QLatin1Char('0'));
}

const char16_t *const ChineseDigits[] = {u"日", u"一", u"二", u"三", u"四",   u"五",  u"六",
                                         u"七", u"八", u"九", u"十", u"十一", u"十二"};

} // namespace

QString generalNumber(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15).toUpper();
}

CellFormat CellFormat::builtIn(int id)
{
    CellFormat format;
    if (const QString date = builtInDateCode(id); !date.isEmpty()) {
        format.kind_ = Kind::Date;
        format.code_ = date;
    } else if (id == 1 || id == 2) {
        format.kind_ = Kind::Fixed;
        format.decimals_ = id == 2 ? 2 : 0;
    }
    return format;
}

CellFormat CellFormat::fromCode(const QString &code)
{
    CellFormat format;
    const QString section = firstSection(code);
    if (section.compare(u"General", Qt::CaseInsensitive) == 0 || section == u"@")
        return format;
    for (const Token &token : tokenize(section)) {
        if (token.type != TokenType::Literal) {
            format.kind_ = Kind::Date;
            format.code_ = section;
            return format;
        }
    }
    // Digits only: "0", "000000", "0.00".
    QString bare;
    for (const Token &token : tokenize(section))
        bare += token.text;
    const qsizetype point = bare.indexOf(u'.');
    const QString whole = point < 0 ? bare : bare.left(point);
    const QString fraction = point < 0 ? QString() : bare.mid(point + 1);
    const auto zeros = [](const QString &s) { return s.count(u'0') == s.size(); };
    if (!whole.isEmpty() && zeros(whole) && zeros(fraction) && (point < 0 || !fraction.isEmpty())) {
        format.kind_ = Kind::Fixed;
        format.integerDigits_ = int(whole.size());
        format.decimals_ = int(fraction.size());
    }
    return format;
}

QString CellFormat::show(QStringView value, bool date1904) const
{
    bool ok = false;
    const double number = QLocale::c().toDouble(value.trimmed(), &ok);
    if (!ok)
        return value.toString();
    switch (kind_) {
    case Kind::General:
        return generalNumber(number);
    case Kind::Fixed: {
        QString text = QString::number(std::fabs(number), 'f', decimals_);
        const qsizetype point = text.indexOf(u'.');
        const qsizetype whole = point < 0 ? text.size() : point;
        if (whole < integerDigits_)
            text.prepend(QString(integerDigits_ - whole, u'0'));
        const bool zero =
            std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u'0' || c == u'.'; });
        return number < 0 && !zero ? u'-' + text : text;
    }
    case Kind::Date:
        return showDate(number, date1904);
    }
    return value.toString();
}

QString CellFormat::showDate(double serial, bool date1904) const
{
    if (serial < 0 || serial > 2958465.0) // before the epoch or after 9999-12-31: not a date
        return generalNumber(serial);
    const std::vector<Token> tokens = tokenize(code_);
    int fractionDigits = 0;
    bool twelveHour = false;
    for (const Token &token : tokens) {
        if (token.type == TokenType::Fraction)
            fractionDigits = std::max(fractionDigits, token.count);
        twelveHour = twelveHour || token.type == TokenType::AmPm;
    }
    // Rounded to what the format shows: whole seconds, or tenths, hundredths….
    const double unitsPerSecond = std::pow(10.0, std::min(fractionDigits, 3));
    qint64 days = qint64(std::floor(serial));
    qint64 units = std::llround((serial - double(days)) * 86400.0 * unitsPerSecond);
    if (units >= qint64(86400 * unitsPerSecond)) {
        ++days;
        units = 0;
    }
    const qint64 seconds = units / qint64(unitsPerSecond);
    const qint64 subsecond = units % qint64(unitsPerSecond);

    int year = 0, month = 0, day = 0, weekday = 0;
    if (!date1904 && days == 60) {
        year = 1900, month = 2, day = 29, weekday = 3; // the leap day Excel counts in 1900
    } else if (!date1904 && days == 0) {
        year = 1900, month = 1, day = 0, weekday = 6;
    } else {
        const QDate base =
            date1904 ? QDate(1904, 1, 1) : (days < 60 ? QDate(1899, 12, 31) : QDate(1899, 12, 30));
        const QDate date = base.addDays(days);
        year = date.year(), month = date.month(), day = date.day(), weekday = date.dayOfWeek() % 7;
    }
    const qint64 hour = seconds / 3600;
    const qint64 minute = seconds / 60 % 60;
    const qint64 second = seconds % 60;

    QString text;
    for (const Token &token : tokens) {
        switch (token.type) {
        case TokenType::Literal:
            text += token.text;
            break;
        case TokenType::Year:
            text += token.count <= 2 ? padded(year % 100, 2) : padded(year, 4);
            break;
        case TokenType::Month:
            if (token.count <= 2)
                text += padded(month, token.count);
            else if (token.count == 3)
                text += QString::number(month) + u'月';
            else if (token.count == 4)
                text += QString::fromUtf16(ChineseDigits[month]) + u'月';
            else
                text += QString::fromUtf16(ChineseDigits[month]);
            break;
        case TokenType::Minute:
            text += padded(minute, std::min(token.count, 2));
            break;
        case TokenType::Day:
            if (token.count <= 2)
                text += padded(day, token.count);
            else if (token.count == 3)
                text += QStringLiteral("周") + QString::fromUtf16(ChineseDigits[weekday]);
            else
                text += QStringLiteral("星期") + QString::fromUtf16(ChineseDigits[weekday]);
            break;
        case TokenType::Hour: {
            qint64 shown = hour;
            if (twelveHour)
                shown = hour % 12 == 0 ? 12 : hour % 12;
            text += padded(shown, std::min(token.count, 2));
            break;
        }
        case TokenType::Second:
            text += padded(second, std::min(token.count, 2));
            break;
        case TokenType::Fraction:
            text += u'.' + padded(subsecond, std::min(fractionDigits, 3)).left(token.count);
            break;
        case TokenType::AmPm:
            if (token.text == u"A/P")
                text += hour < 12 ? u'A' : u'P';
            else if (token.text == u"AM/PM")
                text += hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            else
                text += hour < 12 ? QStringLiteral("上午") : QStringLiteral("下午");
            break;
        case TokenType::ElapsedHours:
            text += padded(days * 24 + hour, token.count);
            break;
        case TokenType::ElapsedMinutes:
            text += padded((days * 24 + hour) * 60 + minute, token.count);
            break;
        case TokenType::ElapsedSeconds:
            text += padded(((days * 24 + hour) * 60 + minute) * 60 + second, token.count);
            break;
        }
    }
    return text;
}
