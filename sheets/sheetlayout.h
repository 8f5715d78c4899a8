#pragma once

#include "sheettable.h"

#include <QString>
#include <QStringView>

#include <optional>

// Which cells of a sheet become the names of cjk.txt: one column, or two joined as the
// README recommends for telling people apart ("张三（销售部）"), from `firstRow` on (the
// rows above it are the header and whatever stands over it) up to `endRow` (the notes
// under the list: a count, a signature).
struct ImportColumns {
    int name = -1;
    int detail = -1; // none when negative
    qsizetype firstRow = 0;
    qsizetype endRow = -1;   // none when negative: to the last row
    bool hiddenRows = false; // rows hidden in the sheet or by a filter are taken in too
};

// A column title such as 姓名, 部门, 工号, Name (spaces, colons and letter case aside).
bool isHeaderWord(QStringView text);
// A title of the column of names (姓名, 员工姓名, Name…): a cell that no person is called.
bool isNameTitle(QStringView text);

// The header row, wherever it stands: among the first ten rows with text, the first with a
// column title in any column; below them, the first with the title of a names column or
// with two titles (a word such as 备注 alone there is more likely a note than a header).
std::optional<qsizetype> findHeaderRow(const SheetTable &table);
// The first row that holds a text in any column, or nothing for an empty sheet.
std::optional<qsizetype> firstTextRow(const SheetTable &table);

// Where the notes under the list begin, for that choice: counted from the bottom, rows that
// sum the list up ("共8人", "合计：120") and, after an empty row, up to three rows that look
// unlike the names above them (a signature with a date, a line in one column where the
// list fills several). Nothing when the list ends with a name.
std::optional<qsizetype> notesStart(const SheetTable &table, const ImportColumns &columns);

// The column whose text tells repeated names apart, for the name column and the rows of
// `columns`: none when no name repeats. A column titled as a department (部门, 单位…) that
// tells any of them apart comes first; else the column that tells most apart. A column
// whose values are all the same tells nothing and is never chosen.
int distinguishingColumn(const SheetTable &table, const ImportColumns &columns,
                         std::optional<qsizetype> header);

// The choice the import dialog starts with: the header the sheet has (the rows up to it
// left out), the column titled as a name (姓名, 名字, Name…) or else the first column that
// holds more than numbers, the notes under the list left out, hidden rows left out, and
// a column in brackets only when names repeat (distinguishingColumn).
ImportColumns suggestColumns(const SheetTable &table);

// How much a sheet looks like the list: whether its header titles a names column, and
// how many rows hold a text. The sheet chosen first is the one that has such a header,
// else the one with the most rows of text.
struct SheetWeight {
    bool nameHeader = false;
    qsizetype textRows = 0;
    bool outweighs(const SheetWeight &other) const
    {
        return nameHeader != other.nameHeader ? nameHeader : textRows > other.textRows;
    }
};
SheetWeight sheetWeight(const SheetTable &table);
