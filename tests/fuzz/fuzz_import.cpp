#include "candidatefile.h"
#include "fuzzcheck.h"
#include "importnames.h"
#include "listsource.h"
#include "workbookmaker.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {

// Whatever the file, what it gives must be names cjk.txt can hold: each on one line, with
// no space at either end, and read back by the draw's own reader as they are.
void checkNames(const SheetTable &table)
{
    for (int column : table.columns()) {
        for (qsizetype row = 0; row < table.rowCount(); ++row) {
            const QStringView text = table.cell(row, column);
            require(text == text.trimmed(), "cells are trimmed", text.toString());
            for (QChar c : text)
                require(c != u'\r' && c != u'\n', "no line break in a cell", text.toString());
        }
    }
    const ImportedNames names = importNames(table, suggestColumns(table));
    const QStringList list = names.names.toStringList();
    require(parseCandidateNames(importedListBytes(names.names)) == list,
            "cjk.txt reads back as the names", QString::number(list.size()));
}

} // namespace

// The first byte picks what the rest is: the bytes of a file to import (a delimited text,
// or a ZIP to read as a workbook), or the XML of a sheet, or of a shared string table, in a
// workbook packed around it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    static QTemporaryDir directory;
    const QByteArray rest(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    QByteArray file;
    switch (data[0] % 3) {
    case 0:
        file = rest;
        break;
    case 1:
        file = workbookAround(
            rest, "<sst><si><t>张三</t></si><si><r><t>李</t></r><r><t>四</t></r></si></sst>");
        break;
    default:
        file = workbookAround("<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
                              "<c r=\"B1\" t=\"s\"><v>1</v></c></row></sheetData></worksheet>",
                              rest);
        break;
    }
    const QString path = directory.filePath(QStringLiteral("input"));
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
            return 0;
    }
    ReadFailure failure;
    const OpenedList opened = openList(path, {}, failure);
    require(opened.source ? failure.ok() : !failure.ok(), "a list or a failure");
    if (opened.source)
        checkNames(opened.table);
    else
        require(!listSourceFailureText(path, failure).isEmpty(), "a failure has its message");
    return 0;
}
