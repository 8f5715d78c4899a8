// Reading a name list: real-shaped workbooks and delimited texts made here, read into the
// names cjk.txt gets.
#include "candidatefile.h"
#include "cellformat.h"
#include "filesizelimit.h"
#include "importnames.h"
#include "listsource.h"
#include "sheetsamples.h"
#include "testfiles.h"
#include "workbookmaker.h"
#include "ziparchive.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

class SheetReadTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void readsRealShapedFiles_data();
    void readsRealShapedFiles();
    void showsNumbersAndDatesAsASpreadsheetDoes_data();
    void showsNumbersAndDatesAsASpreadsheetDoes();
    void readsASheetOfManyBlocks_data();
    void readsASheetOfManyBlocks();
    void choosesTheFirstSheetWithText();

private:
    QString write(const QString &name, const QByteArray &bytes) const
    {
        return writeInto(*dir_, name, bytes);
    }
    std::unique_ptr<QTemporaryDir> dir_;
};

void SheetReadTest::readsRealShapedFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Expected>("expected");

    const QStringList staffNames{"张三（销售部）", "李四（财务部）", "王伟（财务部）",
                                 "王伟（技术部）", "张三（销售部）"};
    const Expected staff{"员工名单", 1, 2, true, staffNames, 1, {"张三（销售部）"}};
    QTest::newRow("Excel: 工号/姓名/部门, merged department, empty row, a duplicate")
        << "员工名单.xlsx" << staffWorkbook() << staff;

    {
        WorkbookMaker book;
        Sheet sheet{"Sheet1", {}, {"A1:C1"}};
        sheet.rows = WorkbookMaker::rowsOf({{"2027年新春联欢会抽奖名单"},
                                            {"序号", "姓名", "部门"},
                                            {"1", "赵六", "行政部"},
                                            {"2", "孙七", ""}});
        book.addSheet(sheet);
        QTest::newRow("a merged title over the header")
            << "名单.xlsx" << book.bytes()
            << Expected{"Sheet1", 1, 2, true, {"赵六（行政部）", "孙七"}, 0, {}};
    }
    {
        // Writers that leave out r="" and write every element with a prefix (the Open XML
        // SDK), with data descriptors and absolute part names.
        WorkbookMaker book;
        book.prefix = "x:";
        book.zipOptions.dataDescriptor = true;
        book.absoluteTargets = true;
        Sheet sheet{"Names", {}, {}};
        sheet.rows = {{0, {c({}, Cell::Shared, "Name")}},
                      {0, {c({}, Cell::Shared, "Anna Lee"), c({}, Cell::Shared, "Sales")}},
                      {0, {c({}, Cell::Inline, "  Bob Stone "), c({}, Cell::Shared, "IT")}}};
        book.addSheet(sheet);
        QTest::newRow("prefixed elements, no cell references, data descriptors")
            << "export.xlsx" << book.bytes()
            << Expected{"Names", 0, -1, true, {"Anna Lee", "Bob Stone"}, 0, {}};
    }
    {
        WorkbookMaker book;
        book.zipOptions.deflated = false;
        Sheet sheet{"Sheet1", {}, {}};
        sheet.rows = {
            {1, {WorkbookMaker::text("A1", "张\n三"), WorkbookMaker::number("B1", "13800138000")}},
            {2, {c("A2", Cell::FormulaText, "李_x000D_四"), c("B2", Cell::Boolean, "1")}},
            {3, {c("A3", Cell::Error, "#N/A")}},
            {4, {WorkbookMaker::inlineText("A4", "　王五　")}}};
        book.addSheet(sheet);
        // The error value is no name: its row is left out.
        QTest::newRow("stored entries, line breaks, formulas, an error, ideographic spaces")
            << "stored.xlsx" << book.bytes()
            << Expected{"Sheet1", 0, 1, false, {"张 三（13800138000）", "李 四（TRUE）", "王五"},
                        0,        {}};
    }
    {
        WorkbookMaker book;
        book.activeSheet = 2;
        book.addSheet({"说明", WorkbookMaker::rowsOf({{"本表由人事部维护"}}), {}, false});
        book.addSheet({"旧名单", WorkbookMaker::rowsOf({{"姓名"}, {"旧人"}}), {}, true});
        book.addSheet({"2027", WorkbookMaker::rowsOf({{"姓名"}, {"钱八"}, {"周九"}}), {}, false});
        QTest::newRow("the active sheet of three, one hidden")
            << "三个表.xlsx" << book.bytes()
            << Expected{"2027", 0, -1, true, {"钱八", "周九"}, 0, {}};
    }

    QTest::newRow("rich text with runs and phonetic guides, no package relationships")
        << "rich.xlsx"
        << workbookAround(
               "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"
               "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c></row></sheetData></worksheet>",
               "<sst><si><r><rPr><b/></rPr><t>王</t></r><r><t xml:space=\"preserve\">伟 </t></r>"
               "<rPh sb=\"0\" "
               "eb=\"1\"><t>ワン</t></rPh></si><si><t>山田_x000D__x000A_太郎</t></si></sst>")
        << Expected{"S", 0, -1, false, {"王伟", "山田 太郎"}, 0, {}};

    // Delimited text as spreadsheet programs and editors save it.
    const QString csv =
        "工号,姓名,部门\r\n10023,张三,销售部\r\n10024,\"王伟, Jr.\",\"技术\"\"一\"\"部\"\r\n"
        ",,\r\n10025,\"李\r\n四\",财务部\r\n10026,张三,销售部\r\n";
    const Expected csvNames{
        "",
        1,
        2,
        true,
        {"张三（销售部）", "王伟, Jr.（技术\"一\"部）", "李 四（财务部）", "张三（销售部）"},
        1,
        {"张三（销售部）"}};
    QTest::newRow(
        "CSV UTF-8 with BOM (Excel's CSV UTF-8), quotes, separators and a line break inside")
        << "staff.csv" << QByteArray("\xEF\xBB\xBF") + csv.toUtf8() << csvNames;
    QTest::newRow("CSV UTF-8 without BOM") << "staff.csv" << csv.toUtf8() << csvNames;
    QTest::newRow("CSV in GBK (Excel's CSV on a Chinese Windows)")
        << "staff.csv" << gbk(csv) << csvNames;
    QString semicolons = csv;
    semicolons.replace(u',', u';');
    semicolons.replace("王伟; Jr.", "王伟, Jr.");
    QTest::newRow("semicolons (a European Excel)")
        << "staff.csv" << semicolons.toUtf8() << csvNames;
    QTest::newRow("sep= line first")
        << "staff.csv" << ("sep=;\r\n" + semicolons).toUtf8() << csvNames;
    QString tabs = csv;
    tabs.replace(u',', u'\t');
    tabs.replace("王伟\t Jr.", "王伟, Jr.");
    QTest::newRow("UTF-16 LE with BOM, tabs (Excel's Unicode text)")
        << "staff.txt" << utf16le(tabs) << csvNames;
    QTest::newRow("UTF-16 BE with BOM, tabs") << "staff.txt" << utf16be(tabs) << csvNames;
    QTest::newRow("a plain list, one name a line, empty lines")
        << "names.txt" << gbk("赵六\r\n\r\n孙七\r\nAnna; Lee\r\n\r\n\r\n")
        << Expected{"", 0, -1, false, {"赵六", "孙七", "Anna; Lee"}, 1, {}};
    QTest::newRow("NUL characters in a list of one column (UTF-16)")
        << "zero.txt" << utf16le(QString("Anna\r\nB") + QChar(0) + "en\r\n")
        << Expected{"", 0, -1, false, {"Anna", "B en"}, 0, {}};
    QTest::newRow("a list with its title and LF line ends")
        << "names.csv" << QByteArray("Name\nAnna\nBen\nAnna\n")
        << Expected{"", 0, -1, true, {"Anna", "Ben", "Anna"}, 0, {"Anna"}};
}

