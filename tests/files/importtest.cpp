// Importing a name list: real-shaped workbooks and delimited texts made here, read into
// the names cjk.txt gets, then broken files, each with its message and nothing read.
#include "candidatefile.h"
#include "cellformat.h"
#include "filesizelimit.h"
#include "importnames.h"
#include "listsource.h"
#include "testfiles.h"
#include "testsuites.h"
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

using Cell = WorkbookMaker::Cell;
using Row = WorkbookMaker::Row;
using Sheet = WorkbookMaker::Sheet;

namespace {

QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

QByteArray utf16be(const QString &text)
{
    QByteArray bytes("\xFE\xFF", 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return bytes;
}

Cell c(const QString &ref, Cell::Kind kind, const QString &value,
       int style = WorkbookMaker::General)
{
    return {ref, kind, value, style};
}

// A staff list as an HR department keeps it: 工号 (numbers), 姓名, 部门 with the
// department merged down over its people, an empty row between two teams, one person
// entered twice.
QByteArray staffWorkbook()
{
    WorkbookMaker book;
    Sheet sheet{QStringLiteral("员工名单"), {}, {QStringLiteral("C3:C4")}};
    sheet.rows = {
        {1,
         {WorkbookMaker::text("A1", "工号"), WorkbookMaker::text("B1", "姓名"),
          WorkbookMaker::text("C1", "部门")}},
        {2,
         {WorkbookMaker::number("A2", "10023"), WorkbookMaker::text("B2", "张三"),
          WorkbookMaker::text("C2", "销售部")}},
        {3,
         {WorkbookMaker::number("A3", "10024"), WorkbookMaker::text("B3", "李四"),
          WorkbookMaker::text("C3", "财务部")}},
        {4,
         {WorkbookMaker::number("A4", "10025"), WorkbookMaker::text("B4", "王伟"),
          c("C4", Cell::Empty, {})}},
        {6,
         {WorkbookMaker::number("A6", "10026"), WorkbookMaker::text("B6", "王伟"),
          WorkbookMaker::text("C6", "技术部")}},
        {7,
         {WorkbookMaker::number("A7", "10027"), WorkbookMaker::text("B7", "张三"),
          WorkbookMaker::text("C7", "销售部")}},
    };
    book.addSheet(sheet);
    return book.bytes();
}

struct Expected {
    QString sheet;
    int name;
    int detail;
    bool header;
    QStringList names;
    qsizetype emptyRows;
    QStringList duplicates;
};

} // namespace

Q_DECLARE_METATYPE(Expected)

class ImportTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void readsRealShapedFiles_data();
    void readsRealShapedFiles();
    void showsNumbersAndDatesAsASpreadsheetDoes_data();
    void showsNumbersAndDatesAsASpreadsheetDoes();
    void refusesBrokenFiles_data();
    void refusesBrokenFiles();
    void readsASheetOfManyBlocks_data();
    void readsASheetOfManyBlocks();
    void writesAListThatReadsBackAsShown();
    void choosesTheFirstSheetWithText();
    void stopsWhenTheOperatorCancels();
    void keepsThePreviousListBesideTheNewOne();
    void failedCopyLeavesTheListAsItWas();

private:
    QString write(const QString &name, const QByteArray &bytes) const;
    std::unique_ptr<QTemporaryDir> dir_;
};

void ImportTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

