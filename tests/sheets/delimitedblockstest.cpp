// Delimited text read a block at a time: whatever falls on a block's edge (a quoted field,
// a doubled quote, a character of several bytes, CR LF), the table is the one the whole
// text gives.
#include "listsource.h"
#include "sheetsamples.h"
#include "textcodec.h"

#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

// Records of a quoted field over two lines, with commas inside, separated by semicolons:
// the separator is known only once 200 of them have been seen.
QByteArray longRecords(QStringList *rows)
{
    QString text = QStringLiteral("姓名;备注\r\n");
    rows->append(QStringLiteral("姓名|备注"));
    for (int i = 0; i < 260; ++i) {
        text += QStringLiteral("张三%1;\"第一行, 有逗号\r\n第二行, 又有逗号\"\r\n").arg(i);
        rows->append(QStringLiteral("张三%1|第一行, 有逗号 第二行, 又有逗号").arg(i));
    }
    return text.toUtf8();
}

} // namespace

class DelimitedBlocksTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void readsTheSameTableInAnyBlocks_data();
    void readsTheSameTableInAnyBlocks();
    void readsRecordsTheSeparatorWaitsFor();
    void stopsBetweenBlocksWhenCancelled();
    void refusesMarkupInAnyBlocks_data();
    void refusesMarkupInAnyBlocks();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void DelimitedBlocksTest::readsTheSameTableInAnyBlocks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("separator"); // of the rows set before the text
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("UTF-8 with a mark, commas, CR LF")
        << u"工号,姓名,部门\r\n1,张三,销售部\r\n2,李四,财务部\r\n"_qs << "UTF-8 mark"
        << "," << QStringList{"工号|姓名|部门", "1|张三|销售部", "2|李四|财务部"};
    QTest::newRow("GBK, semicolons")
        << u"姓名;部门\r\n张三;销售部\r\n李四;财务部"_qs << "GBK"
        << ";" << QStringList{"姓名|部门", "张三|销售部", "李四|财务部"};
    QTest::newRow("GB18030 four-byte characters")
        << u"姓名,部门\r\n𠮷野家,销售部\r\n"_qs << "GB18030"
        << "," << QStringList{"姓名|部门", "𠮷野家|销售部"};
    QTest::newRow("UTF-16 LE, tabs") << u"姓名\t部门\r\n张三\t销售部\r\n"_qs << "UTF-16LE"
                                     << "\t" << QStringList{"姓名|部门", "张三|销售部"};
    QTest::newRow("UTF-16 BE, a surrogate pair")
        << u"姓名,部门\r\n𠮷野家,销售部\r\n"_qs << "UTF-16BE"
        << "," << QStringList{"姓名|部门", "𠮷野家|销售部"};
    QTest::newRow("a quoted field over two lines, with a separator")
        << u"姓名,备注\r\n\"张三\",\"第一行\r\n第二行, 有逗号\"\r\n李四,x\r\n"_qs << "UTF-8"
        << "," << QStringList{"姓名|备注", "张三|第一行 第二行, 有逗号", "李四|x"};
    QTest::newRow("doubled quotes inside a quoted field")
        << u"姓名,部门\n\"王\"\"小\"\"明\",a\n\"\"\"\",b\n"_qs << "UTF-8"
        << "," << QStringList{"姓名|部门", "王\"小\"明|a", "\"|b"};
    // UTF-16 comes in pieces cut anywhere, a quote's pair or a CR's LF in the next one.
    QTest::newRow("doubled quotes and a field over two lines, UTF-16 LE")
        << u"姓名,部门\r\n\"王\"\"小\"\"明\",\"a\r\nb\"\r\n\"\"\"\",b\r\n"_qs << "UTF-16LE"
        << "," << QStringList{"姓名|部门", "王\"小\"明|a b", "\"|b"};
    QTest::newRow("text after a closing quote") << u"姓名,部门\n\"张\"三,a\n"_qs << "UTF-8"
                                                << "," << QStringList{"姓名|部门", "张三|a"};
    QTest::newRow("a quote never closed takes the rest")
        << u"姓名,部门\na,\"b\nc,d\n"_qs << "UTF-8"
        << "," << QStringList{"姓名|部门", "a|b c,d"};
    QTest::newRow("lone CR line ends") << u"姓名,部门\ra,b\rc,d\r"_qs << "UTF-8"
                                       << "," << QStringList{"姓名|部门", "a|b", "c|d"};
    QTest::newRow("LF line ends, the last line without one")
        << u"姓名,部门\na,b\nc,d"_qs << "GBK"
        << "," << QStringList{"姓名|部门", "a|b", "c|d"};
    QTest::newRow("empty lines keep their rows")
        << u"姓名,部门\r\na,b\r\n\r\n\r\nc,d\r\n"_qs << "UTF-8"
        << "," << QStringList{"姓名|部门", "a|b", "", "", "c|d"};
    QTest::newRow("Excel's sep= line") << u"sep=;\r\n姓名;备注\r\na;b,c\r\n"_qs << "UTF-8"
                                       << ";" << QStringList{"姓名|备注", "a|b,c"};
    QTest::newRow("a separator ending every line") << u"姓名,部门,\na,b,\nc,d,"_qs << "UTF-8"
                                                   << "," << QStringList{"姓名|部门", "a|b", "c|d"};
    QTest::newRow("one column") << u"张三\n李四\n"_qs << "UTF-8"
                                << "" << QStringList{"张三", "李四"};
}

