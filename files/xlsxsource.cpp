#include "xlsxsource.h"

#include "cellformat.h"
#include "ziparchive.h"

#include <QFileInfo>
#include <QHash>
#include <QThread>
#include <QXmlStreamReader>

#include <array>
#include <cctype>
#include <future>

#include <optional>

namespace {

// Excel's own limits; a reference beyond them is no sheet a program saved.
constexpr qsizetype MaxRows = 1'048'576;
constexpr int MaxColumns = 16'384;
// How often a long part reports its progress (and may be stopped), in elements.
constexpr int ProgressEvery = 8192;

struct Relationship {
    QString type;
    QString target; // a part name, resolved
};

QString directoryOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relationshipsOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return directoryOf(part) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

// A relationship's target, relative to the part's folder unless it starts with '/'.
QString resolvePart(const QString &baseDirectory, const QString &target)
{
    const QString path = target.startsWith(u'/') ? target.mid(1) : baseDirectory + target;
    QStringList parts;
    for (const QString &part : path.split(u'/')) {
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return parts.join(u'/');
}

bool typeIs(const QString &type, QStringView kind)
{
    // Transitional and Strict OOXML name the same relationships under different roots.
    return type.endsWith(u'/' + kind.toString());
}

// "B12" as column 1, row 11; nothing for a reference that is not one.
std::optional<std::pair<int, qsizetype>> parseReference(QStringView ref)
{
    qsizetype i = 0;
    qint64 column = 0;
    while (i < ref.size() && ref.at(i).isLetter() && ref.at(i).unicode() < 128) {
        column = column * 26 + (ref.at(i).toUpper().unicode() - u'A' + 1);
        if (column > MaxColumns)
            return std::nullopt;
        ++i;
    }
    if (i == 0 || i == ref.size())
        return std::nullopt;
    bool ok = false;
    const qint64 row = ref.sliced(i).toLongLong(&ok);
    if (!ok || row < 1 || row > MaxRows)
        return std::nullopt;
    return std::pair{int(column - 1), qsizetype(row - 1)};
}

// Excel writes characters XML cannot hold as _xHHHH_ ("_x000D_" for a CR).
QString decodeEscapes(const QString &text)
{
    if (!text.contains(u"_x"))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' &&
            text.at(i + 6) == u'_') {
            bool ok = false;
            const uint code = QStringView(text).sliced(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text.at(i);
    }
    return out;
}

// The text of a string item (<si>, <is>): its <t> elements, the runs' included, without
// the phonetic guides (<rPh>) that Japanese workbooks carry. The reader stands on the
// item's start and is left on its end.
QStringView localName(QStringView name)
{
    const qsizetype colon = name.indexOf(u':');
    return colon < 0 ? name : name.sliced(colon + 1);
}

QString readStringItem(QXmlStreamReader &xml)
{
    QString text;
    int phonetic = 0;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (localName(xml.qualifiedName()) == u"rPh") {
                ++phonetic;
                ++depth;
            } else if (localName(xml.qualifiedName()) == u"t" && phonetic == 0) {
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else {
                ++depth;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (localName(xml.qualifiedName()) == u"rPh")
                --phonetic;
            --depth;
            break;
        default:
            break;
        }
    }
    return decodeEscapes(text);
}

ReadFailure fromZip(ZipArchive::Failure failure, const QString &detail)
{
    switch (failure) {
    case ZipArchive::Failure::None:
        return {};
    case ZipArchive::Failure::CannotOpen:
        return {ReadFailure::Kind::CannotOpen, detail};
    case ZipArchive::Failure::Encrypted:
        return {ReadFailure::Kind::Encrypted, detail};
    case ZipArchive::Failure::TooLarge:
        return {ReadFailure::Kind::TooLarge, detail};
    case ZipArchive::Failure::NotZip:
    case ZipArchive::Failure::Damaged:
    case ZipArchive::Failure::Unsupported:
        return {ReadFailure::Kind::Damaged, detail};
    }
    return {ReadFailure::Kind::Damaged, detail};
}

// A sheet's rows are parsed a block at a time, several blocks at once on as many cores as
// the machine has: a block is whole rows, cut after a row's end tag, and parsed by a reader
// of its own. The blocks' cells are then put into the table in their order, one thread
// doing that, so a row without its number follows the row before it as in one reading.
constexpr qsizetype BlockBytes = qsizetype(1) << 20;
// Bytes without a row's end, or before <sheetData>, beyond which a sheet is no sheet.
constexpr qsizetype MaxUnbrokenBytes = qsizetype(64) << 20;

constexpr qint32 RowMark = -2; // a record that starts a row, not a cell
constexpr quint32 NoShared = 0xFFFFFFFF;

struct ParsedCell {
    qint32 row;    // the row's index, or -1: the row stands after the one before
    qint32 column; // the column's index, -1: the next column, or RowMark
    quint32 shared;
    qint32 start; // the cell's text in ParsedRows::texts, when not a shared string
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
                    const CellContext &context)
{
    if (type == u"inlineStr")
        return cellText(inlineText);
    if (type == u"str" || type == u"e")
        return cellText(decodeEscapes(value));
    if (type == u"b")
        return value.trimmed() == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == u"d") {
        QString date = value.trimmed();
        if (date.endsWith(u"T00:00:00"))
            date.chop(9);
        return date;
    }
    static const CellFormat general;
    const CellFormat &format =
        style >= 0 && style < context.styles->size() ? context.styles->at(style) : general;
    return format.show(value, context.date1904);
}

// Whole rows of a sheet, without the element around them: any prefix of the elements'
// names is read past, as a reader without namespaces sees them.
ParsedRows parseRows(const QByteArray &rows, const CellContext &context)
{
    ParsedRows parsed;
    parsed.cells.reserve(std::size_t(rows.size() / 24));
    QXmlStreamReader xml(QByteArray("<rows>") + rows + QByteArray("</rows>"));
    xml.setNamespaceProcessing(false);
    const auto fail = [&](const QString &what) {
        parsed.error = what;
        parsed.cells.clear();
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = localName(xml.qualifiedName());
        if (name == u"row") {
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            qint32 row = -1;
            if (!r.isEmpty()) {
                bool ok = false;
                const qint64 number = r.toLongLong(&ok);
                if (!ok || number < 1 || number > MaxRows) {
                    fail(QStringLiteral("行号“%1”超出范围").arg(r));
                    return parsed;
                }
                row = qint32(number - 1);
            }
            parsed.cells.push_back({row, RowMark, NoShared, 0, 0});
        } else if (name == u"c") {
            const QXmlStreamAttributes a = xml.attributes();
            qint32 row = -1;
            qint32 column = -1;
            if (const QStringView r = a.value(QLatin1String("r")); !r.isEmpty()) {
                const auto reference = parseReference(r);
                if (!reference) {
                    fail(QStringLiteral("单元格地址“%1”无效").arg(r));
                    return parsed;
                }
                column = reference->first;
                row = qint32(reference->second);
            }
            const QString type = a.value(QLatin1String("t")).toString();
            const int style = a.value(QLatin1String("s")).toInt();
            QString value;
            QString inlineText;
            bool hasValue = false;
            while (!xml.atEnd()) {
                const QXmlStreamReader::TokenType token = xml.readNext();
                if (token == QXmlStreamReader::EndElement && localName(xml.qualifiedName()) == u"c")
                    break;
                if (token != QXmlStreamReader::StartElement)
                    continue;
                const QStringView child = localName(xml.qualifiedName());
                if (child == u"v") {
                    value = xml.readElementText();
                    hasValue = true;
                } else if (child == u"is") {
                    inlineText = readStringItem(xml);
                    hasValue = true;
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (!hasValue)
                continue;
            if (type == u"s") {
                bool ok = false;
                const uint index = value.trimmed().toUInt(&ok);
                if (!ok || index >= context.sharedCount) {
                    fail(QStringLiteral("共享字符串编号“%1”无效").arg(value));
                    return parsed;
                }
                parsed.cells.push_back({row, column, quint32(index), 0, 0});
            } else {
                const QString text = cellDisplay(type, value, inlineText, style, context);
                if (text.isEmpty())
                    continue;
                parsed.cells.push_back(
                    {row, column, NoShared, qint32(parsed.texts.size()), qint32(text.size())});
                parsed.texts += text;
            }
        }
    }
    if (xml.hasError())
        fail(xml.errorString());
    return parsed;
}

// Where the last whole row of `bytes` ends: after its "</row>" (or "</x:row>"), or 0.
qsizetype afterLastRow(const QByteArray &bytes)
{
    for (qsizetype at = bytes.lastIndexOf("row>"); at > 0; at = bytes.lastIndexOf("row>", at - 1)) {
        qsizetype before = at - 1;
        if (bytes[before] == ':') {
            while (before > 0 &&
                   (std::isalnum(uchar(bytes[before - 1])) || bytes[before - 1] == '_'))
                --before;
            --before;
        }
        if (before >= 1 && bytes[before] == '/' && bytes[before - 1] == '<')
            return at + 4;
    }
    return 0;
}

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

std::optional<XlsxSource::Part> XlsxSource::openPart(const QString &name, ReadFailure &failure)
{
    const ZipArchive::Entry *entry = zip_.find(name);
    if (!entry) {
        failure = {ReadFailure::Kind::Damaged, QStringLiteral("缺少“%1”").arg(name)};
        return std::nullopt;
    }
    Part part;
    part.name = name;
    part.device = zip_.openEntry(*entry);
    if (!part.device) {
        failure = fromZip(zip_.failure(), zip_.detail());
        return std::nullopt;
    }
    part.xml = std::make_unique<QXmlStreamReader>(part.device.get());
    return part;
}

// After a part's loop: the inflating device's failure comes first (a bomb, a broken
// stream), then the XML's own.
bool XlsxSource::finish(Part &part, ReadFailure &failure)
{
    if (!failure.ok())
        return false;
    if (part.device->failure() != ZipArchive::Failure::None) {
        failure = fromZip(part.device->failure(), part.device->detail());
        return false;
    }
    if (part.xml->hasError()) {
        failure = {ReadFailure::Kind::Damaged, QStringLiteral("“%1”第 %2 行：%3")
                                                   .arg(part.name)
                                                   .arg(part.xml->lineNumber())
                                                   .arg(part.xml->errorString())};
        return false;
    }
    return true;
}

bool XlsxSource::keepGoing(const ReadProgress &progress, ReadFailure &failure)
{
    if (progress && !progress(zip_.bytesRead(), zip_.fileSize())) {
        failure = {ReadFailure::Kind::Cancelled, {}};
        return false;
    }
    return true;
}

QHash<QString, Relationship> XlsxSource::readRelationships(const QString &part,
                                                           ReadFailure &failure)
{
    QHash<QString, Relationship> relationships;
    if (!zip_.find(part))
        return relationships;
    auto rels = openPart(part, failure);
    if (!rels)
        return relationships;
    // Relationships of /_rels/.rels point from the package's root.
    const QString base =
        part.startsWith(u"_rels/") ? QString() : directoryOf(directoryOf(part).chopped(1));
    QXmlStreamReader &xml = *rels->xml;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (a.value(QLatin1String("TargetMode")) == u"External")
            continue;
        relationships.insert(a.value(QLatin1String("Id")).toString(),
                             {a.value(QLatin1String("Type")).toString(),
                              resolvePart(base, a.value(QLatin1String("Target")).toString())});
    }
    finish(*rels, failure);
    return relationships;
}

ReadFailure XlsxSource::notAWorkbook() const
{
    const auto has = [this](const char *name) { return zip_.find(QLatin1String(name)) != nullptr; };
    if (has("content.xml") || has("mimetype"))
        return {ReadFailure::Kind::NotSpreadsheet, QStringLiteral("OpenDocument")};
    if (has("word/document.xml"))
        return {ReadFailure::Kind::NotSpreadsheet, QStringLiteral("Word")};
    if (has("ppt/presentation.xml"))
        return {ReadFailure::Kind::NotSpreadsheet, QStringLiteral("PowerPoint")};
    return {ReadFailure::Kind::NotSpreadsheet, QStringLiteral("ZIP")};
}

bool XlsxSource::open(const ReadProgress &progress, ReadFailure &failure)
{
    if (!zip_.open()) {
        failure = fromZip(zip_.failure(), zip_.detail());
        if (zip_.failure() == ZipArchive::Failure::NotZip)
            failure.detail = QStringLiteral("找不到 ZIP 目录，文件可能不完整");
        return false;
    }
    QString workbook;
    const QHash<QString, Relationship> root =
        readRelationships(QStringLiteral("_rels/.rels"), failure);
    if (!failure.ok())
        return false;
    for (const Relationship &relationship : root) {
        if (typeIs(relationship.type, u"officeDocument"))
            workbook = relationship.target;
    }
    if (workbook.isEmpty() || !zip_.find(workbook))
        workbook = QStringLiteral("xl/workbook.xml");
    if (!zip_.find(workbook)) {
        failure = notAWorkbook();
        return false;
    }
    if (!readWorkbook(workbook, failure))
        return false;

    const QHash<QString, Relationship> parts =
        readRelationships(relationshipsOf(workbook), failure);
    if (!failure.ok())
        return false;
    QString styles;
    QString sharedStrings;
    for (const Relationship &relationship : parts) {
        if (typeIs(relationship.type, u"styles"))
            styles = relationship.target;
        else if (typeIs(relationship.type, u"sharedStrings"))
            sharedStrings = relationship.target;
    }
    // Sheets are named by relationship; chart and dialog sheets hold no cells.
    QList<Sheet> worksheets;
    int active = first_;
    for (qsizetype i = 0; i < sheets_.size(); ++i) {
        const auto found = parts.constFind(sheets_[i].part);
        if (found == parts.cend() || !typeIs(found->type, u"worksheet")) {
            if (i < first_)
                --active;
            continue;
        }
        Sheet sheet = sheets_[i];
        sheet.part = found->target;
        worksheets.append(sheet);
    }
    sheets_ = worksheets;
    if (sheets_.isEmpty()) {
        failure = {ReadFailure::Kind::NoText, QStringLiteral("工作簿里没有工作表")};
        return false;
    }
    first_ = std::clamp(active, 0, int(sheets_.size()) - 1);
    if (sheets_[first_].hidden) {
        for (int i = 0; i < sheets_.size(); ++i) {
            if (!sheets_[i].hidden) {
                first_ = i;
                break;
            }
        }
    }
    if (!styles.isEmpty() && zip_.find(styles) && !readStyles(styles, failure))
        return false;
    if (!sharedStrings.isEmpty() && zip_.find(sharedStrings) &&
        !readSharedStrings(sharedStrings, progress, failure))
        return false;
    return true;
}

bool XlsxSource::readWorkbook(const QString &name, ReadFailure &failure)
{
    auto part = openPart(name, failure);
    if (!part)
        return false;
    QXmlStreamReader &xml = *part->xml;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"sheet") {
            Sheet sheet;
            sheet.name = a.value(QLatin1String("name")).toString();
            // r:id, whatever the prefix the writer gave the relationships' namespace.
            for (const QXmlStreamAttribute &attribute : a) {
                if (attribute.name() == u"id" &&
                    attribute.namespaceUri().contains(u"relationships"))
                    sheet.part = attribute.value().toString();
            }
            sheet.hidden = !a.value(QLatin1String("state")).isEmpty() &&
                           a.value(QLatin1String("state")) != u"visible";
            sheets_.append(sheet);
        } else if (xml.name() == u"workbookPr") {
            const QStringView date1904 = a.value(QLatin1String("date1904"));
            date1904_ = date1904 == u"1" || date1904 == u"true";
        } else if (xml.name() == u"workbookView") {
            first_ = a.value(QLatin1String("activeTab")).toInt();
        }
    }
    return finish(*part, failure);
}

