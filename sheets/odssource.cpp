// An OpenDocument spreadsheet: content.xml's tables, rows and cells, with the repeats its
// writers use for runs of equal rows and cells (LibreOffice writes the empty rows after
// the last one as one row repeated a million times).
#include "odssource.h"

#include "xlsxinternals.h"
#include "ziparchive.h"

#include <QSet>
#include <QXmlStreamReader>

#include <array>

namespace {

using xlsx::MaxColumns;
using xlsx::MaxRows;
using xlsx::ProgressEvery;
// Cells with text a table may hold: a row and a cell repeated to the sheet's last cell
// would make billions of them from a few bytes.
constexpr qsizetype MaxTextCells = qsizetype(1) << 24;

// Attributes are known by their namespace, whatever prefix a writer gives it.
const QString TableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString TextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString StyleNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString OfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString ConfigNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:config:1.0");

// The table's own text when a package holds no spreadsheet this reader can read: the
// operator is told to save it as a workbook.
ReadFailure unreadable()
{
    return {ReadFailure::Kind::NotSpreadsheet, QStringLiteral("OpenDocument")};
}

// A count attribute (rows or columns repeated or spanned): 1 when absent or nonsense.
qsizetype countOf(const QXmlStreamAttributes &attributes, const QString &ns, QLatin1String name,
                  qsizetype most)
{
    const qsizetype count = attributes.value(ns, name).toLongLong();
    return std::clamp<qsizetype>(count, 1, std::max<qsizetype>(most, 1));
}

// The text of a paragraph, the reader on its start; spaces (<text:s text:c="3"/>), tabs and
// line breaks as the characters they stand for, spans and links read through, notes and
// annotations left out. The reader is left on the paragraph's end.
void appendParagraph(QXmlStreamReader &xml, QString &text)
{
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::Characters) {
            text += xml.text();
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth-- == 0)
                return;
        } else if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (name == u"s") {
                text += QString(countOf(xml.attributes(), TextNs, QLatin1String("c"), 1024), u' ');
                xml.skipCurrentElement();
            } else if (name == u"tab") {
                text += u'\t';
                xml.skipCurrentElement();
            } else if (name == u"line-break") {
                text += u'\n';
                xml.skipCurrentElement();
            } else if (name == u"annotation" || name == u"note" || name == u"ruby-text") {
                xml.skipCurrentElement();
            } else {
                ++depth;
            }
        }
    }
}

// A cell's paragraphs, one line each; what else it holds (a comment, a picture) is not
// its text. The reader is left on the cell's end.
QString cellParagraphs(QXmlStreamReader &xml)
{
    QString text;
    bool first = true;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"p" || xml.name() == u"h") {
            if (!std::exchange(first, false))
                text += u'\n';
            appendParagraph(xml, text);
        } else {
            xml.skipCurrentElement();
        }
    }
    return text;
}

struct OdsSheet {
    QString name;
    bool hidden = false;
    SheetTable table;
    bool taken = false;
};

class OdsSource : public ListSource {
public:
    OdsSource(const QString &path, qint64 entryCap) : zip_(path, entryCap) {}

    bool open(const ReadProgress &progress, ReadFailure &failure);

    QStringList sheetNames() const override
    {
        QStringList names;
        for (const OdsSheet &sheet : sheets_)
            names << sheet.name;
        return names;
    }
    bool isHidden(int sheet) const override
    {
        return sheet >= 0 && sheet < sheets_.size() && sheets_[sheet].hidden;
    }
    int firstSheet() const override { return first_; }
    QString description() const override { return QStringLiteral("OpenDocument 表格"); }
    SheetTable readSheet(int sheet, const ReadProgress &progress, ReadFailure &failure) override
    {
        failure = {};
        if (sheet < 0 || sheet >= sheets_.size()) {
            failure = {ReadFailure::Kind::NoText, {}};
            return {};
        }
        // The table read at opening goes out once; a second read reads the part again.
        if (std::exchange(sheets_[sheet].taken, true) && !readContent(sheet, progress, failure))
            return {};
        return std::move(sheets_[sheet].table);
    }

private:
    bool readContent(int wanted, const ReadProgress &progress, ReadFailure &failure);
    bool readTable(QXmlStreamReader &xml, SheetTable &table, const ReadProgress &progress,
                   ReadFailure &failure);
    bool readRow(QXmlStreamReader &xml, SheetTable &table, qsizetype &row, qsizetype &textCells,
                 QList<std::array<qsizetype, 4>> &merges);
    QString activeSheet();

