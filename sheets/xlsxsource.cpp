#include "xlsxsource.h"

#include "xlsxinternals.h"

#include <QFileInfo>

namespace xlsx {

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
    // A Word document or a presentation names its own main part the same way.
    if (!zip_.find(workbook) || workbook.startsWith(u"word/") || workbook.startsWith(u"ppt/")) {
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

} // namespace xlsx

std::unique_ptr<ListSource> openXlsxSource(const QString &path, const ReadProgress &progress,
                                           ReadFailure &failure, qint64 entryCap)
{
    failure = {};
    auto source = std::make_unique<xlsx::XlsxSource>(path, entryCap);
    if (!source->open(progress, failure))
        return nullptr;
    return source;
}