bool XlsxSource::readStyles(const QString &name, ReadFailure &failure)
{
    auto part = openPart(name, failure);
    if (!part)
        return false;
    QHash<int, QString> codes;
    QList<int> formatIds;
    bool inCellFormats = false;
    QXmlStreamReader &xml = *part->xml;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
            inCellFormats = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"numFmt") {
            const QXmlStreamAttributes a = xml.attributes();
            codes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                         a.value(QLatin1String("formatCode")).toString());
        } else if (xml.name() == u"cellXfs") {
            inCellFormats = true;
        } else if (inCellFormats && xml.name() == u"xf") {
            formatIds.append(xml.attributes().value(QLatin1String("numFmtId")).toInt());
        }
    }
    if (!finish(*part, failure))
        return false;
    for (int id : formatIds) {
        const auto code = codes.constFind(id);
        styles_.append(code != codes.cend() ? CellFormat::fromCode(*code)
                                            : CellFormat::builtIn(id));
    }
    return true;
}

bool XlsxSource::readSharedStrings(const QString &name, const ReadProgress &progress,
                                   ReadFailure &failure)
{
    auto part = openPart(name, failure);
    if (!part)
        return false;
    QXmlStreamReader &xml = *part->xml;
    int sinceProgress = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"sst") {
            // Room for the count the table declares, within reason.
            const qsizetype count = std::min<qsizetype>(
                xml.attributes().value(QLatin1String("uniqueCount")).toLongLong(), MaxRows * 4);
            if (count > 0)
                shared_->reserve(count, count * 4);
        } else if (xml.name() == u"si") {
            shared_->add(cellText(readStringItem(xml)));
            if (++sinceProgress == ProgressEvery) {
                sinceProgress = 0;
                if (!keepGoing(progress, failure))
                    return false;
            }
        }
    }
    return finish(*part, failure);
}

