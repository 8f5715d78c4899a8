#pragma once

#include "fileresult.h"
#include "importednames.h"
#include "namelist.h"
#include "sheetlayout.h"
#include "sheettable.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The names a choice gives, in the order of the rows, with what the operator is told
// about them.
struct ImportedNames {
    ImportedNameList names;
    qsizetype emptyRows = 0;       // rows from firstRow to the last row whose name cell is empty
    qsizetype hiddenRows = 0;      // rows with a name left out because they are hidden
    qsizetype errorNames = 0;      // name cells holding an error value (#N/A…), left out
    qsizetype errorDetails = 0;    // detail cells holding one: the name goes without it
    qsizetype titles = 0;          // name cells that are a column title (姓名), left out
    ImportedDuplicates duplicates; // line numbers count the names, from 1
};

ImportedNames importNames(const SheetTable &table, const ImportColumns &columns);

// "张三" and "销售部" give "张三（销售部）"; an empty detail gives the name alone.
QString joinedName(QStringView name, QStringView detail);

// A spreadsheet's error value as a cell shows it: #N/A, #REF!, #VALUE!, #DIV/0!, #NAME?,
// #NULL!, #NUM! and the newer ones of Excel, or LibreOffice's "Err:502". A formula whose
// lookup failed shows one; it is never a name.
bool isErrorValue(QStringView text);

// cjk.txt's bytes for these names: GB18030, every line ending in CR LF; or, for the rare
// list whose GB18030 bytes the reader would take for UTF-8, UTF-8 with a byte-order mark.
QByteArray importedListBytes(const ImportedNameList &names);
QByteArray importedListBytes(const NameList &names);

// Writes cjk.txt at `path` atomically. A file there already is first kept beside it as
// "cjk（导入前的名单，<date-time>）.txt" (`keptCopy` answers its path, or empty when there
// was none or it held these very bytes); when that copy cannot be written, cjk.txt is not
// touched either.
FileResult writeImportedList(const QString &path, const QByteArray &bytes, QString *keptCopy);