    ZipArchive zip_;
    QList<OdsSheet> sheets_;
    int first_ = 0;
};

bool OdsSource::open(const ReadProgress &progress, ReadFailure &failure)
{
    if (!zip_.open()) {
        failure = xlsx::fromZip(zip_.failure(), zip_.detail());
        return false;
    }
    // A text document or a presentation says so in its first entry.
    if (const ZipArchive::Entry *type = zip_.find(QStringLiteral("mimetype"))) {
        auto device = zip_.openEntry(*type);
        const QByteArray mimetype = device ? device->read(256) : QByteArray();
        if (mimetype.startsWith("application/vnd.oasis.opendocument.") &&
            !mimetype.contains("spreadsheet")) {
            failure = {ReadFailure::Kind::NotSpreadsheet,
                       QStringLiteral("OpenDocument 文档，不是表格")};
            return false;
        }
    }
    if (!readContent(-1, progress, failure))
        return false;
    if (sheets_.isEmpty()) {
        failure = {ReadFailure::Kind::NoText, QStringLiteral("工作簿里没有工作表")};
        return false;
    }
    const QString active = activeSheet();
    for (int i = 0; i < sheets_.size(); ++i) {
        if (sheets_[i].name == active && !sheets_[i].hidden)
            first_ = i;
    }
    for (int i = 0; i < sheets_.size() && sheets_[first_].hidden; ++i)
        first_ = i;
    return true;
}

// The sheet shown when the file was saved, from settings.xml; empty when it says none.
QString OdsSource::activeSheet()
{
    const ZipArchive::Entry *entry = zip_.find(QStringLiteral("settings.xml"));
    auto device = entry ? zip_.openEntry(*entry) : nullptr;
    if (!device)
        return {};
    QXmlStreamReader xml(device.get());
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"config-item" &&
            xml.attributes().value(ConfigNs, QLatin1String("name")) == u"ActiveTable")
            return xml.readElementText();
    }
    return {};
}

// content.xml read through: the sheets' names, whether they are hidden (by a table style
// that does not display them), and the table of `wanted` (of every sheet when -1).
bool OdsSource::readContent(int wanted, const ReadProgress &progress, ReadFailure &failure)
{
    const ZipArchive::Entry *entry = zip_.find(QStringLiteral("content.xml"));
    if (!entry) {
        failure = unreadable();
        return false;
    }
    auto device = zip_.openEntry(*entry);
    if (!device) {
        failure = xlsx::fromZip(zip_.failure(), zip_.detail());
        return false;
    }
    QXmlStreamReader xml(device.get());
    QSet<QString> hiddenStyles;
    QString style; // of the table style being read
    bool spreadsheet = false;
    int sheet = -1;
    while (!xml.atEnd() && failure.ok()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        const QXmlStreamAttributes a = xml.attributes();
        if (name == u"style") {
            style = a.value(StyleNs, QLatin1String("family")) == u"table"
                        ? a.value(StyleNs, QLatin1String("name")).toString()
                        : QString();
        } else if (name == u"table-properties" && !style.isEmpty()) {
            if (a.value(TableNs, QLatin1String("display")) == u"false")
                hiddenStyles.insert(style);
        } else if (name == u"spreadsheet") {
            spreadsheet = true;
        } else if (name == u"table" && spreadsheet) {
            if (++sheet == sheets_.size())
                sheets_.append({a.value(TableNs, QLatin1String("name")).toString(),
                                hiddenStyles.contains(
                                    a.value(TableNs, QLatin1String("style-name")).toString()),
                                {},
                                false});
            if (wanted < 0 || wanted == sheet) {
                sheets_[sheet].table = {};
                readTable(xml, sheets_[sheet].table, progress, failure);
            } else {
                xml.skipCurrentElement();
            }
        }
    }
    if (!failure.ok())
        return false;
    if (device->failure() != ZipArchive::Failure::None) {
        failure = xlsx::fromZip(device->failure(), device->detail());
        // A stream that breaks off is a damaged file, which the operator saves anew.
        if (failure.kind == ReadFailure::Kind::Damaged)
            failure = unreadable();
        return false;
    }
    if (xml.hasError() || !spreadsheet) {
        failure = unreadable();
        return false;
    }
    return true;
}