QString ImportTest::write(const QString &name, const QByteArray &bytes) const
{
    const QString path = QDir::toNativeSeparators(dir_->filePath(name));
    if (!writeBytes(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void ImportTest::readsRealShapedFiles_data()
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
        QTest::newRow("stored entries, line breaks, formulas, an error, ideographic spaces")
            << "stored.xlsx" << book.bytes()
            << Expected{
                   "Sheet1", 0, 1, false, {"张 三（13800138000）", "李 四（TRUE）", "#N/A", "王五"},
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

void ImportTest::readsRealShapedFiles()
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

    const std::optional<qsizetype> header =
        recognisedHeaderRow(opened.table, expected.name, expected.detail);
    QCOMPARE(header.has_value(), expected.header);
    // What the dialog starts with: the same columns, when a header names them.
    const ImportColumns suggested = suggestColumns(opened.table);
    QCOMPARE(suggested.name, expected.name);
    QCOMPARE(suggested.firstRow, header ? *header + 1 : 0);
    if (expected.header && opened.table.columns().size() > 1)
        QCOMPARE(suggested.detail, expected.detail);
    const ImportColumns columns{expected.name, expected.detail, header ? *header + 1 : 0};
    const ImportedNames imported = importNames(opened.table, columns);
    QCOMPARE(imported.names.toStringList(), expected.names);
    QCOMPARE(imported.emptyRows, expected.emptyRows);
    QStringList duplicates;
    for (const DuplicateName &duplicate : imported.duplicates)
        duplicates << duplicate.name;
    QCOMPARE(duplicates, expected.duplicates);

    // The list as cjk.txt gets it reads back, through the draw's own reader, as these names.
    const QString list = write("cjk.txt", importedListBytes(imported.names));
    QCOMPARE(readCandidatePool(list).names.toStringList(), expected.names);
    QVERIFY(readBytes(list).endsWith("\r\n"));
}

void ImportTest::showsNumbersAndDatesAsASpreadsheetDoes_data()
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

void ImportTest::showsNumbersAndDatesAsASpreadsheetDoes()
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

void ImportTest::refusesBrokenFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("advice"); // a piece of what the message tells to do

    using K = ReadFailure::Kind;
    const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const auto utf16Name = [](const char *name) {
        QByteArray bytes;
        for (const char *p = name; *p; ++p)
            bytes += QByteArray(1, *p) + '\0';
        return bytes;
    };
    QTest::newRow("an old .xls (Excel 97-2003)")
        << "名单.xls"
        << compound + QByteArray(504, '\0') + utf16Name("Workbook") + QByteArray(2000, '\0')
        << int(K::OldExcel) << "另存为";
    QTest::newRow("a workbook with a password (an encrypted package)")
        << "名单.xlsx"
        << compound + QByteArray(504, '\0') + utf16Name("EncryptionInfo") + QByteArray(50, '\0') +
               utf16Name("EncryptedPackage") + QByteArray(2000, '\x5A')
        << int(K::Encrypted) << "密码";

    const QByteArray staff = staffWorkbook();
    QTest::newRow("a workbook cut in half (an unfinished download)")
        << "名单.xlsx" << staff.left(staff.size() / 2) << int(K::Damaged) << "重新下载";
    {
        // A byte changed inside the sheet's compressed data.
        QByteArray broken = staff;
        const qsizetype sheet = broken.indexOf("xl/worksheets/sheet1.xml");
        for (qsizetype i = sheet + 40; i < sheet + 60; ++i)
            broken[i] = char(broken[i] ^ 0x55);
        QTest::newRow("damaged compressed data")
            << "名单.xlsx" << broken << int(K::Damaged) << "重新下载";
    }
    {
        WorkbookMaker book;
        book.zipOptions.deflated = false;
        book.addSheet({"Sheet1", WorkbookMaker::rowsOf({{"姓名"}, {"张三"}}), {}, false});
        QByteArray broken = book.bytes();
        const qsizetype at = broken.indexOf("<sheetData>");
        broken[at + 1] = 'X'; // still a well-formed ZIP, but the CRC no longer matches
        QTest::newRow("a changed byte in a stored part (CRC)")
            << "名单.xlsx" << broken << int(K::Damaged) << "重新下载";
    }
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        ZipMaker zip(buffer);
        zip.add("xl/workbook.xml", "<workbook xmlns=\"x\"><sheets><sheet name=\"S\" r:id=\"rId1\" "
                                   "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/"
                                   "2006/relationships\"/></sheets></workbook>");
        zip.add("xl/_rels/workbook.xml.rels",
                "<Relationships><Relationship Id=\"rId1\" "
                "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>");
        zip.add("xl/worksheets/sheet1.xml", "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" "
                                            "t=\"inlineStr\"><is><t>张三</t></is></c></row>");
        zip.finish();
        QTest::newRow("a sheet whose XML ends too early")
            << "名单.xlsx" << buffer.data() << int(K::Damaged) << "重新下载";
    }
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        ZipMaker zip(buffer);
        zip.add("[Content_Types].xml", "<Types/>");
        zip.add("word/document.xml", "<w:document/>");
        zip.finish();
        QTest::newRow("a Word document named .xlsx")
            << "名单.xlsx" << buffer.data() << int(K::NotSpreadsheet) << ".xlsx";
    }
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        ZipMaker zip(buffer);
        zip.add("mimetype", "application/vnd.oasis.opendocument.spreadsheet", {false, false, 0});
        zip.add("content.xml", "<office:document-content/>");
        zip.finish();
        QTest::newRow("an OpenDocument spreadsheet (.ods)")
            << "名单.ods" << buffer.data() << int(K::NotSpreadsheet) << "另存为";
    }
    {
        WorkbookMaker book;
        book.zipOptions.extraFlags = 1;
        book.addSheet({"Sheet1", WorkbookMaker::rowsOf({{"张三"}}), {}, false});
        QTest::newRow("a ZIP with encrypted entries")
            << "名单.xlsx" << book.bytes() << int(K::Encrypted) << "密码";
    }
    {
        // Honest about its size: 4 GiB of spaces in a sheet, refused before a byte is unpacked.
        quint32 crc = 0;
        const QByteArray block(1 << 20, ' ');
        const QByteArray stream = repeatedDeflate(block, 64, &crc);
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        ZipMaker zip(buffer);
        zip.add("_rels/.rels",
                "<Relationships><Relationship Id=\"rId1\" "
                "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
        zip.add("xl/workbook.xml",
                "<workbook "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                "relationships\"><sheets><sheet name=\"S\" r:id=\"rId1\"/></sheets></workbook>");
        zip.add("xl/_rels/workbook.xml.rels",
                "<Relationships><Relationship Id=\"rId1\" "
                "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>");
        zip.addRaw("xl/worksheets/sheet1.xml", stream, crc, qint64(4) << 30);
        zip.finish();
        QTest::newRow("a ZIP bomb that declares 4 GiB")
            << "炸弹.xlsx" << buffer.data() << int(K::TooLarge) << "可靠的来源";
        // Lying about it: declares 1 MiB, would unpack 64 MiB; stopped after 1 MiB.
        QBuffer liar;
        liar.open(QIODevice::ReadWrite);
        ZipMaker lying(liar);
        lying.add("xl/workbook.xml",
                  "<workbook "
                  "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                  "relationships\"><sheets><sheet name=\"S\" r:id=\"rId1\"/></sheets></workbook>");
        lying.add("xl/_rels/workbook.xml.rels",
                  "<Relationships><Relationship Id=\"rId1\" "
                  "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                  "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>");
        lying.addRaw("xl/worksheets/sheet1.xml", stream, crc, 1 << 20);
        lying.finish();
        QTest::newRow("a ZIP bomb that lies about its size")
            << "炸弹.xlsx" << liar.data() << int(K::TooLarge) << "可靠的来源";
    }
    {
        // A few cells far apart would make a table of gigabytes.
        WorkbookMaker book;
        Row far{1048576, {}};
        for (int column = 0; column < 100; ++column)
            far.cells.append(WorkbookMaker::text(columnLetters(column) + "1048576", "x"));
        book.addSheet({"Sheet1", {far}, {}, false});
        QTest::newRow("cells scattered to the sheet's far corner")
            << "散.xlsx" << book.bytes() << int(K::TooLarge) << "可靠的来源";
    }
    {
        WorkbookMaker book;
        book.addSheet({"Sheet1", {}, {}, false});
        book.addSheet({"Sheet2", {{1, {c("A1", Cell::Empty, {})}}}, {}, false});
        QTest::newRow("a workbook whose sheets hold no text")
            << "空.xlsx" << book.bytes() << int(K::NoText) << "每行一个名字";
    }
    QTest::newRow("an empty file")
        << "名单.csv" << QByteArray() << int(K::NoText) << "每行一个名字";
    QTest::newRow("a CSV of separators and blank lines")
        << "名单.csv" << QByteArray(",,,\r\n\r\n , ,\"\"\r\n") << int(K::NoText) << "每行一个名字";
    QTest::newRow("a web page saved as .xls")
        << "导出.xls"
        << QByteArray("<html><body><table><tr><td>张三</td></tr></table></body></html>")
        << int(K::NotSpreadsheet) << "另存为";
    QTest::newRow("a picture named .csv")
        << "名单.csv" << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << int(K::NotSpreadsheet)
        << ".csv";
}

void ImportTest::refusesBrokenFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QFETCH(QString, advice);
    const QString path = write(fileName, bytes);

    QElapsedTimer timer;
    timer.start();
    ReadFailure failure;
    const OpenedList opened = openList(path, {}, failure);
    QVERIFY(!opened.source);
    QCOMPARE(int(failure.kind), kind);
    // Even a bomb is refused at once.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    const QString message = listSourceFailureText(path, failure);
    QVERIFY2(message.contains(path), qPrintable(message));
    QVERIFY2(message.contains(advice), qPrintable(message));
}

