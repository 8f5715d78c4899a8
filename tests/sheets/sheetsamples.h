#pragma once

// Sheets and texts shared by the readers' tests, and the scratch folder they are written to.

#include "sheettable.h"
#include "testfiles.h"
#include "workbookmaker.h"

#include <QDir>
#include <QMetaType>
#include <QStringList>
#include <QTemporaryDir>

using Cell = WorkbookMaker::Cell;
using Row = WorkbookMaker::Row;
using Sheet = WorkbookMaker::Sheet;

inline QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

inline QByteArray utf16be(const QString &text)
{
    QByteArray bytes("\xFE\xFF", 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return bytes;
}

// The table's rows, each its cells from column A joined by '|', a hidden row marked.
inline QStringList rowsOf(const SheetTable &table)
{
    const QList<int> columns = table.columns();
    const int width = columns.isEmpty() ? 0 : columns.last() + 1;
    QStringList rows;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < width; ++column)
            cells.append(table.cell(row, column).toString());
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        rows.append(cells.join(u'|') + (table.isRowHidden(row) ? "（隐藏）" : ""));
    }
    return rows;
}

inline Cell c(const QString &ref, Cell::Kind kind, const QString &value,
              int style = WorkbookMaker::General)
{
    return {ref, kind, value, style};
}

// A staff list as an HR department keeps it: 工号 (numbers), 姓名, 部门 with the
// department merged down over its people, an empty row between two teams, one person
// entered twice.
inline QByteArray staffWorkbook()
{
    WorkbookMaker book;
    Sheet sheet{QStringLiteral("员工名单"), {}, {QStringLiteral("C3:C4")}};
    sheet.rows = {
        {1,
         {WorkbookMaker::text("A1", "工号"), WorkbookMaker::text("B1", "姓名"),
          WorkbookMaker::text("C1", "部门")}},
        {2,
         {WorkbookMaker::number("A2", "10023"), WorkbookMaker::text("B2", "张三"),
          WorkbookMaker::text("C2", "销售部")}},
        {3,
         {WorkbookMaker::number("A3", "10024"), WorkbookMaker::text("B3", "李四"),
          WorkbookMaker::text("C3", "财务部")}},
        {4,
         {WorkbookMaker::number("A4", "10025"), WorkbookMaker::text("B4", "王伟"),
          c("C4", Cell::Empty, {})}},
        {6,
         {WorkbookMaker::number("A6", "10026"), WorkbookMaker::text("B6", "王伟"),
          WorkbookMaker::text("C6", "技术部")}},
        {7,
         {WorkbookMaker::number("A7", "10027"), WorkbookMaker::text("B7", "张三"),
          WorkbookMaker::text("C7", "销售部")}},
    };
    book.addSheet(sheet);
    return book.bytes();
}

struct Expected {
    QString sheet;
    int name;
    int detail;
    bool header;
    QStringList names;
    qsizetype emptyRows;
    QStringList duplicates;
};

Q_DECLARE_METATYPE(Expected)

// Writes `bytes` as `name` in `dir`; a test that cannot write its own file cannot go on.
inline QString writeInto(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir::toNativeSeparators(dir.filePath(name));
    if (!writeBytes(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
