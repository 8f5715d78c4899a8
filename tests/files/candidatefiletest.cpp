#include "candidatelist.h"
#include "settingsfile.h"
#include "testfiles.h"
#include "testsuites.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class CandidateFileTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void readsNonEmptyLines_data();
    void readsNonEmptyLines();
    void reportsWhyAFileCannotBeRead_data();
    void reportsWhyAFileCannotBeRead();
    void reportsAnUnreadableFile();
    void readsTheExampleFiles();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void CandidateFileTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void CandidateFileTest::readsNonEmptyLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("empty line between names is skipped")
        << "张三\r\n\r\n李四\r\n王五" << QStringList{"张三", "李四", "王五"};
    QTest::newRow("leading space stays in the name")
        << " Anna\r\nBen" << QStringList{" Anna", "Ben"};
    QTest::newRow("line of spaces is a name")
        << "张三\r\n   \r\n李四" << QStringList{"张三", "   ", "李四"};
    QTest::newRow("tabs stay in the name") << "\t张三\t\r\n" << QStringList{"\t张三\t"};
    QTest::newRow("trailing CR LF gives no empty name") << "张三\r\n李四\r\n"
                                                        << QStringList{"张三", "李四"};
    QTest::newRow("last line without line end is a name")
        << "张三\r\n李四" << QStringList{"张三", "李四"};
    QTest::newRow("duplicates give one entry each") << "张三\r\n李四\r\n张三\r\n"
                                                    << QStringList{"张三", "李四", "张三"};
    QTest::newRow("mixed line ends") << "a\r\nb\nc\rd\n\re" << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("CR CR LF is one empty line") << "a\r\r\nb" << QStringList{"a", "b"};
    QTest::newRow("only empty lines is no name and no error") << "\r\n\r\n\n" << QStringList{};
    QTest::newRow("empty file is no name and no error") << "" << QStringList{};
}

void CandidateFileTest::readsNonEmptyLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);

    const QString path = m_dir->filePath("cjk.txt");
    QVERIFY(writeBytes(path, gbk(text)));
    const CandidateList list = readCandidateFile(path);

    QVERIFY(list.result.ok());
    QCOMPARE(list.names, names);
}

void CandidateFileTest::reportsWhyAFileCannotBeRead_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing file") << false << "文件不存在";
    QTest::newRow("a folder in place of the file") << true << "这是一个文件夹，不是文件";
}

void CandidateFileTest::reportsWhyAFileCannotBeRead()
{
    QFETCH(bool, folder);
    QFETCH(QString, reason);

    const QString candidatePath = m_dir->filePath("cjk.txt");
    const QString settingsPath = m_dir->filePath("bt.txt");
    if (folder) {
        QVERIFY(QDir(m_dir->path()).mkdir("cjk.txt"));
        QVERIFY(QDir(m_dir->path()).mkdir("bt.txt"));
    }

    const CandidateList list = readCandidateFile(candidatePath);
    QCOMPARE(list.result.error, u"无法读取文件 "_qs + candidatePath + u"："_qs + reason);
    QVERIFY(list.names.isEmpty());
    const SettingsLines settings = readSettingsFile(settingsPath);
    QCOMPARE(settings.result.error, u"无法读取文件 "_qs + settingsPath + u"："_qs + reason);
    QCOMPARE(settings.title(), QString());
}

void CandidateFileTest::reportsAnUnreadableFile()
{
    if (!permissionsAreEnforced())
        QSKIP("file permissions are not enforced for this user");
    const QString path = m_dir->filePath("cjk.txt");
    QVERIFY(writeBytes(path, "Anna\r\n"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));

    const CandidateList list = readCandidateFile(path);
    const QString prefix = u"无法读取文件 "_qs + path + u"："_qs;
    QVERIFY2(list.result.error.startsWith(prefix), qPrintable(list.result.error));
    QVERIFY(list.result.error.size() > prefix.size());
    QVERIFY(list.names.isEmpty());
}

void CandidateFileTest::readsTheExampleFiles()
{
    const QString examples = QStringLiteral(PRIZEDRAW_TEST_DATA "/../../examples/");
    const CandidateList list = readCandidateFile(examples + "cjk.txt");
    QVERIFY(list.result.ok());
    QCOMPARE(list.names.size(), 40);
    QCOMPARE(QSet<QString>(list.names.cbegin(), list.names.cend()).size(), 40);
    for (const QString &name : list.names)
        QVERIFY2(name.size() >= 2 && name.size() <= 4 && name.at(0) >= u'\u4E00', qPrintable(name));

    const SettingsLines settings = readSettingsFile(examples + "bt.txt");
    QVERIFY(settings.result.ok());
    QCOMPARE(settings.title(), u"2027年新春联欢会抽奖"_qs);
    QCOMPARE(settings.quotas(), (std::array<qint32, 4>{5, 3, 2, 1}));
}

int runCandidateFileTest(int argc, char *argv[])
{
    CandidateFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "candidatefiletest.moc"
