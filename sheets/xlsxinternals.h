#pragma once

// Inside the .xlsx reader: the package's parts and references, the rows parsed a block at
// a time, and the source itself.

#include "cellformat.h"
#include "listsource.h"
#include "ziparchive.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace xlsx {

// Excel's own limits; a reference beyond them is no sheet a program saved.
constexpr qsizetype MaxRows = 1'048'576;
constexpr int MaxColumns = 16'384;
// How often a long part reports its progress (and may be stopped), in elements.
constexpr int ProgressEvery = 8192;

struct Relationship {
    QString type;
    QString target; // a part name, resolved
};

QString directoryOf(const QString &part);
QString relationshipsOf(const QString &part);
// A relationship's target, relative to the part's folder unless it starts with '/'.
QString resolvePart(const QString &baseDirectory, const QString &target);
bool typeIs(const QString &type, QStringView kind);
// "B12" as column 1, row 11; nothing for a reference that is not one.
std::optional<std::pair<int, qsizetype>> parseReference(QStringView ref);
// Excel writes characters XML cannot hold as _xHHHH_ ("_x000D_" for a CR).
QString decodeEscapes(const QString &text);
QStringView localName(QStringView name);
// The text of a string item (<si>, <is>): its <t> elements, the runs' included, without
// the phonetic guides (<rPh>) that Japanese workbooks carry. The reader stands on the
// item's start and is left on its end.
QString readStringItem(QXmlStreamReader &xml);
ReadFailure fromZip(ZipArchive::Failure failure, const QString &detail);

// A sheet's rows are parsed a block at a time, several blocks at once on as many cores as
// the machine has: a block is whole rows, cut after a row's end tag, and parsed by a reader
// of its own. The blocks' cells are then put into the table in their order, one thread
// doing that, so a row without its number follows the row before it as in one reading.
constexpr qsizetype BlockBytes = qsizetype(1) << 20;
// Bytes without a row's end, or before <sheetData>, beyond which a sheet is no sheet.
constexpr qsizetype MaxUnbrokenBytes = qsizetype(64) << 20;

constexpr qint32 RowMark = -2; // a record that starts a row, not a cell
constexpr quint32 NoShared = 0xFFFFFFFF;
// A cell's `shared` for a formula saved without its result.
constexpr quint32 UnsavedFormula = 0xFFFFFFFE;
// A row mark's `shared`: the row is hidden.
constexpr quint32 HiddenRow = 1;

struct ParsedCell {
    qint32 row;     // the row's index, or -1: the row stands after the one before
    qint32 column;  // the column's index, -1: the next column, or RowMark
    quint32 shared; // a shared string's index, NoShared or UnsavedFormula; for a row, HiddenRow
    qint32 start;   // the cell's text in ParsedRows::texts, when not a shared string
    qint32 length;
};

struct ParsedRows {
    std::vector<ParsedCell> cells;
    QString texts;
    QString error;
};

struct CellContext {
    const QList<CellFormat> *styles;
    bool date1904;
    quint32 sharedCount;
};

// What a cell shows, for a cell that is no shared string.
QString cellDisplay(QStringView type, const QString &value, const QString &inlineText, int style,
                    const CellContext &context);
// Whole rows of a sheet, without the element around them: any prefix of the elements'
// names is read past, as a reader without namespaces sees them. Read quickly when they are
// plain (parseRowsQuickly), else by an XML reader.
ParsedRows parseRows(const QByteArray &rows, const CellContext &context);
// The plain rows every spreadsheet program writes, read from their bytes; nothing for
// anything else, which the XML reader then reads.
std::optional<ParsedRows> parseRowsQuickly(const QByteArray &rows, const CellContext &context);
// The same rows read by the XML reader, whatever they hold.
ParsedRows parseRowsWithReader(const QByteArray &rows, const CellContext &context);
// Where the last whole row of `bytes` ends: after its "</row>" (or "</x:row>"), or 0.
qsizetype afterLastRow(const QByteArray &bytes);

struct Sheet {
    QString name;
    QString part;
    bool hidden = false;
};

class XlsxSource : public ListSource {
public:
    XlsxSource(const QString &path, qint64 entryCap) : path_(path), zip_(path, entryCap) {}

    bool open(const ReadProgress &progress, ReadFailure &failure);

    QStringList sheetNames() const override
    {
        QStringList names;
        for (const Sheet &sheet : sheets_)
            names << sheet.name;
        return names;
    }
    bool isHidden(int sheet) const override { return sheets_.value(sheet).hidden; }
    int firstSheet() const override { return first_; }
    QString description() const override { return QStringLiteral("Excel 工作簿"); }
    SheetTable readSheet(int sheet, const ReadProgress &progress, ReadFailure &failure) override;

private:
    // A part read as XML: the device that inflates it and the reader over it.
    struct Part {
        std::unique_ptr<ZipArchive::EntryDevice> device;
        std::unique_ptr<QXmlStreamReader> xml;
        QString name;
    };
    std::optional<Part> openPart(const QString &name, ReadFailure &failure);
    bool finish(Part &part, ReadFailure &failure);
    bool keepGoing(const ReadProgress &progress, ReadFailure &failure);

    QHash<QString, Relationship> readRelationships(const QString &part, ReadFailure &failure);
    bool readWorkbook(const QString &part, ReadFailure &failure);
    bool readStyles(const QString &part, ReadFailure &failure);
    bool readSharedStrings(const QString &part, const ReadProgress &progress, ReadFailure &failure);
    ReadFailure notAWorkbook() const;

    QString path_;
    ZipArchive zip_;
    QList<Sheet> sheets_;
    int first_ = 0;
    bool date1904_ = false;
    QList<CellFormat> styles_;
    std::shared_ptr<StringPool> shared_ = std::make_shared<StringPool>();
};

} // namespace xlsx