void SheetReadTest::readsRealShapedFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(Expected, expected);
    const QString path = write(fileName, bytes);

    ReadFailure failure;
    OpenedList opened = openList(path, {}, failure);
    QVERIFY2(failure.ok(), qPrintable(listSourceFailureText(path, failure)));
    const QString sheet = opened.source->sheetNames().value(opened.sheet);
    QCOMPARE(sheet, expected.sheet.isEmpty() ? fileName : expected.sheet);

    const std::optional<qsizetype> header = findHeaderRow(opened.table);
    QCOMPARE(header.has_value(), expected.header);
    // What the dialog starts with: the same column of names, when a header names it.
    const ImportColumns suggested = suggestColumns(opened.table);
    QCOMPARE(suggested.name, expected.name);
    QCOMPARE(suggested.firstRow, header ? *header + 1 : 0);
    const ImportColumns columns{expected.name, expected.detail, header ? *header + 1 : 0};
    const ImportedNames imported = importNames(opened.table, columns);
    QCOMPARE(imported.names.toStringList(), expected.names);
    QCOMPARE(imported.emptyRows, expected.emptyRows);
    QStringList duplicates;
    for (qsizetype i = 0; i < imported.duplicates.size(); ++i)
        duplicates << imported.duplicates[i].name;
    QCOMPARE(duplicates, expected.duplicates);

    // The list as cjk.txt gets it reads back, through the draw's own reader, as these names.
    const QString list = write("cjk.txt", importedListBytes(imported.names));
    QCOMPARE(readCandidatePool(list).names.toStringList(), expected.names);
    QVERIFY(readBytes(list).endsWith("\r\n"));
}

