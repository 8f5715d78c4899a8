#include "batchfile.h"
#include "testfiles.h"
#include "testsuites.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Sizes = std::array<int, 4>;
Q_DECLARE_METATYPE(Sizes)

class BatchFileTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void readsTheSizes_data();
    void readsTheSizes();
    void missingFileIsOnePerPressWithoutAWord();
    void writtenFileIsReadBackAndReplacedWhole();
    void unreadableFileIsOnePerPressAndSaysSo();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void BatchFileTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void BatchFileTest::readsTheSizes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Sizes>("sizes");
    QTest::addColumn<QStringList>("damaged");

    QTest::newRow("as the program writes it")
        << gbk(u"3等奖=10\r\n2等奖=5\r\n1等奖=1\r\n特等奖=1\r\n"_qs) << Sizes{10, 5, 1, 1}
        << QStringList();
    QTest::newRow("tiers in another order, colons and spaces")
        << gbk(u"特等奖：1\r\n 1等奖 : 2 \r\n3等奖 100人\r\n2等奖=７\r\n"_qs) << Sizes{100, 7, 2, 1}
        << QStringList();
    QTest::newRow("bare numbers stand for the tiers by their place")
        << gbk(u"20\n10\n"_qs) << Sizes{20, 10, 1, 1} << QStringList();
    QTest::newRow("saved by Notepad as UTF-8 with a byte-order mark")
        << QByteArray("\xEF\xBB\xBF") + u"3等奖=8\r\n"_qs.toUtf8() << Sizes{8, 1, 1, 1}
        << QStringList();
    QTest::newRow("a word, zero and too many are one per press, each line named")
        << gbk(u"3等奖=十个\r\n2等奖=0\r\n1等奖=101\r\n特等奖=1\r\n"_qs) << Sizes{1, 1, 1, 1}
        << QStringList{u"第1行「3等奖=十个」"_qs, u"第2行「2等奖=0」"_qs, u"第3行「1等奖=101」"_qs};
    QTest::newRow("a fraction and a negative number are damaged")
        << gbk(u"3等奖=2.5\r\n2等奖=-3\r\n1等奖=4\r\n"_qs) << Sizes{1, 1, 4, 1}
        << QStringList{u"第1行「3等奖=2.5」"_qs, u"第2行「2等奖=-3」"_qs};
    QTest::newRow("a line of no tier is named and changes no tier")
        << gbk(u"3等奖=6\r\n四等奖=9\r\n"_qs) << Sizes{6, 1, 1, 1}
        << QStringList{u"第2行「四等奖=9」"_qs};
    QTest::newRow("a tier's second line is a slip: the first counts")
        << gbk(u"3等奖=6\r\n3等奖=9\r\n"_qs) << Sizes{6, 1, 1, 1}
        << QStringList{u"第2行「3等奖=9」"_qs};
    QTest::newRow("empty lines and an empty file")
        << QByteArray("\r\n\r\n") << Sizes{1, 1, 1, 1} << QStringList();
}

void BatchFileTest::readsTheSizes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Sizes, sizes);
    QFETCH(QStringList, damaged);

    const QString path = m_dir->filePath(BatchFileName);
    QVERIFY(writeBytes(path, bytes));
    const BatchSizes read = readBatchFile(path);
    QVERIFY(read.result.ok());
    QCOMPARE(read.sizes, sizes);
    QCOMPARE(read.damagedLines, damaged);
    // Damaged lines are said, and only what they mean: one per press for their tiers.
    const QString notice = batchFileNotice(path, read);
    QCOMPARE(notice.isEmpty(), damaged.isEmpty());
    for (const QString &line : damaged)
        QVERIFY(notice.contains(line));
}

void BatchFileTest::missingFileIsOnePerPressWithoutAWord()
{
    const QString path = m_dir->filePath(BatchFileName);
    const BatchSizes read = readBatchFile(path);
    QVERIFY(read.result.ok());
    QCOMPARE(read.sizes, (Sizes{1, 1, 1, 1}));
    QVERIFY(batchFileNotice(path, read).isEmpty());
}

void BatchFileTest::writtenFileIsReadBackAndReplacedWhole()
{
    const QString path = m_dir->filePath(BatchFileName);
    QVERIFY(
        writeBytes(path, gbk(u"3等奖=2\r\n2等奖=2\r\n1等奖=2\r\n特等奖=2\r\n多余的一行\r\n"_qs)));
    QVERIFY(writeBatchFile(path, {10, 5, 2, 1}).ok());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), gbk(u"3等奖=10\r\n2等奖=5\r\n1等奖=2\r\n特等奖=1\r\n"_qs));
    QCOMPARE(readBatchFile(path).sizes, (Sizes{10, 5, 2, 1}));
    // Nothing is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{BatchFileName});
}

void BatchFileTest::unreadableFileIsOnePerPressAndSaysSo()
{
    // A folder where the file should be: it exists and cannot be read, on any system and as
    // root too.
    const QString path = m_dir->filePath(BatchFileName);
    QVERIFY(QDir().mkpath(path));
    const BatchSizes read = readBatchFile(path);
    QVERIFY(!read.result.ok());
    QCOMPARE(read.sizes, (Sizes{1, 1, 1, 1}));
    const QString notice = batchFileNotice(path, read);
    QVERIFY(notice.contains(path));
    QVERIFY(notice.contains(u"每个奖项每次抽取 1 人"_qs));
}

int runBatchFileTest(int argc, char *argv[])
{
    BatchFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "batchfiletest.moc"
