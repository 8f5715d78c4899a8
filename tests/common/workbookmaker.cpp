#include "workbookmaker.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QtEndian>

#include <zlib.h>

namespace {

void put16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray deflateAll(const QByteArray &bytes, int flush)
{
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(bytes.size()))) + 64, Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    z.avail_in = uInt(bytes.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, flush);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

} // namespace

struct ZipMaker::Entry {
    QString name;
    Options options;
    quint32 crc = 0;
    qint64 compressed = 0;
    qint64 size = 0;
    qint64 offset = 0;
};

struct ZipMaker::Deflater {
    z_stream z{};
};

ZipMaker::ZipMaker(QIODevice &out) : out_(out) {}

ZipMaker::~ZipMaker()
{
    qDeleteAll(entries_);
}

void ZipMaker::writeLocalHeader(Entry &entry)
{
    const QByteArray name = entry.name.toUtf8();
    QByteArray header;
    put32(header, 0x04034b50);
    put16(header, 20);
    put16(header,
          quint16(0x0800 | (entry.options.dataDescriptor ? 0x0008 : 0) | entry.options.extraFlags));
    put16(header, entry.options.deflated ? 8 : 0);
    put16(header, 0x6000); // 12:00
    put16(header, 0x5A21); // 2025-01-01
    put32(header, entry.options.dataDescriptor ? 0 : entry.crc);
    put32(header, entry.options.dataDescriptor ? 0 : quint32(entry.compressed));
    put32(header, entry.options.dataDescriptor ? 0 : quint32(entry.size));
    put16(header, quint16(name.size()));
    put16(header, 0);
    out_.write(header + name);
}