SheetTable XlsxSource::readSheet(int index, const ReadProgress &progress, ReadFailure &failure)
{
    failure = {};
    if (index < 0 || index >= sheets_.size()) {
        failure = {ReadFailure::Kind::NoText, {}};
        return SheetTable(shared_);
    }
    const QString part = sheets_[index].part;
    const ZipArchive::Entry *entry = zip_.find(part);
    if (!entry) {
        failure = {ReadFailure::Kind::Damaged, QStringLiteral("缺少“%1”").arg(part)};
        return SheetTable(shared_);
    }
    const std::unique_ptr<ZipArchive::EntryDevice> device = zip_.openEntry(*entry);
    if (!device) {
        failure = fromZip(zip_.failure(), zip_.detail());
        return SheetTable(shared_);
    }
    const auto damaged = [&](const QString &what) {
        failure = {ReadFailure::Kind::Damaged, QStringLiteral("“%1”：%2").arg(part, what)};
        return SheetTable(shared_);
    };
    QByteArray buffer;
    bool ended = false;
    const auto readMore = [&] {
        const QByteArray block = device->read(BlockBytes);
        if (block.isEmpty()) {
            ended = true;
            return false;
        }
        buffer += block;
        return true;
    };
    const auto deviceFailed = [&] {
        if (device->failure() == ZipArchive::Failure::None)
            return false;
        failure = fromZip(device->failure(), device->detail());
        return true;
    };

    // Up to the rows: the sheet's start, in UTF-8 as every spreadsheet program writes it.
    bool emptySheet = false;
    for (;;) {
        const qsizetype at = buffer.indexOf("sheetData");
        const qsizetype end = at < 0 ? -1 : buffer.indexOf('>', at);
        if (end > 0) {
            const QByteArray start = buffer.left(at);
            const qsizetype encoding = start.indexOf("encoding=");
            if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF") ||
                (encoding >= 0 &&
                 start.mid(encoding + 10, 5).compare("utf-8", Qt::CaseInsensitive) != 0))
                return damaged(QStringLiteral("工作表不是 UTF-8 编码"));
            emptySheet = buffer[end - 1] == '/';
            buffer.remove(0, end + 1);
            break;
        }
        if (buffer.size() > MaxUnbrokenBytes || !readMore()) {
            if (deviceFailed())
                return SheetTable(shared_);
            return damaged(QStringLiteral("找不到工作表的数据（sheetData）"));
        }
    }

    SheetTable table(shared_);
    const CellContext context{&styles_, date1904_, shared_->size()};
    const int parallel = std::max(1, QThread::idealThreadCount());
    qsizetype row = -1;
    int nextColumn = 0;
    while (!emptySheet) {
        // A block per core, each of whole rows.
        QList<QByteArray> blocks;
        while (blocks.size() < parallel && !ended) {
            while (buffer.size() < BlockBytes && readMore()) {
            }
            const qsizetype cut = afterLastRow(buffer);
            if (cut == 0) {
                if (ended)
                    break;
                if (buffer.size() > MaxUnbrokenBytes)
                    return damaged(QStringLiteral("行太长"));
                if (!readMore())
                    break;
                continue;
            }
            blocks.append(buffer.left(cut));
            buffer.remove(0, cut);
        }
        if (deviceFailed())
            return SheetTable(shared_);
        if (blocks.isEmpty())
            break;
        std::vector<std::future<ParsedRows>> others;
        for (qsizetype i = 1; i < blocks.size(); ++i)
            others.push_back(std::async(std::launch::async, parseRows, std::cref(blocks[i]),
                                        std::cref(context)));
        std::vector<ParsedRows> parsed;
        parsed.push_back(parseRows(blocks[0], context));
        for (auto &other : others)
            parsed.push_back(other.get());
        for (const ParsedRows &rows : parsed) {
            if (!rows.error.isEmpty())
                return damaged(rows.error);
            for (const ParsedCell &cell : rows.cells) {
                if (cell.column == RowMark) {
                    row = cell.row >= 0 ? cell.row : row + 1;
                    if (row >= MaxRows)
                        return damaged(QStringLiteral("行号超出范围"));
                    nextColumn = 0;
                    continue;
                }
                const int column = cell.column >= 0 ? cell.column : nextColumn;
                if (column >= MaxColumns)
                    return damaged(QStringLiteral("列超出范围"));
                nextColumn = column + 1;
                const qsizetype at = cell.row >= 0 ? cell.row : std::max<qsizetype>(row, 0);
                if (cell.shared != NoShared)
                    table.setShared(at, column, cell.shared);
                else
                    table.setText(at, column,
                                  QStringView(rows.texts).sliced(cell.start, cell.length));
            }
        }
        if (table.overBudget()) {
            failure = {ReadFailure::Kind::TooLarge, QStringLiteral("单元格分布得太散")};
            return SheetTable(shared_);
        }
        if (!keepGoing(progress, failure))
            return SheetTable(shared_);
    }

    // After the rows: the end of <sheetData>, the merged cells, the end of the sheet.
    while (readMore()) {
        if (buffer.size() > MaxUnbrokenBytes)
            return damaged(QStringLiteral("工作表的结尾太长"));
    }
    if (deviceFailed())
        return SheetTable(shared_);
    qsizetype rest = 0;
    if (!emptySheet) {
        const qsizetype end = buffer.indexOf("sheetData>");
        if (end < 0)
            return damaged(QStringLiteral("工作表不完整"));
        rest = end + 10;
    }
    const qsizetype close = buffer.lastIndexOf("</");
    if (close < rest || !buffer.mid(close).trimmed().endsWith("worksheet>"))
        return damaged(QStringLiteral("工作表不完整"));
    QXmlStreamReader xml(QByteArray("<end>") + buffer.mid(rest, close - rest) +
                         QByteArray("</end>"));
    xml.setNamespaceProcessing(false);
    QList<std::array<qsizetype, 4>> merges;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement ||
            localName(xml.qualifiedName()) != u"mergeCell")
            continue;
        const QStringList range =
            xml.attributes().value(QLatin1String("ref")).toString().split(u':');
        const auto first = parseReference(range.value(0));
        const auto last = range.size() == 2 ? parseReference(range[1]) : first;
        if (first && last)
            merges.append({first->second, first->first, last->second, last->first});
    }
    if (xml.hasError())
        return damaged(xml.errorString());
    for (const auto &m : merges)
        table.fillMerged(m[0], int(m[1]), m[2], int(m[3]));
    if (table.overBudget()) {
        failure = {ReadFailure::Kind::TooLarge, QStringLiteral("单元格分布得太散")};
        return SheetTable(shared_);
    }
    return table;
}

} // namespace

std::unique_ptr<ListSource> openXlsxSource(const QString &path, const ReadProgress &progress,
                                           ReadFailure &failure, qint64 entryCap)
{
    failure = {};
    auto source = std::make_unique<XlsxSource>(path, entryCap);
    if (!source->open(progress, failure))
        return nullptr;
    return source;
}
