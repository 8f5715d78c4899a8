#pragma once

#include <QString>
#include <QStringView>

// How a spreadsheet shows a number cell, for the kinds of cell a name list holds: an ID or
// a phone number as the digits typed (10023, never 10023.0), a number with a fixed count
// of digits (000123, 12.50), and a date or a time as its format shows it (2024/1/15,
// 2024年1月15日, 9:30). Other formats (currency, percent, fractions) show the number as
// the General format of a Chinese Excel does, at full precision.
class CellFormat {
public:
    enum class Kind { General, Fixed, Date };

    CellFormat() = default;
    // A built-in format number (0–163) as a Chinese Excel shows it, or a format code.
    static CellFormat builtIn(int id);
    static CellFormat fromCode(const QString &code);

    Kind kind() const { return kind_; }
    // `value` is the cell's stored text (as in <v>); dates count days from 1899-12-30, or
    // from 1904-01-01 in a workbook of the 1904 date system.
    QString show(QStringView value, bool date1904 = false) const;

private:
    QString showDate(double serial, bool date1904) const;

    Kind kind_ = Kind::General;
    QString code_; // the first section of a date format
    int integerDigits_ = 1;
    int decimals_ = 0;
};

// A number as the General format shows it in full: integers as their digits, others in
// the fewest digits that give the number back to 15 significant digits.
QString generalNumber(double value);
