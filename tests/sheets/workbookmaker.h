#pragma once

#include "zipmaker.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// An .xlsx as Excel writes it: [Content_Types].xml, the package and workbook
// relationships, docProps, a theme, styles with the usual number formats, the shared
// string table and the sheets. Cells are given per row; a shared string is registered
// the first time it is used.
class WorkbookMaker {
public:
    // Cell styles (indexes into cellXfs) the styles part defines.
    enum Style {
        General = 0,
        DateBuiltIn = 1, // numFmtId 14: shown as 2024/1/15 by a Chinese Excel
        DateChinese = 2, // yyyy"年"m"月"d"日"
        SixDigits = 3,   // 000000
        TimeBuiltIn = 4, // numFmtId 20: h:mm
        MonthDay = 5,    // numFmtId 58: m"月"d"日"
        TwoDecimals = 6, // numFmtId 2: 0.00
    };

    struct Cell {
        // UnsavedFormula: a formula without its result, as libraries that do not calculate
        // write one.
        enum Kind { Shared, Inline, Number, Boolean, FormulaText, Error, Empty, UnsavedFormula };
        QString ref; // empty: written without r=""
        Kind kind = Shared;
        QString value;
        int style = General;
    };
    static Cell text(const QString &ref, const QString &value)
    {
        return {ref, Cell::Shared, value};
    }
    static Cell inlineText(const QString &ref, const QString &value)
    {
        return {ref, Cell::Inline, value};
    }
    static Cell number(const QString &ref, const QString &value, int style = General)
    {
        return {ref, Cell::Number, value, style};
    }

    struct Row {
        int number = 0; // 0: written without r=""
        QList<Cell> cells;
        bool hidden = false;
    };

    struct Sheet {
        QString name;
        QList<Row> rows;
        QStringList merges; // "C2:C4"
        bool hidden = false;
        QString autoFilter = {}; // "A1:C9": the range a filter works on
    };

    // Prefixes every element of the sheets and the shared strings ("x:"), as the Open XML
    // SDK writes them.
    QString prefix;
    bool date1904 = false;
    int activeSheet = 0;
    ZipMaker::Options zipOptions;
    // An extra worksheet relationship file name scheme: "worksheets/sheet1.xml" as Excel,
    // or absolute targets ("/xl/worksheets/sheet1.xml") as some libraries write them.
    bool absoluteTargets = false;

    void addSheet(const Sheet &sheet) { sheets_.append(sheet); }
    QByteArray bytes();
    bool save(const QString &path);

    // Rows of shared strings from a table of texts; "" is an empty cell, left out.
    static QList<Row> rowsOf(const QList<QStringList> &table);

private:
    int sharedIndex(const QString &text);
    QByteArray sheetXml(const Sheet &sheet);

    QList<Sheet> sheets_;
    QStringList shared_;
    QHash<QString, int> sharedIndex_;
    int sharedUses_ = 0;
};

// A staff list of one row per name, 工号 (100001 on), 姓名 and 部门 (20 departments in
// turn), under a header row, written a megabyte of XML at a time as Excel lays it out;
// answers the workbook's unpacked size, 0 when the file cannot be written.
qint64 writeStaffWorkbook(const QString &path, const QStringList &names);
// The department writeStaffWorkbook gives row `index` (from 0).
QString staffDepartment(qsizetype index);

// The fewest parts a reader needs around `sheet` (the bytes of xl/worksheets/sheet1.xml)
// and `strings` (of xl/sharedStrings.xml), packed correctly: a test or a fuzzer works on
// the XML, not on CRCs.
QByteArray workbookAround(const QByteArray &sheet, const QByteArray &strings);

// "A", "B", …, "AA" for column 0, 1, …, 26.
QString columnLetters(int column);
// Text escaped for XML.
QString xmlEscaped(const QString &text);