// A sheet of several megabytes is parsed a block at a time on several cores: rows and
// cells without their references go on from the block before.
void ImportTest::readsASheetOfManyBlocks_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("references");
    QTest::newRow("Excel's way") << "" << true;
    QTest::newRow("prefixed elements, no references") << "x:" << false;
}

void ImportTest::readsASheetOfManyBlocks()
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
    QCOMPARE(names.names.at(0).toString(), "名字0（部0）");
    const int last = references ? Rows - 2 : Rows - 1;
    QCOMPARE(names.names.at(expected - 1).toString(),
             QStringLiteral("名字%1（部%2）").arg(last).arg(last % 7));
    QCOMPARE(opened.table.rowCount(), qsizetype(references ? Rows : Rows + 1));
}

// A list whose GB18030 bytes the reader would take for UTF-8 (here the GB18030 reading of
// UTF-8 "工号", as a broken UTF-8 file shows it) goes out as UTF-8 with its byte-order
// mark; a surrogate without its pair becomes U+FFFD. Either way cjk.txt reads back as the
// dialog showed the names. Ordinary names stay GB18030.
void ImportTest::writesAListThatReadsBackAsShown()
{
    const QStringList mojibake{"宸ュ彿", "10023"};
    const QByteArray bytes = importedListBytes(NameList(mojibake));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(parseCandidateNames(bytes), mojibake);
    QCOMPARE(importedListBytes(NameList(QStringList{"张三", "Anna"})), gbk("张三\r\nAnna\r\n"));

    QString broken = "李四\t销售部\r\n王";
    broken += QChar(0xD800);
    broken += "五\t技术部\r\n";
    const QString path = write("broken.txt", utf16le(broken));
    ReadFailure failure;
    const OpenedList opened = openList(path, {}, failure);
    QVERIFY(failure.ok());
    const ImportedNames names = importNames(opened.table, {0, 1, 0});
    const QStringList expected{"李四（销售部）", "王\uFFFD五（技术部）"};
    QCOMPARE(names.names.toStringList(), expected);
    QCOMPARE(parseCandidateNames(importedListBytes(names.names)), expected);
}

