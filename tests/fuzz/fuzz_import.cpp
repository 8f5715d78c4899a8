#include "candidatefile.h"
#include "fuzzcheck.h"
#include "importnames.h"
#include "listsource.h"
#include "workbookmaker.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

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

// A text read a few bytes at a time gives the table it gives read whole: a record, a quoted
// field, a CR LF or a character may be cut anywhere between two pieces.
void checkSmallPieces(const QString &path, const SheetTable &whole, qsizetype piece)
{
    ReadFailure failure;
    const std::unique_ptr<ListSource> source = openListSource(path, {}, failure, piece);
    require(source != nullptr && failure.ok(), "a text opens in small pieces too");
    const SheetTable table = source->readSheet(0, {}, failure);
    require(failure.ok(), "a text reads in small pieces too");
    require(table.rowCount() == whole.rowCount() && table.columns() == whole.columns(),
            "the same rows and columns in small pieces", QString::number(table.rowCount()));
    for (int column : whole.columns())
        for (qsizetype row = 0; row < whole.rowCount(); ++row)
            require(table.cell(row, column) == whole.cell(row, column),
                    "the same cells in small pieces", whole.cell(row, column).toString());
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
    if (opened.source) {
        checkNames(opened.table);
        if (data[0] % 3 == 0 && !opened.source->isWorkbook())
            checkSmallPieces(path, opened.table, 1 + data[0] / 3 % 16);
    } else
        require(!listSourceFailureText(path, failure).isEmpty(), "a failure has its message");
    return 0;
}
