// The imported list written as cjk.txt: read back as shown, the old list kept beside it,
// nothing changed when the operator cancels or the copy fails.
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

class ImportWriteTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void writesAListThatReadsBackAsShown();
    void choosesTheEncodingThatReadsBack_data();
    void choosesTheEncodingThatReadsBack();
    void stopsWhenTheOperatorCancels();
    void keepsThePreviousListBesideTheNewOne();
    void failedCopyLeavesTheListAsItWas();

private:
    QString write(const QString &name, const QByteArray &bytes) const
    {
        return writeInto(*dir_, name, bytes);
    }
    std::unique_ptr<QTemporaryDir> dir_;
};

void ImportWriteTest::writesAListThatReadsBackAsShown()
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

void ImportWriteTest::choosesTheEncodingThatReadsBack_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("utf8");

    QStringList many;
    QStringList mojibake;
    for (int i = 0; i < 60000; ++i) {
        many.append(QStringLiteral("张%1三").arg(i));
        mojibake.append(i % 2 ? QStringLiteral("宸ュ彿") : QStringLiteral("10023"));
    }
    QTest::newRow("GBK names") << QStringList{"张三", "Anna"} << false;
    QTest::newRow("names outside GBK") << QStringList{"𠮷野家", "李堃", "Zoë"} << false;
    QTest::newRow("60,000 names, many blocks") << many << false;
    // GB18030 bytes that are valid UTF-8 for likelier text: the list goes as UTF-8.
    QTest::newRow("mojibake, read as UTF-8 in GB18030") << QStringList{"宸ュ彿", "10023"} << true;
    QTest::newRow("60,000 lines of such mojibake") << mojibake << true;
    QTest::newRow("no names") << QStringList{} << false;
}

void ImportWriteTest::choosesTheEncodingThatReadsBack()
{
    QFETCH(QStringList, names);
    QFETCH(bool, utf8);
    const QByteArray bytes = importedListBytes(NameList(names));
    QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), utf8);
    QCOMPARE(parseCandidateNames(bytes), names);
}

void ImportWriteTest::stopsWhenTheOperatorCancels()
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

void ImportWriteTest::keepsThePreviousListBesideTheNewOne()
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

void ImportWriteTest::failedCopyLeavesTheListAsItWas()
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

int runImportWriteTest(int argc, char *argv[])
{
    ImportWriteTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "importwritetest.moc"
