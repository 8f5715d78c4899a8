// The rows read straight from their bytes give what the XML reader gives, cell for cell, and
// rows the quick reading does not know are left to the reader.
#include "xlsxinternals.h"

#include <QTest>

class QuickRowsTest : public QObject {
    Q_OBJECT

private slots:
    void readsAsTheXmlReaderDoes_data();
    void readsAsTheXmlReaderDoes();
};

void QuickRowsTest::readsAsTheXmlReaderDoes_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<bool>("quick"); // whether the quick reading takes them

    QTest::newRow("LibreOffice: every attribute, hidden=\"true\", numbers and strings")
        << QByteArray("<row r=\"1\" customFormat=\"false\" ht=\"12.8\" hidden=\"false\" "
                      "outlineLevel=\"0\"><c r=\"A1\" s=\"0\" t=\"n\"><v>100001</v></c>"
                      "<c r=\"B1\" s=\"1\" t=\"s\"><v>1</v></c></row>\n"
                      "<row r=\"3\" hidden=\"true\"><c r=\"B3\" t=\"s\"><v> 0 </v></c></row>")
        << true;
    QTest::newRow("Open XML SDK: prefixes, no references, self-closing cells and rows")
        << QByteArray("<x:row><x:c t=\"s\"><x:v>0</x:v></x:c><x:c s=\"2\"/><x:c><x:v>2.5</x:v>"
                      "</x:c></x:row><x:row/><x:row hidden='1'><x:c t='b'><x:v>1</x:v></x:c>"
                      "</x:row>")
        << true;
    QTest::newRow("formulas with and without their results, an error, a text result")
        << QByteArray("<row r=\"2\"><c r=\"A2\" t=\"e\"><f>VLOOKUP(B2,X!A:B,2,0)</f><v>#N/A</v>"
                      "</c><c r=\"B2\"><f>A1&amp;B1</f></c><c r=\"C2\" t=\"str\"><f>C1</f>"
                      "<v>李_x000D_四</v></c><c r=\"D2\" t=\"d\"><v>2024-01-15T00:00:00</v></c>"
                      "</row>")
        << true;
    QTest::newRow("an inline string: left to the reader")
        << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>张三</t></is></c></row>")
        << false;
    QTest::newRow("an entity in a value: left to the reader")
        << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>A&amp;B</v></c></row>") << false;
    QTest::newRow("a comment: left to the reader")
        << QByteArray("<row r=\"1\"><!-- x --><c r=\"A1\"><v>1</v></c></row>") << false;
    QTest::newRow("a row number out of range: left to the reader, which refuses it")
        << QByteArray("<row r=\"1048577\"><c r=\"A1\"><v>1</v></c></row>") << false;
    QTest::newRow("a shared string beyond the table: left to the reader, which refuses it")
        << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>7</v></c></row>") << false;
}

void QuickRowsTest::readsAsTheXmlReaderDoes()
{
    QFETCH(QByteArray, rows);
    QFETCH(bool, quick);
    const QList<CellFormat> styles{CellFormat(), CellFormat(), CellFormat::builtIn(2)};
    const xlsx::CellContext context{&styles, false, 2};
    const std::optional<xlsx::ParsedRows> fast = xlsx::parseRowsQuickly(rows, context);
    QCOMPARE(fast.has_value(), quick);
    if (!quick)
        return;
    const xlsx::ParsedRows read = xlsx::parseRowsWithReader(rows, context);
    QCOMPARE(read.error, QString());
    QCOMPARE(fast->cells.size(), read.cells.size());
    for (std::size_t i = 0; i < read.cells.size(); ++i) {
        const xlsx::ParsedCell &a = fast->cells[i];
        const xlsx::ParsedCell &b = read.cells[i];
        QCOMPARE(a.row, b.row);
        QCOMPARE(a.column, b.column);
        QCOMPARE(a.shared, b.shared);
        QCOMPARE(QStringView(fast->texts).mid(a.start, a.length).toString(),
                 QStringView(read.texts).mid(b.start, b.length).toString());
    }
}

int runQuickRowsTest(int argc, char *argv[])
{
    QuickRowsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "quickrowstest.moc"