// A table's rows, wherever they stand in it (header rows, groups), the reader on the
// table's start and left on its end.
bool OdsSource::readTable(QXmlStreamReader &xml, SheetTable &table, const ReadProgress &progress,
                          ReadFailure &failure)
{
    QList<std::array<qsizetype, 4>> merges;
    qsizetype row = 0;
    qsizetype textCells = 0;
    int depth = 0;
    int sinceProgress = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && depth-- == 0)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"table-row") {
            if (!readRow(xml, table, row, textCells, merges) || table.overBudget()) {
                failure = {ReadFailure::Kind::TooLarge, QStringLiteral("单元格分布得太散")};
                return false;
            }
            if (++sinceProgress == ProgressEvery) {
                sinceProgress = 0;
                if (progress && !progress(zip_.bytesRead(), zip_.fileSize())) {
                    failure = {ReadFailure::Kind::Cancelled, {}};
                    return false;
                }
            }
        } else if (name == u"table-header-rows" || name == u"table-row-group" ||
                   name == u"table-rows") {
            ++depth;
        } else {
            xml.skipCurrentElement(); // columns, shapes, a table inside a cell
        }
    }
    for (const auto &m : merges)
        table.fillMerged(m[0], int(m[1]), m[2], int(m[3]));
    return true;
}

// A row (repeated as it says) into the table from `row`, which moves past it. A merged
// cell's range is kept for after the table; the cells it covers show nothing. False when
// the table's cells with text would be more than MaxTextCells.
bool OdsSource::readRow(QXmlStreamReader &xml, SheetTable &table, qsizetype &row,
                        qsizetype &textCells, QList<std::array<qsizetype, 4>> &merges)
{
    const QXmlStreamAttributes rowAttributes = xml.attributes();
    const qsizetype rows =
        countOf(rowAttributes, TableNs, QLatin1String("number-rows-repeated"), MaxRows - row);
    const QStringView visibility = rowAttributes.value(TableNs, QLatin1String("visibility"));
    const bool hidden = visibility == u"collapse" || visibility == u"filter";
    struct Run {
        qsizetype column;
        qsizetype count;
        QString text;
    };
    QList<Run> runs;
    qsizetype column = 0;
    while (xml.readNextStartElement()) {
        const bool covered = xml.name() == u"covered-table-cell";
        if ((!covered && xml.name() != u"table-cell") || column >= MaxColumns) {
            xml.skipCurrentElement();
            continue;
        }
        const QXmlStreamAttributes a = xml.attributes();
        const qsizetype count =
            countOf(a, TableNs, QLatin1String("number-columns-repeated"), MaxColumns - column);
        QString text;
        if (covered)
            xml.skipCurrentElement();
        else
            text = cellText(cellParagraphs(xml));
        if (!text.isEmpty()) {
            runs.append({column, count, text});
            const qsizetype down =
                countOf(a, TableNs, QLatin1String("number-rows-spanned"), MaxRows);
            const qsizetype across =
                countOf(a, TableNs, QLatin1String("number-columns-spanned"), MaxColumns);
            if (down > 1 || across > 1)
                merges.append({row, column, row + down - 1, column + across - 1});
        } else if (!covered && a.hasAttribute(TableNs, QLatin1String("formula")) &&
                   !a.hasAttribute(OfficeNs, QLatin1String("value-type"))) {
            // A formula whose result was never saved (a program that does not calculate).
            table.noteUnsavedFormula(int(column));
        }
        column += count;
    }
    qsizetype perRow = 0;
    for (const Run &run : runs)
        perRow += run.count;
    if (perRow > 0 && (textCells += perRow * rows) > MaxTextCells)
        return false;
    for (qsizetype r = row; r < row + rows && perRow > 0 && !table.overBudget(); ++r) {
        if (hidden)
            table.setRowHidden(r);
        for (const Run &run : runs) {
            for (qsizetype c = run.column; c < run.column + run.count; ++c)
                table.setText(r, int(c), run.text);
        }
    }
    row = std::min(row + rows, MaxRows);
    return true;
}

} // namespace

std::unique_ptr<ListSource> openOdsSource(const QString &path, const ReadProgress &progress,
                                          ReadFailure &failure, qint64 entryCap)
{
    failure = {};
    auto source = std::make_unique<OdsSource>(path, entryCap);
    if (!source->open(progress, failure))
        return nullptr;
    return source;
}
