// OpenDocument spreadsheets: one saved by LibreOffice Calc, and content.xml written here
// for what LibreOffice, WPS and Excel write less often: repeated rows and cells, a million
// empty rows, filters, groups, merges, other namespace prefixes, broken packages.
#include "importnames.h"
#include "listsource.h"
#include "sheetsamples.h"
#include "zipmaker.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray Namespaces = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                              "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                              "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                              "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\"";

// content.xml around `body` (the spreadsheet's tables), its automatic styles hiding the
// tables of style "hidden".
QByteArray contentAround(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content " + Namespaces +
           "><office:automatic-styles><style:style style:name=\"hidden\" "
           "style:family=\"table\"><style:table-properties table:display=\"false\"/>"
           "</style:style></office:automatic-styles><office:body><office:spreadsheet>" +
           body + "</office:spreadsheet></office:body></office:document-content>";
}

// The package of that content.xml, with settings.xml when a sheet is named active.
QByteArray package(const QByteArray &content, const QByteArray &active = {},
                   const QByteArray &mimetype = "application/vnd.oasis.opendocument.spreadsheet")
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    ZipMaker zip(buffer);
    zip.add("mimetype", mimetype, {false, false, 0});
    zip.add("content.xml", content);
    if (!active.isEmpty())
        zip.add("settings.xml",
                "<office:document-settings "
                "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                "xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\"><config:"
                "config-item config:name=\"ActiveTable\" config:type=\"string\">" +
                    active + "</config:config-item></office:document-settings>");
    zip.finish();
    return buffer.data();
}

QByteArray odsAround(const QByteArray &body, const QByteArray &active = {})
{
    return package(contentAround(body), active);
}

QByteArray cell(const QByteArray &text, const QByteArray &attributes = {})
{
    return "<table:table-cell office:value-type=\"string\" " + attributes + "><text:p>" + text +
           "</text:p></table:table-cell>";
}

QByteArray row(const QByteArray &cells, const QByteArray &attributes = {})
{
    return "<table:table-row " + attributes + ">" + cells + "</table:table-row>";
}

QByteArray table(const QByteArray &name, const QByteArray &rows, const QByteArray &style = {})
{
    return "<table:table table:name=\"" + name + "\" table:style-name=\"" + style +
           "\"><table:table-column table:number-columns-repeated=\"3\"/>" + rows + "</table:table>";
}

} // namespace

class OdsReadTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void importsWhatLibreOfficeSaves();
    void readsTablesAsWritten_data();
    void readsTablesAsWritten();
    void refusesBrokenPackages_data();
    void refusesBrokenPackages();

private:
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(dir_->filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
                   ? file.fileName()
                   : QString();
    }
    std::unique_ptr<QTemporaryDir> dir_;
};

void OdsReadTest::importsWhatLibreOfficeSaves()
{
    // Saved by LibreOffice Calc 7.4: an instructions sheet first, the list active, an old
    // list hidden; a comment on 张三, a department merged over two rows, a hidden row, a
    // failed lookup, two spaces, two paragraphs, one person entered twice.
    ReadFailure failure;
    const OpenedList opened =
        openList(QStringLiteral(PRIZEDRAW_TEST_DATA "/libreoffice-staff.ods"), {}, failure);
    QVERIFY2(failure.ok(), qPrintable(failure.detail));
    QCOMPARE(opened.source->sheetNames(), QStringList({"说明", "名单", "旧名单"}));
    // The sheet shown at saving is the first; the list is chosen by its header.
    QCOMPARE(opened.source->firstSheet(), 0);
    QVERIFY(opened.source->isHidden(2) && !opened.source->isHidden(1));
    QCOMPARE(opened.source->description(), QStringLiteral("OpenDocument 表格"));
    QCOMPARE(opened.sheet, 1);

    const ImportColumns columns = suggestColumns(opened.table);
    QCOMPARE(columns.firstRow, 1);
    const ImportedNames imported = importNames(opened.table, columns);
    QCOMPARE(imported.names.toStringList(),
             QStringList({"张三", "李四", "王伟", "Anna  Smith", "周八", "周八", "吴九"}));
    QCOMPARE(imported.hiddenRows, 1);
    QCOMPARE(imported.errorNames, 1);
    QCOMPARE(imported.duplicates.size(), 1);
    // The merged department stands beside both of its people.
    QCOMPARE(importNames(opened.table, {1, 2, 1}).names.toStringList().mid(1, 2),
             QStringList({"李四（财务部）", "王伟（财务部）"}));

    // The dialog's second look at the sheet reads the file again.
    const SheetTable again = opened.source->readSheet(1, {}, failure);
    QVERIFY(failure.ok());
    QCOMPARE(rowsOf(again), rowsOf(opened.table));
}

