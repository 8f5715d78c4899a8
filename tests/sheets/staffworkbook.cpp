#include "workbookmaker.h"

#include <QFile>

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

QString staffDepartment(qsizetype index)
{
    return Departments.at((index * 7) % 20);
}
