// Broken workbooks and texts: each refused with its message, nothing read.
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

class BrokenSheetTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void refusesBrokenFiles_data();
    void refusesBrokenFiles();

private:
    QString write(const QString &name, const QByteArray &bytes) const
    {
        return writeInto(*dir_, name, bytes);
    }
    std::unique_ptr<QTemporaryDir> dir_;
};

void BrokenSheetTest::refusesBrokenFiles_data()
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
        QTest::newRow("an OpenDocument spreadsheet with no sheets in it")
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

void BrokenSheetTest::refusesBrokenFiles()
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

int runBrokenSheetTest(int argc, char *argv[])
{
    BrokenSheetTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "brokensheettest.moc"
