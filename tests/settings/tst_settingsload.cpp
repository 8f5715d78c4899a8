#include "tst_settings.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

void TestSettings::loadShowsFileValues_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("quota line '007' shows as 7")
        << true << QByteArray("Title\r\n007\r\n1\r\n1\r\n1\r\n")
        << QStringList{"Title", "7", "1", "1", "1"};
    QTest::newRow("quota line '2.5' stays 2.5")
        << true << QByteArray("Title\r\n1\r\n2.5\r\n1\r\n1\r\n")
        << QStringList{"Title", "1", "2.5", "1", "1"};
    QTest::newRow("quota line of letters shows 0")
        << true << QByteArray("Title\r\n1\r\n1\r\nabc\r\n1\r\n")
        << QStringList{"Title", "1", "1", "0", "1"};
    QTest::newRow("each line goes to its own box")
        << true << QByteArray("Title\r\n3\r\n2\r\n1\r\n9\r\n")
        << QStringList{"Title", "3", "2", "1", "9"};
    // 年会 抽奖 in GB18030, with blanks around and between.
    QTest::newRow("GB18030 title keeps its spaces")
        << true
        << QByteArray("  \xc4\xea\xbb\xe1 \xb3\xe9\xbd\xb1  \r\n"
                      "1\r\n1\r\n1\r\n1\r\n")
        << QStringList{"  年会 抽奖  ", "1", "1", "1", "1"};
    QTest::newRow("missing file shows an empty title and 0, silently")
        << false << QByteArray() << QStringList{"", "0", "0", "0", "0"};
}

void TestSettings::loadShowsFileValues()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, shown);

    if (present)
        writeSettings(file);
    openForm();

    QCOMPARE(shownTexts(), shown);
    QVERIFY(notifier_->messages.isEmpty());
}

void TestSettings::unreadableFileWarnsAndShowsDefaults()
{
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("bt.txt")));
    openForm();

    QCOMPARE(shownTexts(), (QStringList{"", "0", "0", "0", "0"}));
    QCOMPARE(notifier_->messages.size(), 1);
    const RecordingNotifier::Message &message = notifier_->messages.first();
    QCOMPARE(message.icon, Notifier::Icon::Warning);
    QCOMPARE(message.title, QStringLiteral("提示"));
    QVERIFY2(message.text.contains(settingsPath()), qPrintable(message.text));
}
