#include "tst_settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRect>
#include <QTest>

void TestSettings::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    notifier_ = std::make_unique<ProbingNotifier>();
}

void TestSettings::cleanup()
{
    delete form_.data();
    notifier_.reset();
    dir_.reset();
}

QString TestSettings::directory() const
{
    return QDir::toNativeSeparators(dir_->path());
}

QString TestSettings::settingsPath() const
{
    return QDir::toNativeSeparators(dir_->filePath(QStringLiteral("bt.txt")));
}

void TestSettings::writeSettings(const QByteArray &bytes) const
{
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray TestSettings::readSettings() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Form2 *TestSettings::openForm()
{
    form_ = new Form2(*notifier_, directory());
    notifier_->form = form_;
    form_->show();
    return form_;
}

QLineEdit *TestSettings::text(int index) const
{
    return form_->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(index));
}

QStringList TestSettings::shownTexts() const
{
    QStringList shown;
    for (int i = 0; i < 5; ++i)
        shown << text(i)->text();
    return shown;
}

void TestSettings::windowFrame()
{
    writeSettings("Title\r\n1\r\n1\r\n1\r\n1\r\n");
    Form2 *form = openForm();

    QCOMPARE(form->windowTitle(), QStringLiteral("设置软件标题和抽奖人数"));
    QCOMPARE(form->size(), QSize(420, 163));
    const Qt::WindowFlags flags = form->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    // The system menu is what carries the close box of a tool window on Windows.
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(form->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(form->testAttribute(Qt::WA_QuitOnClose));

    // The title label is too narrow for its caption on one line.
    QLabel *titleLabel = nullptr;
    for (QLabel *label : form->findChildren<QLabel *>(QStringLiteral("Label1"))) {
        if (label->property("index").toInt() == 0)
            titleLabel = label;
    }
    QVERIFY(titleLabel);
    QVERIFY(titleLabel->heightForWidth(titleLabel->width()) >=
            2 * titleLabel->fontMetrics().lineSpacing());

    // Nothing follows the window's size.
    const QRect saveButton = form->findChild<QWidget *>(QStringLiteral("Command1"))->geometry();
    form->resize(800, 600);
    QCOMPARE(form->findChild<QWidget *>(QStringLiteral("Command1"))->geometry(), saveButton);
}

void TestSettings::controlGeometryAndCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("caption");

    const QString form = QStringLiteral("Form2");
    const QString frame = QStringLiteral("Frame1");
    QTest::newRow("save button") << "Command1" << -1 << form << QRect(112, 128, 81, 25)
                                 << QByteArray("text") << "保存设置";
    QTest::newRow("cancel button has a full-width space")
        << "Command2" << -1 << form << QRect(248, 128, 73, 25) << QByteArray("text")
        << "取\u3000消";
    QTest::newRow("frame without caption")
        << "Frame1" << -1 << form << QRect(16, 8, 393, 113) << QByteArray("title") << "";
    QTest::newRow("title box tooltip")
        << "Text0" << -1 << frame << QRect(80, 24, 297, 25) << QByteArray("toolTip")
        << "在此输入活动标题，即软件显示的标题";
    QTest::newRow("third-prize box")
        << "Text1" << -1 << frame << QRect(120, 56, 65, 25) << QByteArray("toolTip") << "";
    QTest::newRow("second-prize box")
        << "Text2" << -1 << frame << QRect(296, 56, 65, 25) << QByteArray("toolTip") << "";
    QTest::newRow("first-prize box")
        << "Text3" << -1 << frame << QRect(120, 80, 65, 25) << QByteArray("toolTip") << "";
    QTest::newRow("special-prize box")
        << "Text4" << -1 << frame << QRect(296, 80, 65, 25) << QByteArray("toolTip") << "";
    QTest::newRow("third-prize label") << "Label1" << 1 << frame << QRect(8, 64, 121, 17)
                                       << QByteArray("text") << "设置获取3等奖人数";
    QTest::newRow("second-prize label") << "Label1" << 2 << frame << QRect(192, 64, 105, 17)
                                        << QByteArray("text") << "设置获取2等奖人数";
    QTest::newRow("first-prize label says 获得") << "Label1" << 4 << frame << QRect(8, 88, 113, 17)
                                                 << QByteArray("text") << "设置获得1等奖人数";
    QTest::newRow("special-prize label") << "Label1" << 5 << frame << QRect(184, 88, 113, 17)
                                         << QByteArray("text") << "设置获取特等奖人数";
}

void TestSettings::controlGeometryAndCaptions()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(QByteArray, property);
    QFETCH(QString, caption);

    writeSettings("Title\r\n1\r\n1\r\n1\r\n1\r\n");
    Form2 *form = openForm();

    QList<QWidget *> matches;
    for (QWidget *widget : form->findChildren<QWidget *>(name)) {
        if (index < 0 || widget->property("index") == QVariant(index))
            matches << widget;
    }
    QCOMPARE(matches.size(), 1);
    QWidget *control = matches.first();
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->property(property.constData()).toString(), caption);
}

void TestSettings::titleLabelShowsBothLines()
{
    writeSettings("Title\r\n1\r\n1\r\n1\r\n1\r\n");
    Form2 *form = openForm();
    QLabel *label = nullptr;
    for (QLabel *candidate : form->findChildren<QLabel *>(QStringLiteral("Label1")))
        if (candidate->property("index") == QVariant(0))
            label = candidate;
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("此次抽奖活动名称"));
    QVERIFY(label->wordWrap());
    QCOMPARE(label->pos(), QPoint(16, 24));
    QCOMPARE(label->width(), 49);
    // At least the designed 25 pixels, and tall enough for its two lines in any font.
    QVERIFY(label->height() >= 25);
    QVERIFY(label->height() >= label->heightForWidth(label->width()));
}

void TestSettings::focusStartsOnSaveAndFollowsTabOrder()
{
    writeSettings("Title\r\n1\r\n1\r\n1\r\n1\r\n");
    Form2 *form = openForm();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command1"));

    const QStringList expected{"Text0", "Text1", "Text3", "Text4", "Command2", "Text2", "Command1"};
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget());
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

QTEST_MAIN(TestSettings)