void SheetReadTest::showsNumbersAndDatesAsASpreadsheetDoes_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("date1904");
    QTest::addColumn<QString>("shown");

    using W = WorkbookMaker;
    QTest::newRow("an ID") << "10023" << int(W::General) << false << "10023";
    QTest::newRow("an ID saved as a float") << "10023.0" << int(W::General) << false << "10023";
    QTest::newRow("a phone number") << "13800138000" << int(W::General) << false << "13800138000";
    QTest::newRow("a float's noise") << "0.30000000000000004" << int(W::General) << false << "0.3";
    QTest::newRow("a fraction") << "2.5" << int(W::General) << false << "2.5";
    QTest::newRow("a negative number") << "-7" << int(W::General) << false << "-7";
    QTest::newRow("six digits") << "123" << int(W::SixDigits) << false << "000123";
    QTest::newRow("two decimals") << "12.5" << int(W::TwoDecimals) << false << "12.50";
    QTest::newRow("a date, built-in format")
        << "45306" << int(W::DateBuiltIn) << false << "2024/1/15";
    QTest::newRow("a date, Chinese format")
        << "45306" << int(W::DateChinese) << false << "2024年1月15日";
    QTest::newRow("a date with its time of day")
        << "45306.75" << int(W::DateBuiltIn) << false << "2024/1/15";
    QTest::newRow("month and day") << "45306" << int(W::MonthDay) << false << "1月15日";
    QTest::newRow("a time") << "0.3958333333" << int(W::TimeBuiltIn) << false << "9:30";
    QTest::newRow("the 1904 date system") << "43844" << int(W::DateBuiltIn) << true << "2024/1/15";
    QTest::newRow("a date before March 1900")
        << "59" << int(W::DateBuiltIn) << false << "1900/2/28";
}

