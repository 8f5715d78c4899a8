#pragma once

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// Writes ZIP files entry by entry, as spreadsheet programs do: deflated (or stored), the
// sizes in the local header patched once the entry is written, or in a data descriptor
// after it (as streaming writers such as Apache POI do). An entry's bytes may be written a
// piece at a time, so a sheet of a million rows never stands whole in memory.
struct ZipEntryOptions {
    bool deflated = true;
    bool dataDescriptor = false;
    quint16 extraFlags = 0; // e.g. 1: "encrypted"
};

class ZipMaker {
public:
    using Options = ZipEntryOptions;

    explicit ZipMaker(QIODevice &out);
    ~ZipMaker();

    void begin(const QString &name, Options options);
    void begin(const QString &name) { begin(name, Options{}); }
    void write(const QByteArray &bytes);
    void end();
    void add(const QString &name, const QByteArray &bytes, Options options = {});
    // An entry whose directory says what `declaredSize` says, with `deflated` as its data:
    // for the lies of a ZIP bomb.
    void addRaw(const QString &name, const QByteArray &deflated, quint32 crc, qint64 declaredSize);
    // The central directory and its end record.
    void finish();

private:
    struct Entry;
    void writeLocalHeader(Entry &entry);
    QIODevice &out_;
    QList<Entry *> entries_;
    Entry *open_ = nullptr;
    struct Deflater;
    std::unique_ptr<Deflater> deflater_;
};

// Raw deflate of `bytes` (no zlib header), as inside a ZIP.
QByteArray rawDeflate(const QByteArray &bytes);
quint32 crc32Of(const QByteArray &bytes);

// A deflate stream that inflates to `copies` × `block` bytes, made without inflating it:
// one block compressed and flushed, repeated. For ZIP bombs.
QByteArray repeatedDeflate(const QByteArray &block, qint64 copies, quint32 *crc);

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
        enum Kind { Shared, Inline, Number, Boolean, FormulaText, Error, Empty };
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
    };

    struct Sheet {
        QString name;
        QList<Row> rows;
        QStringList merges; // "C2:C4"
        bool hidden = false;
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
