#pragma once

#include "duplicatenames.h"
#include "fileresult.h"
#include "namelist.h"
#include "sheettable.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Which cells of a sheet become the names of cjk.txt: one column, or two joined as the
// README recommends for telling people apart ("张三（销售部）"), from `firstRow` on (the
// rows above it are the header and any title over it).
struct ImportColumns {
    int name = -1;
    int detail = -1; // none when negative
    qsizetype firstRow = 0;
};

// The names a choice gives, in the order of the rows, with what the operator is told
// about them.
struct ImportedNames {
    NameList names;
    qsizetype emptyRows = 0;         // rows from firstRow to the last row whose name cell is empty
    QList<DuplicateName> duplicates; // line numbers count the names, from 1
};

ImportedNames importNames(const SheetTable &table, const ImportColumns &columns);

// "张三" and "销售部" give "张三（销售部）"; an empty detail gives the name alone.
QString joinedName(QStringView name, QStringView detail);

// A column title such as 姓名, 部门, 工号, Name (spaces, colons and letter case aside).
bool isHeaderWord(QStringView text);

// The header row of a sheet for that choice: among the first rows that hold a text, the
// first whose name cell (or detail cell) is a column title. Nothing when none is.
std::optional<qsizetype> recognisedHeaderRow(const SheetTable &table, int nameColumn,
                                             int detailColumn = -1);
// The first row that holds a text in any column, or nothing for an empty sheet.
std::optional<qsizetype> firstTextRow(const SheetTable &table);

// cjk.txt's bytes for these names: GB18030, every line ending in CR LF; or, for the rare
// list whose GB18030 bytes the reader would take for UTF-8, UTF-8 with a byte-order mark.
QByteArray importedListBytes(const NameList &names);

// Writes cjk.txt at `path` atomically. A file there already is first kept beside it as
// "cjk（导入前的名单，<date-time>）.txt" (`keptCopy` answers its path, or empty when there
// was none or it held these very bytes); when that copy cannot be written, cjk.txt is not
// touched either.
FileResult writeImportedList(const QString &path, const QByteArray &bytes, QString *keptCopy);

// The choice the import dialog starts with: the header the sheet has (the rows up to it
// left out), the column titled as a name (姓名, 名字, Name…) or else the first column that
// holds more than numbers, and beside it the column titled as a department (部门, 单位,
// Department…) when there is one.
ImportColumns suggestColumns(const SheetTable &table);
