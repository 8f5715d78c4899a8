#include "settingsfile.h"
#include "testfiles.h"
#include "testsuites.h"

#include <QTemporaryDir>
#include <QTest>

using Lines = std::array<QString, 5>;
using Quotas = std::array<qint32, 4>;
Q_DECLARE_METATYPE(Lines)
Q_DECLARE_METATYPE(Quotas)

class SettingsFileTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void readsFiveLines_data();
    void readsFiveLines();
    void showsQuotaLinesAsDisplayNumbers();
    void missingFileReadsAsEmptyWithError();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void SettingsFileTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void SettingsFileTest::readsFiveLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<Quotas>("quotas");

    QTest::newRow("five lines with CR LF")
        << gbk(u"2027年新春联欢会抽奖\r\n5\r\n3\r\n2\r\n1\r\n"_qs)
        << Lines{"2027年新春联欢会抽奖", "5", "3", "2", "1"} << Quotas{5, 3, 2, 1};
    QTest::newRow("last line without line end")
        << gbk(u"年会\r\n5\r\n3\r\n2\r\n1"_qs) << Lines{"年会", "5", "3", "2", "1"}
        << Quotas{5, 3, 2, 1};
    QTest::newRow("fewer lines: the missing quotas are empty and 0")
        << gbk(u"年会\r\n5\r\n3"_qs) << Lines{"年会", "5", "3", "", ""} << Quotas{5, 3, 0, 0};
    QTest::newRow("lines after the fifth are ignored")
        << gbk(u"年会\r\n5\r\n3\r\n2\r\n1\r\n99\r\n特等奖\r\n"_qs)
        << Lines{"年会", "5", "3", "2", "1"} << Quotas{5, 3, 2, 1};
    QTest::newRow("title keeps its spaces")
        << gbk(u"  年 会  \r\n1\r\n1\r\n1\r\n1\r\n"_qs) << Lines{"  年 会  ", "1", "1", "1", "1"}
        << Quotas{1, 1, 1, 1};
    QTest::newRow("empty title line keeps the quotas in place")
        << QByteArray("\r\n4\r\n3\r\n2\r\n1\r\n") << Lines{"", "4", "3", "2", "1"}
        << Quotas{4, 3, 2, 1};
    QTest::newRow("lone LF line ends") << QByteArray("Party\n4\n3\n2\n1\n")
                                       << Lines{"Party", "4", "3", "2", "1"} << Quotas{4, 3, 2, 1};
    QTest::newRow("lone CR line ends") << QByteArray("Party\r4\r3\r2\r1\r")
                                       << Lines{"Party", "4", "3", "2", "1"} << Quotas{4, 3, 2, 1};
    QTest::newRow("quota lines are free text")
        << gbk(u"T\r\n007\r\n2.5\r\n3名\r\nabc\r\n"_qs) << Lines{"T", "007", "2.5", "3名", "abc"}
        << Quotas{7, 2, 3, 0};
    QTest::newRow("empty file is no error") << QByteArray() << Lines{} << Quotas{0, 0, 0, 0};
}

void SettingsFileTest::readsFiveLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Lines, lines);
    QFETCH(Quotas, quotas);

    const QString path = m_dir->filePath("bt.txt");
    QVERIFY(writeBytes(path, bytes));
    const SettingsLines settings = readSettingsFile(path);

    QVERIFY(settings.result.ok());
    QCOMPARE(settings.lines, lines);
    QCOMPARE(settings.title(), lines[0]);
    QCOMPARE(settings.quotas(), quotas);
}

void SettingsFileTest::showsQuotaLinesAsDisplayNumbers()
{
    const QString path = m_dir->filePath("bt.txt");
    QVERIFY(writeBytes(path, gbk(u" 年会 \r\n007\r\n2.5\r\n\r\n1 2\r\n"_qs)));

    const Lines expected{" 年会 ", "7", "2.5", "0", "12"};
    QCOMPARE(readSettingsFile(path).settingsWindowTexts(), expected);
}

void SettingsFileTest::missingFileReadsAsEmptyWithError()
{
    const QString path = m_dir->filePath("bt.txt");
    const SettingsLines settings = readSettingsFile(path);

    QCOMPARE(settings.result.error, u"无法读取文件 "_qs + path + u"：文件不存在"_qs);
    QCOMPARE(settings.title(), QString());
    QCOMPARE(settings.quotas(), (Quotas{0, 0, 0, 0}));
}

int runSettingsFileTest(int argc, char *argv[])
{
    SettingsFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "settingsfiletest.moc"
