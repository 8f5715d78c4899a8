// Sheets as operators really have them, saved by Excel, WPS and the libraries HR systems
// use: lookups that failed, pasted invisible characters, hidden and filtered rows, a count
// and a signature under the list, a long preamble over the header, a cover sheet, a wide
// roster, and files that are no workbook. Each gives exactly its names in cjk.txt and the
// counts the dialog shows, or its own message.
#include "candidatefile.h"
#include "importnames.h"
#include "listsource.h"
#include "sheetsamples.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

namespace {

struct RealCase {
    QString sheet;     // the sheet chosen first
    QStringList names; // what reaches cjk.txt
    qsizetype hidden;  // hidden rows left out
    qsizetype errors;  // error values left out
    int duplicates;    // names that stand more than once
    qsizetype header;  // the header row found, -1: none
    qsizetype notes;   // the first row of the notes under the list, -1: none
    QString refusal;   // for a file that gives no list: words of its message
};

Row textRow(int number, const QStringList &texts, bool hidden = false)
{
    Row row{number, {}, hidden};
    for (int i = 0; i < texts.size(); ++i) {
        if (!texts[i].isEmpty())
            row.cells.append(
                WorkbookMaker::text(columnLetters(i) + QString::number(number), texts[i]));
    }
    return row;
}

QByteArray oneSheet(const Sheet &sheet)
{
    WorkbookMaker book;
    book.addSheet(sheet);
    return book.bytes();
}

const QString Zwsp = QString(QChar(0x200B));
const QString Zwj = QString(QChar(0x200D));
const QString Bom = QString(QChar(0xFEFF));
const QString Family = QStringLiteral("👨") + Zwj + QStringLiteral("👩") + Zwj + "👧";

} // namespace

Q_DECLARE_METATYPE(RealCase)

class RealSheetTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void importsSheetsAsOperatorsHaveThem_data();
    void importsSheetsAsOperatorsHaveThem();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void RealSheetTest::importsSheetsAsOperatorsHaveThem_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<RealCase>("expected");
    using W = WorkbookMaker;

    {
        Sheet sheet{"名单", {textRow(1, {"工号", "姓名", "部门"})}, {}};
        const QStringList names{"赵敏", "#N/A", "钱多", "#N/A", "#REF!", "孙俪"};
        for (int i = 0; i < names.size(); ++i) {
            const QString r = QString::number(i + 2);
            const bool error = names[i].startsWith(u'#');
            sheet.rows.append(Row{i + 2,
                                  {W::number("A" + r, QString::number(101 + i)),
                                   c("B" + r, error ? Cell::Error : Cell::Shared, names[i]),
                                   W::text("C" + r, "销售部")}});
        }
        QTest::newRow("lookups that failed: #N/A and #REF! are no names")
            << "名单.xlsx" << oneSheet(sheet)
            << RealCase{"名单", {"赵敏", "钱多", "孙俪"}, 0, 3, 0, 0, -1, {}};
    }
    QTest::newRow("pasted invisible characters: look-alikes are one name")
        << "名单.csv"
        << ("姓名\r\n张伟" + Zwsp + "\r\n" + Bom + "李娜\r\n刘" + Zwj +
            "洋\r\n张伟\r\n李娜\r\n刘洋\r\n" + QChar(0x200F) + "王芳" + QChar(0x2060) + "\r\n" +
            Family + "\r\n")
               .toUtf8()
        << RealCase{"名单.csv", {"张伟", "李娜", "刘洋", "张伟", "李娜", "刘洋", "王芳", Family},
                    0,          0,
                    3,          0,
                    -1,         {}};
    QTest::newRow("rows hidden in the sheet (staff who left)")
        << "名单.xlsx"
        << oneSheet({"Sheet1",
                     {textRow(1, {"姓名", "备注"}), textRow(2, {"周一"}),
                      textRow(3, {"吴二", "离职"}, true), textRow(4, {"郑三"}),
                      textRow(5, {"王四", "离职"}, true), textRow(6, {"冯五"})},
                     {}})
        << RealCase{"Sheet1", {"周一", "郑三", "冯五"}, 2, 0, 0, 0, -1, {}};
    {
        Sheet sheet{"Sheet1",
                    {textRow(1, {"姓名", "部门"}), textRow(2, {"陈一", "技术部"}),
                     textRow(3, {"褚二", "财务部"}, true), textRow(4, {"卫三", "技术部"})},
                    {}};
        sheet.autoFilter = "A1:B4";
        QTest::newRow("rows hidden by a filter")
            << "名单.xlsx" << oneSheet(sheet)
            << RealCase{"Sheet1", {"陈一", "卫三"}, 1, 0, 0, 0, -1, {}};
    }
    {
        QList<QStringList> rows{{"序号", "姓名", "部门"}};
        const QStringList people{"蒋一", "沈二", "韩三", "杨四", "朱五", "秦六", "尤七", "许八"};
        for (int i = 0; i < people.size(); ++i)
            rows.append(
                QStringList{QString::number(i + 1), people[i], i % 2 ? "市场部" : "人事部"});
        rows.append(QStringList{});
        rows.append(QStringList{"", "共8人"});
        rows.append(QStringList{"", "人事部 王芳（2027-01-05）"});
        QTest::newRow("a count and a signature under the list")
            << "名单.xlsx" << oneSheet({"Sheet1", W::rowsOf(rows), {}})
            << RealCase{"Sheet1", people, 0, 0, 0, 0, 10, {}};
        rows.removeAt(9);
        rows.removeLast();
        rows.last() = QStringList{"", "合计：8 人"};
        QTest::newRow("a total straight under the names") << "名单.csv" << [&] {
            QStringList lines;
            for (const QStringList &row : rows)
                lines << row.join(u',');
            return lines.join("\r\n").toUtf8();
        }() << RealCase{"名单.csv", people, 0, 0, 0, 0, 9, {}};
    }
    {
        QList<QStringList> rows;
        for (int i = 1; i <= 11; ++i)
            rows.append(
                QStringList{QStringLiteral("%1. 请核对本人信息，如有遗漏请联系人事部").arg(i)});
        rows.append(QStringList{"序号", "工号", "姓名", "部门"});
        rows.append(QStringList{"1", "2001", "何一", "工程部"});
        rows.append(QStringList{"2", "2002", "吕二", "工程部"});
        QTest::newRow("a header under eleven lines of instructions")
            << "名单.xlsx" << oneSheet({"Sheet1", W::rowsOf(rows), {}})
            << RealCase{"Sheet1", {"何一", "吕二"}, 0, 0, 0, 11, -1, {}};
    }
    {
        WorkbookMaker book;
        book.addSheet(
            {"说明",
             W::rowsOf({{"1. 本表由人事部维护"}, {"2. 如有遗漏请联系人事部"}, {"3. 请勿修改表头"}}),
             {}});
        book.addSheet({"名单", W::rowsOf({{"姓名"}, {"施一"}, {"张二"}}), {}});
        QTest::newRow("a cover sheet of instructions before the list")
            << "名单.xlsx" << book.bytes()
            << RealCase{"名单", {"施一", "张二"}, 0, 0, 0, 0, -1, {}};
    }
    {
        // Thirty columns; 公司 is the same for all, 部门 tells the two 张伟 apart.
        QStringList header{"序号", "工号", "公司", "姓名", "性别", "部门"};
        for (int i = header.size(); i < 30; ++i)
            header << QStringLiteral("字段%1").arg(i + 1);
        QList<QStringList> rows{header};
        const QList<QStringList> people{{"张伟", "销售部"}, {"李娜", "财务部"}, {"张伟", "技术部"}};
        for (int i = 0; i < people.size(); ++i) {
            QStringList row{QString::number(i + 1),
                            QString::number(3001 + i),
                            "某某科技",
                            people[i][0],
                            "男",
                            people[i][1]};
            for (int j = row.size(); j < 30; ++j)
                row << QStringLiteral("值%1").arg(i * 30 + j);
            rows.append(row);
        }
        QTest::newRow("a wide roster: the column that tells the two apart, not the company")
            << "花名册.xlsx" << oneSheet({"花名册", W::rowsOf(rows), {}})
            << RealCase{
                   "花名册", {"张伟（销售部）", "李娜（财务部）", "张伟（技术部）"}, 0, 0, 0, 0, -1,
                   {}};
        rows.remove(3);
        QTest::newRow("a wide roster without repeated names: no brackets")
            << "花名册.xlsx" << oneSheet({"花名册", W::rowsOf(rows), {}})
            << RealCase{"花名册", {"张伟", "李娜"}, 0, 0, 0, 0, -1, {}};
    }
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        ZipMaker zip(buffer);
        zip.add("[Content_Types].xml", "<Types/>");
        zip.add("_rels/.rels",
                "<Relationships><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats."
                "org/officeDocument/2006/relationships/officeDocument\" "
                "Target=\"word/document.xml\"/></Relationships>");
        zip.add("word/document.xml", "<w:document><w:body><w:p/></w:body></w:document>");
        zip.finish();
        const RealCase word{{}, {}, 0, 0, 0, -1, -1, "是 Word 文档"};
        QTest::newRow("a Word document") << "名单.docx" << buffer.data() << word;
        QTest::newRow("a Word document renamed .xlsx") << "名单.xlsx" << buffer.data() << word;
    }
    {
        // Saved by LibreOffice Calc from a CSV: every row with its height and six attributes.
        QFile saved(QStringLiteral(PRIZEDRAW_TEST_DATA "/libreoffice-staff.xlsx"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QTest::newRow("a staff list saved by LibreOffice Calc")
            << "libreoffice-staff.xlsx" << saved.readAll()
            << RealCase{"libreoffice-staff",
                        {"马辉", "武刚", "汤平", "周文", "汤杰", "姚兰", "杨磊",
                         "杨超", "龙英", "龙兰", "覃磊", "严建", "谭萍", "谭建",
                         "付凯", "任强", "何敏", "韦敏", "金刚", "邹辉"},
                        0,
                        0,
                        0,
                        0,
                        -1,
                        {}};
    }
    QTest::newRow("an Excel 2003 XML workbook named .xls")
        << "名单.xls"
        << QByteArray("<?xml version=\"1.0\"?>\r\n<?mso-application progid=\"Excel.Sheet\"?>\r\n"
                      "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\">"
                      "<Worksheet ss:Name=\"Sheet1\"><Table><Row><Cell><Data ss:Type=\"String\">"
                      "张三</Data></Cell></Row></Table></Worksheet></Workbook>")
        << RealCase{{}, {}, 0, 0, 0, -1, -1, "Excel 2003 XML"};
    {
        Sheet sheet{"Sheet1", {}, {}};
        for (int i = 0; i < 3; ++i)
            sheet.rows.append(Row{i + 1,
                                  {c(QStringLiteral("A%1").arg(i + 1), Cell::UnsavedFormula,
                                     "VLOOKUP(B1,花名册!A:B,2,0)")}});
        QTest::newRow("formulas saved without their results")
            << "名单.xlsx" << oneSheet(sheet)
            << RealCase{{}, {}, 0, 0, 0, -1, -1, "公式没有保存结果：请在表格程序里打开并保存一次"};
    }
}

void RealSheetTest::importsSheetsAsOperatorsHaveThem()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(RealCase, expected);
    const QString path = writeInto(*dir_, fileName, bytes);

    ReadFailure failure;
    const OpenedList opened = openList(path, {}, failure);
    if (!expected.refusal.isEmpty()) {
        QVERIFY(!failure.ok());
        const QString message = listSourceFailureText(path, failure);
        QVERIFY2(message.contains(expected.refusal), qPrintable(message));
        return;
    }
    QVERIFY2(failure.ok(), qPrintable(listSourceFailureText(path, failure)));
    QCOMPARE(opened.source->sheetNames().value(opened.sheet), expected.sheet);

    const ImportColumns columns = suggestColumns(opened.table);
    QCOMPARE(columns.firstRow, expected.header + 1);
    QCOMPARE(columns.endRow, expected.notes);
    const ImportedNames imported = importNames(opened.table, columns);
    QCOMPARE(imported.names.toStringList(), expected.names);
    QCOMPARE(imported.hiddenRows, expected.hidden);
    QCOMPARE(imported.errorNames, expected.errors);
    QCOMPARE(imported.duplicates.size(), expected.duplicates);

    // What reaches cjk.txt, read back through the draw's own reader.
    const QString list = writeInto(*dir_, "cjk.txt", importedListBytes(imported.names));
    QCOMPARE(readCandidatePool(list).names.toStringList(), expected.names);

    // The operator's undo: hidden rows taken in, the notes kept.
    ImportColumns all = columns;
    all.hiddenRows = true;
    all.endRow = -1;
    const ImportedNames everything = importNames(opened.table, all);
    QCOMPARE(everything.hiddenRows, 0);
    QCOMPARE(everything.names.size(),
             imported.names.size() + expected.hidden +
                 (expected.notes >= 0 ? opened.table.rowCount() - expected.notes : 0));
}

int runRealSheetTest(int argc, char *argv[])
{
    RealSheetTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "realsheettest.moc"