void SheetReadTest::showsNumbersAndDatesAsASpreadsheetDoes()
{
    QFETCH(QString, value);
    QFETCH(int, style);
    QFETCH(bool, date1904);
    QFETCH(QString, shown);

    WorkbookMaker book;
    book.date1904 = date1904;
    book.addSheet({"Sheet1", {{1, {WorkbookMaker::number("A1", value, style)}}}, {}, false});
    const QString path = write("numbers.xlsx", book.bytes());
    ReadFailure failure;
    OpenedList opened = openList(path, {}, failure);
    QVERIFY2(failure.ok(), qPrintable(listSourceFailureText(path, failure)));
    QCOMPARE(opened.table.cell(0, 0).toString(), shown);
}

void SheetReadTest::readsASheetOfManyBlocks_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("references");
    QTest::newRow("Excel's way") << "" << true;
    QTest::newRow("prefixed elements, no references") << "x:" << false;
}

void SheetReadTest::readsASheetOfManyBlocks()
{
    QFETCH(QString, prefix);
    QFETCH(bool, references);
    constexpr int Rows = 60000;
    WorkbookMaker book;
    book.prefix = prefix;
    Sheet sheet{"Sheet1", {}, {}};
    sheet.rows.append({references ? 1 : 0,
                       {c(references ? "A1" : "", Cell::Shared, "姓名"),
                        c(references ? "B1" : "", Cell::Shared, "部门")}});
    for (int i = 0; i < Rows; ++i) {
        const QString r = QString::number(i + 2);
        // Every tenth row is left out (empty), which only numbered rows can show.
        if (references && i % 10 == 9)
            continue;
        sheet.rows.append(
            {references ? i + 2 : 0,
             {c(references ? "A" + r : "", Cell::Inline, QStringLiteral("名字%1").arg(i)),
              c(references ? "B" + r : "", Cell::Shared, QStringLiteral("部%1").arg(i % 7))}});
    }
    book.addSheet(sheet);
    const QString path = write("big.xlsx", book.bytes());
    ReadFailure failure;
    const OpenedList opened = openList(path, {}, failure);
    QVERIFY2(failure.ok(), qPrintable(listSourceFailureText(path, failure)));
    const ImportedNames names = importNames(opened.table, suggestColumns(opened.table));
    const int expected = references ? Rows - Rows / 10 : Rows;
    QCOMPARE(names.names.size(), expected);
    QCOMPARE(names.emptyRows, references ? Rows / 10 - 1 : 0);
    // No name repeats, so none goes with its 部门 in brackets.
    QCOMPARE(names.names.at(0).toString(), "名字0");
    const int last = references ? Rows - 2 : Rows - 1;
    QCOMPARE(names.names.at(expected - 1).toString(), QStringLiteral("名字%1").arg(last));
    QCOMPARE(opened.table.rowCount(), qsizetype(references ? Rows : Rows + 1));
}

// A list whose GB18030 bytes the reader would take for UTF-8 (here the GB18030 reading of
// UTF-8 "工号", as a broken UTF-8 file shows it) goes out as UTF-8 with its byte-order
// mark; a surrogate without its pair becomes U+FFFD. Either way cjk.txt reads back as the
// dialog showed the names. Ordinary names stay GB18030.
void SheetReadTest::choosesTheFirstSheetWithText()
{
    WorkbookMaker book;
    book.addSheet({"空的", {}, {}, false});
    book.addSheet({"名单", WorkbookMaker::rowsOf({{"张三"}}), {}, false});
    const QString path = write("book.xlsx", book.bytes());
    ReadFailure failure;
    const OpenedList opened = openList(path, {}, failure);
    QVERIFY(failure.ok());
    QCOMPARE(opened.sheet, 1);
    QCOMPARE(opened.source->sheetNames(), (QStringList{"空的", "名单"}));
    // The empty sheet reads as an empty table, no failure.
    const SheetTable empty = opened.source->readSheet(0, {}, failure);
    QVERIFY(failure.ok());
    QVERIFY(empty.isEmpty());
}

int runSheetReadTest(int argc, char *argv[])
{
    SheetReadTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "sheetreadtest.moc"