void ImportTest::choosesTheFirstSheetWithText()
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

void ImportTest::stopsWhenTheOperatorCancels()
{
    WorkbookMaker book;
    QList<QStringList> rows;
    for (int i = 0; i < 50000; ++i)
        rows.append({QString::number(i), QStringLiteral("名字%1").arg(i)});
    book.addSheet({"Sheet1", WorkbookMaker::rowsOf(rows), {}, false});
    const QString path = write("big.xlsx", book.bytes());
    int calls = 0;
    ReadFailure failure;
    const OpenedList opened = openList(
        path,
        [&calls](qint64 done, qint64 total) {
            Q_ASSERT(done <= total);
            return ++calls < 3;
        },
        failure);
    QVERIFY(!opened.source);
    QCOMPARE(failure.kind, ReadFailure::Kind::Cancelled);
    QCOMPARE(calls, 3);
}

void ImportTest::keepsThePreviousListBesideTheNewOne()
{
    const QString path = write("cjk.txt", gbk("旧名单\r\n"));
    QString kept;
    const FileResult result = writeImportedList(path, gbk("张三\r\n李四\r\n"), &kept);
    QVERIFY(result.ok());
    QCOMPARE(readBytes(path), gbk("张三\r\n李四\r\n"));
    QVERIFY2(QFileInfo(kept).fileName().startsWith("cjk（导入前的名单，"), qPrintable(kept));
    QVERIFY(kept.endsWith("）.txt"));
    QCOMPARE(readBytes(kept), gbk("旧名单\r\n"));

    // A second import in the same second keeps its own copy; the same list again keeps none.
    QString second;
    QVERIFY(writeImportedList(path, gbk("王五\r\n"), &second).ok());
    QVERIFY(!second.isEmpty());
    QVERIFY(second != kept);
    QCOMPARE(readBytes(second), gbk("张三\r\n李四\r\n"));
    QString none;
    QVERIFY(writeImportedList(path, gbk("王五\r\n"), &none).ok());
    QVERIFY(none.isEmpty());

    // No list before: nothing to keep.
    QString first;
    const QString fresh = QDir::toNativeSeparators(dir_->filePath("fresh.txt"));
    QVERIFY(writeImportedList(fresh, gbk("a\r\n"), &first).ok());
    QVERIFY(first.isEmpty());
    QCOMPARE(readBytes(fresh), gbk("a\r\n"));
}

void ImportTest::failedCopyLeavesTheListAsItWas()
{
    if (!FileSizeLimit::available())
        QSKIP("needs a file size limit");
    // The old list is larger than a file may grow: its copy fails as on a full disk, and
    // cjk.txt, whose new list would fit, is not touched.
    const QByteArray old = gbk(QString("旧名单\r\n").repeated(1000));
    const QString path = write("cjk.txt", old);
    QString kept;
    FileResult result;
    {
        const FileSizeLimit limit(1000);
        result = writeImportedList(path, gbk("新\r\n"), &kept);
    }
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains("导入前的名单"), qPrintable(result.error));
    QVERIFY(kept.isEmpty());
    QCOMPARE(readBytes(path), old);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{"cjk.txt"});
}

int runImportTest(int argc, char *argv[])
{
    ImportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "importtest.moc"