void ZipMaker::begin(const QString &name, Options options)
{
    open_ = new Entry{name, options, quint32(::crc32(0, nullptr, 0)), 0, 0, out_.pos()};
    entries_.append(open_);
    writeLocalHeader(*open_);
    if (options.deflated) {
        deflater_ = std::make_unique<Deflater>();
        deflateInit2(&deflater_->z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    }
}

void ZipMaker::write(const QByteArray &bytes)
{
    open_->crc = quint32(::crc32(open_->crc, reinterpret_cast<const Bytef *>(bytes.constData()),
                                 uInt(bytes.size())));
    open_->size += bytes.size();
    if (!open_->options.deflated) {
        out_.write(bytes);
        open_->compressed += bytes.size();
        return;
    }
    z_stream &z = deflater_->z;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    z.avail_in = uInt(bytes.size());
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    do {
        z.next_out = reinterpret_cast<Bytef *>(buffer.data());
        z.avail_out = uInt(buffer.size());
        deflate(&z, Z_NO_FLUSH);
        const qint64 n = buffer.size() - z.avail_out;
        out_.write(buffer.constData(), n);
        open_->compressed += n;
    } while (z.avail_out == 0);
}

void ZipMaker::end()
{
    if (open_->options.deflated) {
        z_stream &z = deflater_->z;
        z.next_in = nullptr;
        z.avail_in = 0;
        QByteArray buffer(1 << 16, Qt::Uninitialized);
        int result = Z_OK;
        do {
            z.next_out = reinterpret_cast<Bytef *>(buffer.data());
            z.avail_out = uInt(buffer.size());
            result = deflate(&z, Z_FINISH);
            const qint64 n = buffer.size() - z.avail_out;
            out_.write(buffer.constData(), n);
            open_->compressed += n;
        } while (result != Z_STREAM_END);
        deflateEnd(&z);
        deflater_.reset();
    }
    if (open_->options.dataDescriptor) {
        QByteArray descriptor;
        put32(descriptor, 0x08074b50);
        put32(descriptor, open_->crc);
        put32(descriptor, quint32(open_->compressed));
        put32(descriptor, quint32(open_->size));
        out_.write(descriptor);
    } else {
        const qint64 here = out_.pos();
        out_.seek(open_->offset);
        writeLocalHeader(*open_);
        out_.seek(here);
    }
    open_ = nullptr;
}

void ZipMaker::add(const QString &name, const QByteArray &bytes, Options options)
{
    begin(name, options);
    write(bytes);
    end();
}

void ZipMaker::addRaw(const QString &name, const QByteArray &deflated, quint32 crc,
                      qint64 declaredSize)
{
    auto *entry = new Entry{name, Options{}, crc, deflated.size(), declaredSize, out_.pos()};
    entries_.append(entry);
    writeLocalHeader(*entry);
    out_.write(deflated);
}

void ZipMaker::finish()
{
    const qint64 start = out_.pos();
    QByteArray directory;
    for (const Entry *entry : std::as_const(entries_)) {
        const QByteArray name = entry->name.toUtf8();
        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, quint16(0x0800 | (entry->options.dataDescriptor ? 0x0008 : 0) |
                                 entry->options.extraFlags));
        put16(directory, entry->options.deflated ? 8 : 0);
        put16(directory, 0x6000);
        put16(directory, 0x5A21);
        put32(directory, entry->crc);
        put32(directory, quint32(entry->compressed));
        put32(directory, quint32(std::min<qint64>(entry->size, 0xFFFFFFFE)));
        put16(directory, quint16(name.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, quint32(entry->offset));
        directory += name;
    }
    out_.write(directory);
    QByteArray end;
    put32(end, 0x06054b50);
    put16(end, 0);
    put16(end, 0);
    put16(end, quint16(entries_.size()));
    put16(end, quint16(entries_.size()));
    put32(end, quint32(directory.size()));
    put32(end, quint32(start));
    put16(end, 0);
    out_.write(end);
}

QByteArray rawDeflate(const QByteArray &bytes)
{
    return deflateAll(bytes, Z_FINISH);
}

quint32 crc32Of(const QByteArray &bytes)
{
    return quint32(::crc32(::crc32(0, nullptr, 0),
                           reinterpret_cast<const Bytef *>(bytes.constData()), uInt(bytes.size())));
}

QByteArray repeatedDeflate(const QByteArray &block, qint64 copies, quint32 *crc)
{
    // A full flush ends the block on a byte boundary with no reference behind it, so the
    // same bytes may follow themselves; an empty final block ends the stream.
    const QByteArray once = deflateAll(block, Z_FULL_FLUSH);
    QByteArray stream;
    stream.reserve(once.size() * copies + 8);
    quint32 sum = quint32(::crc32(0, nullptr, 0));
    for (qint64 i = 0; i < copies; ++i) {
        stream += once;
        sum = quint32(
            ::crc32(sum, reinterpret_cast<const Bytef *>(block.constData()), uInt(block.size())));
    }
    stream += QByteArray("\x03\x00", 2); // a final block of fixed codes holding only its end
    if (crc)
        *crc = sum;
    return stream;
}

namespace {
const QStringList Departments{"销售部", "财务部",   "技术部", "行政部", "人事部",
                              "市场部", "生产部",   "采购部", "质量部", "客服部",
                              "法务部", "研发中心", "物流部", "审计部", "信息部",
                              "安全部", "培训部",   "总经办", "工程部", "设计部"};
} // namespace

qint64 writeStaffWorkbook(const QString &path, const QStringList &names)
{
    const qsizetype rows = names.size();
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return 0;
    ZipMaker zip(file);
    qint64 unpacked = 0;
    const auto add = [&](const QString &name, const QByteArray &bytes) {
        zip.add(name, bytes);
        unpacked += bytes.size();
    };
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    add("[Content_Types].xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>");
    add("_rels/.rels", "<Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "relationships\"><Relationship Id=\"rId1\" Type=\"" +
                           rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    add("xl/workbook.xml",
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" +
            rel +
            "\"><sheets><sheet name=\"员工名单\" sheetId=\"1\" "
            "r:id=\"rId1\"/></sheets></workbook>");
    add("xl/_rels/workbook.xml.rels",
        "<Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
        "Id=\"rId1\" Type=\"" +
            rel +
            "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
            rel +
            "/sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship Id=\"rId3\" Type=\"" +
            rel + "/styles\" Target=\"styles.xml\"/></Relationships>");
    add("xl/styles.xml",
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><cellXfs "
        "count=\"1\"><xf numFmtId=\"0\"/></cellXfs></styleSheet>");

    // Shared strings: the header, the departments, then each distinct name once.
    QHash<QString, int> index;
    QStringList strings{"工号", "姓名", "部门"};
    strings += Departments;
    for (const QString &s : std::as_const(strings))
        index.insert(s, int(index.size()));
    for (const QString &name : names) {
        if (!index.contains(name)) {
            index.insert(name, int(strings.size()));
            strings.append(name);
        }
    }
    const auto chunked = [&](const QString &part, auto &&body) {
        zip.begin(part);
        QByteArray chunk;
        const auto flush = [&](bool always) {
            if (always || chunk.size() > (1 << 20)) {
                zip.write(chunk);
                unpacked += chunk.size();
                chunk.clear();
            }
        };
        body(chunk, flush);
        flush(true);
        zip.end();
    };
    chunked("xl/sharedStrings.xml", [&](QByteArray &chunk, auto &&flush) {
        chunk += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<sst "
                 "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
                 QByteArray::number(rows * 2 + 3) + "\" uniqueCount=\"" +
                 QByteArray::number(strings.size()) + "\">";
        for (const QString &s : std::as_const(strings)) {
            chunk += "<si><t>" + s.toHtmlEscaped().toUtf8() + "</t></si>";
            flush(false);
        }
        chunk += "</sst>";
    });
    chunked("xl/worksheets/sheet1.xml", [&](QByteArray &chunk, auto &&flush) {
        chunk += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<worksheet "
                 "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" +
                 rel + "\"><dimension ref=\"A1:C" + QByteArray::number(rows + 1) +
                 "\"/><sheetViews><sheetView tabSelected=\"1\" "
                 "workbookViewId=\"0\"/></sheetViews><sheetFormatPr "
                 "defaultRowHeight=\"14.25\"/><sheetData>"
                 "<row r=\"1\" spans=\"1:3\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" "
                 "t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c></row>";
        for (qsizetype i = 0; i < rows; ++i) {
            const QByteArray r = QByteArray::number(i + 2);
            chunk += "<row r=\"" + r + "\" spans=\"1:3\"><c r=\"A" + r + "\"><v>" +
                     QByteArray::number(100001 + i) + "</v></c><c r=\"B" + r + "\" t=\"s\"><v>" +
                     QByteArray::number(index.value(names[i])) + "</v></c><c r=\"C" + r +
                     "\" t=\"s\"><v>" + QByteArray::number(3 + (i * 7) % 20) + "</v></c></row>";
            flush(false);
        }
        chunk += "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
                 "header=\"0.3\" footer=\"0.3\"/></worksheet>";
    });
    zip.finish();
    return unpacked;
}

QString columnLetters(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QList<WorkbookMaker::Row> WorkbookMaker::rowsOf(const QList<QStringList> &table)
{
    QList<Row> rows;
    for (qsizetype r = 0; r < table.size(); ++r) {
        Row row{int(r + 1), {}};
        for (qsizetype c = 0; c < table[r].size(); ++c) {
            if (!table[r][c].isEmpty())
                row.cells.append(text(columnLetters(int(c)) + QString::number(r + 1), table[r][c]));
        }
        rows.append(row);
    }
    return rows;
}

int WorkbookMaker::sharedIndex(const QString &text)
{
    ++sharedUses_;
    const auto found = sharedIndex_.constFind(text);
    if (found != sharedIndex_.cend())
        return *found;
    shared_.append(text);
    sharedIndex_.insert(text, int(shared_.size() - 1));
    return int(shared_.size() - 1);
}

QByteArray WorkbookMaker::sheetXml(const Sheet &sheet)
{
    const QString p = prefix;
    QString xml =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n");
    xml += QStringLiteral(
               "<%1worksheet xmlns%2=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">")
               .arg(p, p.isEmpty() ? QString() : u':' + p.chopped(1));
    xml += QStringLiteral("<%1dimension ref=\"A1\"/><%1sheetViews><%1sheetView "
                          "workbookViewId=\"0\"/></%1sheetViews>"
                          "<%1sheetFormatPr defaultRowHeight=\"14.25\"/><%1cols><%1col min=\"1\" "
                          "max=\"3\" width=\"12\" customWidth=\"1\"/></%1cols>")
               .arg(p);
    xml += QStringLiteral("<%1sheetData>").arg(p);
    for (const Row &row : sheet.rows) {
        xml += row.number > 0
                   ? QStringLiteral("<%1row r=\"%2\" spans=\"1:3\">").arg(p).arg(row.number)
                   : QStringLiteral("<%1row>").arg(p);
        for (const Cell &cell : row.cells) {
            QString attributes;
            if (!cell.ref.isEmpty())
                attributes += QStringLiteral(" r=\"%1\"").arg(cell.ref);
            if (cell.style != General)
                attributes += QStringLiteral(" s=\"%1\"").arg(cell.style);
            switch (cell.kind) {
            case Cell::Shared:
                xml += QStringLiteral("<%1c%2 t=\"s\"><%1v>%3</%1v></%1c>")
                           .arg(p, attributes)
                           .arg(sharedIndex(cell.value));
                break;
            case Cell::Inline:
                xml += QStringLiteral("<%1c%2 t=\"inlineStr\"><%1is><%1t "
                                      "xml:space=\"preserve\">%3</%1t></%1is></%1c>")
                           .arg(p, attributes, xmlEscaped(cell.value));
                break;
            case Cell::Number:
                xml += QStringLiteral("<%1c%2><%1v>%3</%1v></%1c>").arg(p, attributes, cell.value);
                break;
            case Cell::Boolean:
                xml += QStringLiteral("<%1c%2 t=\"b\"><%1v>%3</%1v></%1c>")
                           .arg(p, attributes, cell.value);
                break;
            case Cell::FormulaText:
                xml += QStringLiteral(
                           "<%1c%2 t=\"str\"><%1f>CONCATENATE(A1,B1)</%1f><%1v>%3</%1v></%1c>")
                           .arg(p, attributes, xmlEscaped(cell.value));
                break;
            case Cell::Error:
                xml += QStringLiteral("<%1c%2 t=\"e\"><%1f>1/0</%1f><%1v>%3</%1v></%1c>")
                           .arg(p, attributes, cell.value);
                break;
            case Cell::Empty:
                xml += QStringLiteral("<%1c%2/>").arg(p, attributes);
                break;
            }
        }
        xml += QStringLiteral("</%1row>").arg(p);
    }
    xml += QStringLiteral("</%1sheetData>").arg(p);
    if (!sheet.merges.isEmpty()) {
        xml += QStringLiteral("<%1mergeCells count=\"%2\">").arg(p).arg(sheet.merges.size());
        for (const QString &merge : sheet.merges)
            xml += QStringLiteral("<%1mergeCell ref=\"%2\"/>").arg(p, merge);
        xml += QStringLiteral("</%1mergeCells>").arg(p);
    }
    xml += QStringLiteral("<%1pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
                          "header=\"0.3\" footer=\"0.3\"/></%1worksheet>")
               .arg(p);
    return xml.toUtf8();
}

QByteArray WorkbookMaker::bytes()
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    ZipMaker zip(buffer);
    const QString head =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n");
    const QString rel =
        QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

    // The sheets first, so the shared string table knows every string.
    QList<QByteArray> sheets;
    for (const Sheet &sheet : std::as_const(sheets_))
        sheets.append(sheetXml(sheet));

    QString types =
        head + QStringLiteral(
                   "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                   "<Default Extension=\"rels\" "
                   "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                   "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                   "<Override PartName=\"/xl/workbook.xml\" "
                   "ContentType=\"application/"
                   "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>");
    for (qsizetype i = 0; i < sheets.size(); ++i)
        types += QStringLiteral("<Override PartName=\"/xl/worksheets/sheet%1.xml\" "
                                "ContentType=\"application/"
                                "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>")
                     .arg(i + 1);
    types += QStringLiteral(
        "<Override PartName=\"/xl/theme/theme1.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>"
        "<Override PartName=\"/xl/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
        "<Override PartName=\"/xl/sharedStrings.xml\" "
        "ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
        "<Override PartName=\"/docProps/core.xml\" "
        "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
        "<Override PartName=\"/docProps/app.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/></"
        "Types>");
    zip.add(QStringLiteral("[Content_Types].xml"), types.toUtf8(), zipOptions);

    zip.add(QStringLiteral("_rels/.rels"),
            (head + QStringLiteral(
                        "<Relationships "
                        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                        "<Relationship Id=\"rId3\" Type=\"%1/extended-properties\" "
                        "Target=\"docProps/app.xml\"/>"
                        "<Relationship Id=\"rId2\" "
                        "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/"
                        "metadata/core-properties\" Target=\"docProps/core.xml\"/>"
                        "<Relationship Id=\"rId1\" Type=\"%1/officeDocument\" "
                        "Target=\"xl/workbook.xml\"/></Relationships>")
                        .arg(rel))
                .toUtf8(),
            zipOptions);
    zip.add(
        QStringLiteral("docProps/app.xml"),
        (head +
         QStringLiteral(
             "<Properties "
             "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
             "<Application>Microsoft Excel</Application></Properties>"))
            .toUtf8(),
        zipOptions);
    zip.add(
        QStringLiteral("docProps/core.xml"),
        (head +
         QStringLiteral(
             "<cp:coreProperties "
             "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
             "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:creator>HR</dc:creator></"
             "cp:coreProperties>"))
            .toUtf8(),
        zipOptions);

    QString workbook =
        head + QStringLiteral(
                   "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                   "xmlns:r=\"%1\">"
                   "<fileVersion appName=\"xl\" lastEdited=\"7\"/>%2"
                   "<bookViews><workbookView xWindow=\"0\" yWindow=\"0\" windowWidth=\"28800\" "
                   "windowHeight=\"12300\" activeTab=\"%3\"/></bookViews><sheets>")
                   .arg(rel, date1904
                                 ? QStringLiteral("<workbookPr date1904=\"1\"/>")
                                 : QStringLiteral("<workbookPr defaultThemeVersion=\"166925\"/>"))
                   .arg(activeSheet);
    for (qsizetype i = 0; i < sheets_.size(); ++i)
        workbook += QStringLiteral("<sheet name=\"%1\" sheetId=\"%2\"%3 r:id=\"rId%2\"/>")
                        .arg(xmlEscaped(sheets_[i].name))
                        .arg(i + 1)
                        .arg(sheets_[i].hidden ? QStringLiteral(" state=\"hidden\"") : QString());
    workbook += QStringLiteral("</sheets><calcPr calcId=\"191029\"/></workbook>");
    zip.add(QStringLiteral("xl/workbook.xml"), workbook.toUtf8(), zipOptions);

    const qsizetype n = sheets.size();
    const QString base = absoluteTargets ? QStringLiteral("/xl/") : QString();
    QString relationships =
        head +
        QStringLiteral("<Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">");
    for (qsizetype i = 0; i < n; ++i)
        relationships += QStringLiteral("<Relationship Id=\"rId%1\" Type=\"%2/worksheet\" "
                                        "Target=\"%3worksheets/sheet%1.xml\"/>")
                             .arg(i + 1)
                             .arg(rel, base);
    relationships +=
        QStringLiteral(
            "<Relationship Id=\"rId%1\" Type=\"%2/theme\" Target=\"%3theme/theme1.xml\"/>"
            "<Relationship Id=\"rId%4\" Type=\"%2/styles\" Target=\"%3styles.xml\"/>"
            "<Relationship Id=\"rId%5\" Type=\"%2/sharedStrings\" "
            "Target=\"%3sharedStrings.xml\"/></Relationships>")
            .arg(n + 1)
            .arg(rel, base)
            .arg(n + 2)
            .arg(n + 3);
    zip.add(QStringLiteral("xl/_rels/workbook.xml.rels"), relationships.toUtf8(), zipOptions);

    for (qsizetype i = 0; i < n; ++i)
        zip.add(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1), sheets[i], zipOptions);
    zip.add(
        QStringLiteral("xl/theme/theme1.xml"),
        (head + QStringLiteral(
                    "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
                    "name=\"Office 主题\"/>"))
            .toUtf8(),
        zipOptions);
    zip.add(QStringLiteral("xl/styles.xml"),
            (head +
             QStringLiteral(
                 "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                 "<numFmts count=\"2\"><numFmt numFmtId=\"176\" "
                 "formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;;@\"/>"
                 "<numFmt numFmtId=\"177\" formatCode=\"000000\"/></numFmts>"
                 "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"等线\"/><charset "
                 "val=\"134\"/></font></fonts>"
                 "<fills count=\"1\"><fill><patternFill patternType=\"none\"/></fill></fills>"
                 "<borders count=\"1\"><border/></borders>"
                 "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
                 "borderId=\"0\"/></cellStyleXfs>"
                 "<cellXfs count=\"7\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
                 "xfId=\"0\"/>"
                 "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                 "applyNumberFormat=\"1\"/>"
                 "<xf numFmtId=\"176\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                 "applyNumberFormat=\"1\"/>"
                 "<xf numFmtId=\"177\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                 "applyNumberFormat=\"1\"/>"
                 "<xf numFmtId=\"20\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                 "applyNumberFormat=\"1\"/>"
                 "<xf numFmtId=\"58\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                 "applyNumberFormat=\"1\"/>"
                 "<xf numFmtId=\"2\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                 "applyNumberFormat=\"1\"/></cellXfs>"
                 "<cellStyles count=\"1\"><cellStyle name=\"常规\" xfId=\"0\" "
                 "builtinId=\"0\"/></cellStyles></styleSheet>"))
                .toUtf8(),
            zipOptions);
    const QString p = prefix;
    QString strings =
        head + QStringLiteral(
                   "<%1sst xmlns%2=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                   "count=\"%3\" uniqueCount=\"%4\">")
                   .arg(p, p.isEmpty() ? QString() : u':' + p.chopped(1))
                   .arg(sharedUses_)
                   .arg(shared_.size());
    for (const QString &text : std::as_const(shared_)) {
        const bool space = text != text.trimmed();
        strings += QStringLiteral("<%1si><%1t%2>%3</%1t></%1si>")
                       .arg(p, space ? QStringLiteral(" xml:space=\"preserve\"") : QString(),
                            xmlEscaped(text));
    }
    strings += QStringLiteral("</%1sst>").arg(p);
    zip.add(QStringLiteral("xl/sharedStrings.xml"), strings.toUtf8(), zipOptions);
    zip.finish();
    return buffer.data();
}

bool WorkbookMaker::save(const QString &path)
{
    const QByteArray data = bytes();
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QString staffDepartment(qsizetype index)
{
    return Departments.at((index * 7) % 20);
}

QByteArray workbookAround(const QByteArray &sheet, const QByteArray &strings)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    ZipMaker zip(buffer);
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    zip.add("xl/workbook.xml",
            "<workbook xmlns:r=\"" + rel +
                "\"><sheets><sheet name=\"S\" r:id=\"rId1\"/></sheets></workbook>");
    zip.add("xl/_rels/workbook.xml.rels",
            "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel +
                "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                "<Relationship Id=\"rId2\" Type=\"" +
                rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>");
    zip.add("xl/worksheets/sheet1.xml", sheet);
    zip.add("xl/sharedStrings.xml", strings);
    zip.finish();
    return buffer.data();
}
