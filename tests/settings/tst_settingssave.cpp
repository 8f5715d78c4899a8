#include "tst_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray Saved = "Title\r\n1\r\n2\r\n3\r\n4\r\n";

// Replaces a box's text the way a paste or an input method does.
void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    edit->insert(text);
}

void click(Form2 *form, const char *button)
{
    QTest::mouseClick(form->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
}

} // namespace

void TestSettings::saveWritesTextsAsTyped_data()
{
    QTest::addColumn<QByteArray>("before");
    // One entry per box; a null string leaves the box as loaded.
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("unchanged boxes rewrite quotas as shown and drop extra lines")
        << QByteArray("Title\r\n007\r\n2.5\r\nabc\r\n3\r\nextra\r\n")
        << QStringList{QString(), QString(), QString(), QString(), QString()}
        << QByteArray("Title\r\n7\r\n2.5\r\n0\r\n3\r\n");
    QTest::newRow("letters in a quota box are kept")
        << Saved << QStringList{QString(), QString(), "many", QString(), QString()}
        << QByteArray("Title\r\n1\r\nmany\r\n3\r\n4\r\n");
    QTest::newRow("empty title gives an empty first line")
        << Saved << QStringList{"", QString(), QString(), QString(), QString()}
        << QByteArray("\r\n1\r\n2\r\n3\r\n4\r\n");
    QTest::newRow("quota boxes keep blanks, signs and exponents")
        << Saved << QStringList{QString(), " 12 ", "-1", "2.5", "1e3"}
        << QByteArray("Title\r\n 12 \r\n-1\r\n2.5\r\n1e3\r\n");
    // 年会 抽奖 in GB18030.
    QTest::newRow("CJK title with spaces is written in GB18030")
        << Saved << QStringList{" 年会 抽奖 ", QString(), QString(), QString(), QString()}
        << QByteArray(" \xc4\xea\xbb\xe1 \xb3\xe9\xbd\xb1 \r\n1\r\n2\r\n3\r\n4\r\n");
    QTest::newRow("title beyond 32767 characters is written whole")
        << Saved << QStringList{QString(40000, 'x'), QString(), QString(), QString(), QString()}
        << QByteArray(40000, 'x') + "\r\n1\r\n2\r\n3\r\n4\r\n";
}

void TestSettings::saveWritesTextsAsTyped()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, typed);
    QFETCH(QByteArray, after);

    writeSettings(before);
    Form2 *form = openForm();
    for (int i = 0; i < 5; ++i) {
        if (!typed[i].isNull())
            retype(text(i), typed[i]);
    }
    click(form, "Command1");

    QCOMPARE(readSettings(), after);
}

void TestSettings::saveRecreatesMainWindowThenConfirmsAndCloses()
{
    writeSettings(Saved);
    Form2 *form = openForm();
    retype(text(1), QStringLiteral("5"));
    const QByteArray expected = "Title\r\n5\r\n2\r\n3\r\n4\r\n";

    int emissions = 0;
    bool ysDuringEmission = false;
    QByteArray fileDuringEmission;
    qsizetype messagesBeforeEmission = -1;
    connect(form, &Form2::settingsSaved, this, [&] {
        ++emissions;
        ysDuringEmission = form->ys();
        fileDuringEmission = readSettings();
        messagesBeforeEmission = notifier_->messages.size();
    });
    QVERIFY(!form->ys());
    click(form, "Command1");

    QCOMPARE(emissions, 1);
    QVERIFY(ysDuringEmission);
    QCOMPARE(fileDuringEmission, expected);
    QCOMPARE(messagesBeforeEmission, 0);

    QCOMPARE(notifier_->messages.size(), 1);
    const RecordingNotifier::Message &message = notifier_->messages.first();
    QCOMPARE(message.icon, Notifier::Icon::Information);
    QCOMPARE(message.title, QStringLiteral("提示"));
    QCOMPARE(message.text, QStringLiteral("本次抽奖活动名称及设定获奖人数数据已保存在: ") +
                               directory() + QDir::separator() + QStringLiteral("bt.txt"));
    QCOMPARE(notifier_->ysAtInformation, QList<bool>{true});

    QVERIFY(!form->isVisible());
    QVERIFY(!form->ys());
    QTRY_VERIFY(form_.isNull());
}

void TestSettings::failedSaveWarnsAndKeepsEdits()
{
    writeSettings(Saved);
    Form2 *form = openForm();
    retype(text(0), QStringLiteral("Edited"));
    // A directory where the file should go cannot be replaced by a file.
    QVERIFY(QFile::remove(settingsPath()));
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("bt.txt")));
    QSignalSpy saved(form, &Form2::settingsSaved);

    click(form, "Command1");

    QCOMPARE(saved.count(), 0);
    QCOMPARE(notifier_->messages.size(), 1);
    const RecordingNotifier::Message &message = notifier_->messages.first();
    QCOMPARE(message.icon, Notifier::Icon::Warning);
    QCOMPARE(message.title, QStringLiteral("提示"));
    QVERIFY2(message.text.contains(settingsPath()), qPrintable(message.text));
    QVERIFY(form->isVisible());
    QVERIFY(!form->ys());
    QCOMPARE(text(0)->text(), QStringLiteral("Edited"));
    QVERIFY(QFileInfo(settingsPath()).isDir());
}

void TestSettings::leavingWithoutSaveWritesNothing_data()
{
    QTest::addColumn<bool>("cancelButton");
    QTest::newRow("cancel button") << true;
    QTest::newRow("close box") << false;
}

void TestSettings::leavingWithoutSaveWritesNothing()
{
    QFETCH(bool, cancelButton);

    const QByteArray original = "Title\r\n007\r\n2\r\n3\r\n4\r\n";
    writeSettings(original);
    Form2 *form = openForm();
    retype(text(0), QStringLiteral("Changed"));
    retype(text(1), QStringLiteral("99"));
    QSignalSpy saved(form, &Form2::settingsSaved);

    if (cancelButton) {
        click(form, "Command2");
    } else {
        QVERIFY(form->windowHandle());
        form->windowHandle()->close();
    }

    QTRY_VERIFY(form_.isNull());
    QCOMPARE(saved.count(), 0);
    QCOMPARE(readSettings(), original);
    QVERIFY(notifier_->messages.isEmpty());

    openForm();
    QCOMPARE(shownTexts(), (QStringList{"Title", "7", "2", "3", "4"}));
}

void TestSettings::enterAndEscapeNeitherSaveNorCancel_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("Return in the title box") << 0 << Qt::Key_Return;
    QTest::newRow("keypad Enter in a quota box") << 3 << Qt::Key_Enter;
    QTest::newRow("Esc in the title box") << 0 << Qt::Key_Escape;
    QTest::newRow("Esc in a quota box") << 2 << Qt::Key_Escape;
}

void TestSettings::enterAndEscapeNeitherSaveNorCancel()
{
    QFETCH(int, box);
    QFETCH(Qt::Key, key);

    writeSettings(Saved);
    Form2 *form = openForm();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QLineEdit *edit = text(box);
    edit->setFocus();
    QVERIFY(edit->hasFocus());
    retype(edit, QStringLiteral("42"));
    QSignalSpy saved(form, &Form2::settingsSaved);

    QTest::keyClick(edit, key);

    QVERIFY(form->isVisible());
    QCOMPARE(saved.count(), 0);
    QCOMPARE(readSettings(), Saved);
    QVERIFY(notifier_->messages.isEmpty());
    QCOMPARE(edit->text(), QStringLiteral("42"));
}