void DelimitedBlocksTest::readsTheSameTableInAnyBlocks()
{
    QFETCH(QString, text);
    QFETCH(QString, encoding);
    QFETCH(QString, separator);
    QFETCH(QStringList, rows);
    // Rows before the case's own, so that they fall across blocks after the start that the
    // reader holds back for its checks.
    QString filler;
    QStringList expected;
    for (int i = 0; i < 800; ++i) {
        filler += QStringLiteral("填充%1%2行\r\n").arg(i).arg(separator);
        expected.append(QStringLiteral("填充%1%2行").arg(i).arg(separator.isEmpty() ? "" : "|"));
    }
    const qsizetype hint = text.startsWith(u"sep=") ? text.indexOf(u'\n') + 1 : 0;
    text.insert(hint, filler);
    expected += rows;
    const QHash<QString, QByteArray> bytesIn{
        {"UTF-8", text.toUtf8()},    {"UTF-8 mark", "\xEF\xBB\xBF" + text.toUtf8()},
        {"GBK", gbk(text)},          {"GB18030", encodeText(text)},
        {"UTF-16LE", utf16le(text)}, {"UTF-16BE", utf16be(text)}};
    const QByteArray bytes = bytesIn.value(encoding);
    QVERIFY(!bytes.isEmpty());
    const QString path = writeInto(*dir_, "名单.csv", bytes);
    QCOMPARE(rowsOf(parseDelimitedText(decodeText(bytes)).table), expected);
    for (qsizetype blockBytes : {1, 2, 3, 4, 5, 6, 7, 11, 64, 0}) {
        ReadFailure failure;
        const auto source = openListSource(path, {}, failure, blockBytes);
        QVERIFY2(source, qPrintable(QStringLiteral("%1-byte blocks").arg(blockBytes)));
        const SheetTable table = source->readSheet(0, {}, failure);
        QVERIFY(failure.ok());
        const QStringList read = rowsOf(table);
        if (read != expected)
            QFAIL(qPrintable(QStringLiteral("%1-byte blocks:\n%2")
                                 .arg(blockBytes)
                                 .arg(read.mid(795).join(u'\n'))));
    }
}

void DelimitedBlocksTest::readsRecordsTheSeparatorWaitsFor()
{
    QStringList rows;
    const QByteArray bytes = longRecords(&rows);
    const QString path = writeInto(*dir_, "名单.csv", bytes);
    for (qsizetype blockBytes : {1, 7, 0}) {
        ReadFailure failure;
        const auto source = openListSource(path, {}, failure, blockBytes);
        QVERIFY(source);
        QCOMPARE(source->description(), QStringLiteral("文本文件，以分号分隔"));
        QCOMPARE(rowsOf(source->readSheet(0, {}, failure)), rows);
    }
}

void DelimitedBlocksTest::stopsBetweenBlocksWhenCancelled()
{
    QByteArray bytes = "工号,姓名\r\n";
    for (int i = 0; i < 20000; ++i)
        bytes += QByteArray::number(100000 + i) + ",张三" + QByteArray::number(i) + "\r\n";
    const QString path = writeInto(*dir_, "名单.csv", bytes);
    int calls = 0;
    qint64 last = -1;
    ReadFailure failure;
    const auto source = openListSource(
        path,
        [&](qint64 done, qint64 total) {
            // Told bytes of the file, forward only.
            if (done < last || done > total || total != bytes.size())
                last = std::numeric_limits<qint64>::max();
            else
                last = done;
            return ++calls < 3;
        },
        failure, 4096);
    QVERIFY(!source);
    QCOMPARE(failure.kind, ReadFailure::Kind::Cancelled);
    QCOMPARE(calls, 3);
    QVERIFY2(last > 0 && last < bytes.size(), qPrintable(QString::number(last)));
}

void DelimitedBlocksTest::refusesMarkupInAnyBlocks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("detail");

    QTest::newRow("a web page after many blank lines")
        << QByteArray(5000, '\n') + "<html><body><table><tr><td>张三</td></tr></table>"
        << "HTML";
    QTest::newRow("Excel 2003 XML, its namespace past the first block")
        << "<?xml version=\"1.0\"?>" + QByteArray(3000, ' ') +
               "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"></Workbook>"
        << "Excel2003XML";
}

void DelimitedBlocksTest::refusesMarkupInAnyBlocks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, detail);
    const QString path = writeInto(*dir_, "导出.xls", bytes);
    for (qsizetype blockBytes : {1, 7, 0}) {
        ReadFailure failure;
        QVERIFY(!openListSource(path, {}, failure, blockBytes));
        QCOMPARE(failure.kind, ReadFailure::Kind::NotSpreadsheet);
        QCOMPARE(failure.detail, detail);
    }
}

int runDelimitedBlocksTest(int argc, char *argv[])
{
    DelimitedBlocksTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "delimitedblockstest.moc"
