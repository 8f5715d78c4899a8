#include "workbookmaker.h"

#include <QBuffer>
#include <QFile>
#include <QHash>

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
        const QString hidden = row.hidden ? QStringLiteral(" hidden=\"1\"") : QString();
        xml += row.number > 0 ? QStringLiteral("<%1row r=\"%2\" spans=\"1:3\"%3>")
                                    .arg(p)
                                    .arg(row.number)
                                    .arg(hidden)
                              : QStringLiteral("<%1row%2>").arg(p, hidden);
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
            case Cell::UnsavedFormula:
                xml += QStringLiteral("<%1c%2 t=\"str\"><%1f>%3</%1f></%1c>")
                           .arg(p, attributes, xmlEscaped(cell.value));
                break;
            }
        }
        xml += QStringLiteral("</%1row>").arg(p);
    }
    xml += QStringLiteral("</%1sheetData>").arg(p);
    if (!sheet.autoFilter.isEmpty())
        xml += QStringLiteral("<%1autoFilter ref=\"%2\"/>").arg(p, sheet.autoFilter);
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
