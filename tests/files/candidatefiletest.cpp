#include "candidatefile.h"
#include "candidatelist.h"
#include "settingsfile.h"
#include "testfiles.h"
#include "testsuites.h"
#include "textcodec.h"

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
    void invisibleCharactersMakeNoSecondPerson_data();
    void invisibleCharactersMakeNoSecondPerson();

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

void CandidateFileTest::invisibleCharactersMakeNoSecondPerson_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<qsizetype>("affected"); // names read without invisible characters
    QTest::addColumn<qsizetype>("duplicates");

    QTest::newRow("a zero-width space makes no second 张三")
        << u"张三\r\n张\u200B三\r\n"_qs << QStringList{u"张三"_qs, u"张三"_qs} << qsizetype(1)
        << qsizetype(1);
    QTest::newRow("every kind of invisible character, one each")
        << u"\u200B李\u200C\u200D\u200E\u200F四\u2060\uFEFF\u061C\u202A\u202B\u202C\u202D"
           "\u202E\u2066\u2067\u2068\u2069"_qs
        << QStringList{u"李四"_qs} << qsizetype(1) << qsizetype(0);
    QTest::newRow("a right-to-left mark around a Latin name")
        << u"Anna\r\n\u200FAnna\u200E\r\nBob"_qs << QStringList{u"Anna"_qs, u"Anna"_qs, u"Bob"_qs}
        << qsizetype(1) << qsizetype(1);
    QTest::newRow("a line of invisible characters alone is an empty line")
        << u"王五\r\n\u200B\u200B\r\n赵六"_qs << QStringList{u"王五"_qs, u"赵六"_qs} << qsizetype(1)
        << qsizetype(0);
    QTest::newRow("a joiner between two emoji stays: one family picture")
        << u"王🧑\u200D🎄\r\n王👨\u200D👩\u200D👧"_qs
        << QStringList{u"王🧑\u200D🎄"_qs, u"王👨\u200D👩\u200D👧"_qs} << qsizetype(0)
        << qsizetype(0);
    QTest::newRow("a joiner after an emoji's variation selector stays")
        << u"李❤\uFE0F\u200D🔥"_qs << QStringList{u"李❤\uFE0F\u200D🔥"_qs} << qsizetype(0)
        << qsizetype(0);
    QTest::newRow("a joiner between letters goes")
        << u"周\u200D七\r\n周七"_qs << QStringList{u"周七"_qs, u"周七"_qs} << qsizetype(1)
        << qsizetype(1);
    QTest::newRow("a joiner between a letter and an emoji goes")
        << u"周\u200D🎄"_qs << QStringList{u"周🎄"_qs} << qsizetype(1) << qsizetype(0);
    QTest::newRow("a name without them is read as it stands")
        << u"欧阳 建国\r\n"_qs << QStringList{u"欧阳 建国"_qs} << qsizetype(0) << qsizetype(0);
}

// Two names that look the same in the hall are one person: the second is a duplicate,
// and the winner of one takes the other out of the pool.
void CandidateFileTest::invisibleCharactersMakeNoSecondPerson()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QFETCH(qsizetype, affected);
    QFETCH(qsizetype, duplicates);

    const QString path = m_dir->filePath("cjk.txt");
    QVERIFY(writeBytes(path, encodeText(text)));
    const CandidatePool pool = readCandidatePool(path);
    QVERIFY(pool.result.ok());
    QCOMPARE(pool.names.toStringList(), names);
    QCOMPARE(pool.namesWithInvisibleCharacters, affected);
    QCOMPARE(findDuplicateNames(pool).size(), duplicates);
    // Journals of earlier versions are replayed on the names as they stood.
    const CandidatePool kept = readCandidatePool(path, InvisibleCharacters::Kept);
    QCOMPARE(kept.names.toStringList().join(QString()).size(),
             QString(text).remove(u'\r').remove(u'\n').size());
    QCOMPARE(kept.namesWithInvisibleCharacters, 0);
}

int runCandidateFileTest(int argc, char *argv[])
{
    CandidateFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "candidatefiletest.moc"