void OdsReadTest::readsTablesAsWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("sheet"); // chosen first
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("rows and cells repeated")
        << odsAround(table("S", row(cell("甲", "table:number-columns-repeated=\"2\"") + cell("乙"),
                                    "table:number-rows-repeated=\"3\"")))
        << "S" << QStringList{"甲|甲|乙", "甲|甲|乙", "甲|甲|乙"};
    QTest::newRow("a million empty rows and a thousand empty columns after the list")
        << odsAround(
               table("S", row(cell("张三")) +
                              row("<table:table-cell table:number-columns-repeated=\"1024\"/>",
                                  "table:number-rows-repeated=\"1048575\"")))
        << "S" << QStringList{"张三"};
    QTest::newRow("rows hidden by a filter and collapsed")
        << odsAround(table("S", row(cell("姓名")) +
                                    row(cell("张三"), "table:visibility=\"filter\"") +
                                    row(cell("李四"), "table:visibility=\"collapse\"") +
                                    row(cell("王五"), "table:visibility=\"visible\"")))
        << "S" << QStringList{"姓名", "张三（隐藏）", "李四（隐藏）", "王五"};
    QTest::newRow("header rows and a group of rows")
        << odsAround(table("S", "<table:table-header-rows>" + row(cell("姓名")) +
                                    "</table:table-header-rows><table:table-row-group>" +
                                    row(cell("张三")) + "</table:table-row-group>" +
                                    row(cell("李四"))))
        << "S" << QStringList{"姓名", "张三", "李四"};
    QTest::newRow("a merge across and down, its covered cells empty")
        << odsAround(table(
               "S", row(cell("销售部", "table:number-columns-spanned=\"2\" "
                                       "table:number-rows-spanned=\"2\"") +
                        "<table:covered-table-cell><text:p>旧</text:p></table:covered-table-cell>" +
                        cell("张三")) +
                        row("<table:covered-table-cell table:number-columns-repeated=\"2\"/>" +
                            cell("李四"))))
        << "S" << QStringList{"销售部||张三", "销售部||李四"};
    QTest::newRow("spaces, a tab, a line break, spans, a link and a comment")
        << odsAround(
               table("S", row("<table:table-cell><office:annotation><text:p>备注</text:p>"
                              "</office:annotation><text:p>Anna<text:s text:c=\"2\"/>Smith</text:p>"
                              "</table:table-cell>" +
                              cell("<text:span>欧阳</text:span><text:a>娜娜</text:a>") +
                              cell("一<text:tab/>二<text:line-break/>三"))))
        << "S" << QStringList{"Anna  Smith|欧阳娜娜|一 二 三"};
    QTest::newRow("other prefixes for the namespaces")
        << package(
               contentAround(table("S", row(cell("张三", "table:number-columns-repeated=\"2\""))))
                   .replace("<table:", "<t:")
                   .replace("</table:", "</t:")
                   .replace(" table:", " t:")
                   .replace("xmlns:table=", "xmlns:t=")
                   .replace("<text:", "<x:")
                   .replace("</text:", "</x:")
                   .replace("xmlns:text=", "xmlns:x="))
        << "S" << QStringList{"张三|张三"};
    QTest::newRow("a cover sheet first, the list active, an old list hidden")
        << odsAround(table("说明", row(cell("请填写名单"))) +
                         table("名单", row(cell("姓名")) + row(cell("张三"))) +
                         table("旧名单", row(cell("姓名")) + row(cell("钱一")), "hidden"),
                     "名单")
        << "名单" << QStringList{"姓名", "张三"};
}

void OdsReadTest::readsTablesAsWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, sheet);
    QFETCH(QStringList, rows);
    const QString path = write("名单.ods", bytes);
    ReadFailure failure;
    const OpenedList opened = openList(path, {}, failure);
    QVERIFY2(failure.ok(), qPrintable(listSourceFailureText(path, failure)));
    QCOMPARE(opened.source->sheetNames().value(opened.sheet), sheet);
    QCOMPARE(rowsOf(opened.table), rows);
}

void OdsReadTest::refusesBrokenPackages_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("words");

    QTest::newRow("content.xml cut off")
        << package(contentAround(table("S", row(cell("张三")))).chopped(40))
        << "另存为 Excel 工作簿";
    QTest::newRow("no spreadsheet in content.xml")
        << package(contentAround({}).replace("office:spreadsheet", "office:drawing"))
        << "可能已损坏";
    QTest::newRow("an OpenDocument text document")
        << package(contentAround({}), {}, "application/vnd.oasis.opendocument.text")
        << "不是名单文件（OpenDocument 文档，不是表格）";
    QTest::newRow("a cell repeated past the table's budget")
        << odsAround(table("S", row(cell("张三", "table:number-columns-repeated=\"16384\""),
                                    "table:number-rows-repeated=\"1048576\"")))
        << "解压后大得异常";
}

void OdsReadTest::refusesBrokenPackages()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, words);
    const QString path = write("名单.ods", bytes);
    ReadFailure failure;
    const OpenedList opened = openList(path, {}, failure);
    QVERIFY(!opened.source);
    const QString message = listSourceFailureText(path, failure);
    QVERIFY2(message.contains(words), qPrintable(message));
}

int runOdsReadTest(int argc, char *argv[])
{
    OdsReadTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "odsreadtest.moc"
