#include "tst_reportresetsettings.h"

#include "form1.h"
#include "form2.h"
#include "programhost.h"
#include "reportfile.h"
#include "textcodec.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QString ReportName = QStringLiteral("获奖名单.txt");
const QString AnnaStatus =
    QStringLiteral("          已抽取：3等奖1名，2等奖0名，1等奖0名，特等奖0名");

QStringList fourNames()
{
    return {QStringLiteral("Anna"), QStringLiteral("Bob"), QStringLiteral("Carl"),
            QStringLiteral("Dora")};
}

QPushButton *tierButton(Form1 &w, PrizeTier tier)
{
    return w.controls().tierButtons[tierIndex(tier)];
}

} // namespace

void TestReportResetSettings::init()
{
    fixture_.emplace();
    fixture_->writeSettings(QStringLiteral("年会"), {QStringLiteral("1"), QStringLiteral("1"),
                                                     QStringLiteral("1"), QStringLiteral("1")});
    fixture_->writeCandidates(fourNames());
    window_ = fixture_->openMainWindow();
}

void TestReportResetSettings::cleanup()
{
    window_.reset();
    fixture_.reset();
}

// Rolls the lowest enabled tier for one tick with r and stops it there.
Form1 &TestReportResetSettings::drawOne(Form1 &window, double r)
{
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    fixture_->random.values = {r};
    window.tick();
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    return window;
}

void TestReportResetSettings::reportHoldsTheDrawByteForByte()
{
    drawOne(*window_, 0.0);
    QTest::mouseClick(window_->controls().sava, Qt::LeftButton);
    const QByteArray report = fixture_->readFile(ReportName);
    QCOMPARE(report, encodeText(reportText(QStringLiteral("3等奖:Anna\r\n"), AnnaStatus)));
    QVERIFY(report.startsWith(encodeText(QStringLiteral("3等奖:Anna\r\n\r\n") +
                                         QString(48, QLatin1Char('-')) +
                                         QStringLiteral("\r\n已抽取：3等奖1名"))));
    QCOMPARE(fixture_->notifier.beeps, 1);
    const auto &message = fixture_->notifier.messages.last();
    QCOMPARE(message.title, QStringLiteral("提示:"));
    QCOMPARE(message.text, QStringLiteral("获奖数据已保存在") +
                               QDir::toNativeSeparators(fixture_->path(ReportName)));
}

void TestReportResetSettings::reportWithoutDrawHoldsOnlyTheFrame()
{
    QTest::mouseClick(window_->controls().sava, Qt::LeftButton);
    const QByteArray report = fixture_->readFile(ReportName);
    QVERIFY(report.startsWith("\r\n------------------------------------------------\r\n\r\n"));
    QCOMPARE(report, encodeText(reportText(QString(), QString())));
}

void TestReportResetSettings::saveTwiceReplacesTheReport()
{
    QTest::mouseClick(window_->controls().sava, Qt::LeftButton);
    drawOne(*window_, 0.0);
    QTest::mouseClick(window_->controls().sava, Qt::LeftButton);
    QCOMPARE(fixture_->readFile(ReportName),
             encodeText(reportText(QStringLiteral("3等奖:Anna\r\n"), AnnaStatus)));
    QCOMPARE(fixture_->notifier.beeps, 2);
    QCOMPARE(fixture_->notifier.messages.size(), 2);
}

void TestReportResetSettings::exitWritesOnceAndEnds()
{
    QSignalSpy exits(window_.get(), &Form1::exitRequested);
    drawOne(*window_, 0.0);
    QTest::mouseClick(window_->controls().Exit, Qt::LeftButton);
    QCOMPARE(exits.size(), 1);
    QVERIFY(fixture_->readFile(ReportName).startsWith(encodeText(QStringLiteral("3等奖:Anna"))));
    window_->close(); // whatever closes the window afterwards writes nothing more
    QCOMPARE(fixture_->notifier.beeps, 1);
}

void TestReportResetSettings::closeRequestWritesTheReport()
{
    drawOne(*window_, 0.25);
    QVERIFY(window_->close());
    QCOMPARE(fixture_->readFile(ReportName),
             encodeText(reportText(QStringLiteral("3等奖:Bob\r\n"), AnnaStatus)));
    QCOMPARE(fixture_->notifier.beeps, 1);
}

void TestReportResetSettings::failedSaveWarnsAndKeepsResults()
{
    drawOne(*window_, 0.0);
    QVERIFY(QDir(fixture_->directory.path()).mkdir(ReportName));
    QTest::mouseClick(window_->controls().sava, Qt::LeftButton);
    const auto &message = fixture_->notifier.messages.last();
    QCOMPARE(message.icon, Notifier::Icon::Warning);
    QVERIFY(message.text.contains(QDir::toNativeSeparators(fixture_->path(ReportName))));
    QVERIFY(!message.text.startsWith(QStringLiteral("获奖数据已保存在")));
    QCOMPARE(fixture_->notifier.beeps, 0);
    QCOMPARE(window_->engine().state().log, QStringLiteral("3等奖:Anna\r\n"));
    QCOMPARE(window_->controls().Text2->toPlainText(), AnnaStatus);
}

void TestReportResetSettings::failedReportOnLeavingLetsTheOperatorChoose()
{
    drawOne(*window_, 0.0);
    QVERIFY(QDir(fixture_->directory.path()).mkdir(ReportName));
    auto &notifier = fixture_->notifier;

    notifier.scriptedChoices = {Notifier::FailedWriteChoice::KeepWindowOpen};
    QVERIFY(!window_->close());
    QVERIFY(window_->isVisible());
    QSignalSpy exits(window_.get(), &Form1::exitRequested);
    notifier.scriptedChoices = {Notifier::FailedWriteChoice::KeepWindowOpen};
    QTest::mouseClick(window_->controls().Exit, Qt::LeftButton);
    QCOMPARE(exits.size(), 0);

    // The operator clears the fault and retries: the report is written, then the exit.
    notifier.scriptedChoices = {Notifier::FailedWriteChoice::Retry};
    notifier.onQuestion = [this] { QDir(fixture_->directory.path()).rmdir(ReportName); };
    QTest::mouseClick(window_->controls().Exit, Qt::LeftButton);
    QCOMPARE(exits.size(), 1);
    notifier.onQuestion = nullptr;
    QVERIFY(fixture_->readFile(ReportName).startsWith(encodeText(QStringLiteral("3等奖:Anna"))));

    auto other = fixture_->openMainWindow();
    QVERIFY(QFile::remove(fixture_->path(ReportName)));
    QVERIFY(QDir(fixture_->directory.path()).mkdir(ReportName));
    notifier.scriptedChoices = {Notifier::FailedWriteChoice::CloseWithoutReport};
    QVERIFY(other->close());
    QCOMPARE(notifier.messages.last().icon, Notifier::Icon::Question);
}

void TestReportResetSettings::resetWhileRollingStopsWithoutWinner()
{
    QTest::mouseClick(tierButton(*window_, PrizeTier::Second), Qt::LeftButton);
    window_->tick();
    QTest::mouseClick(window_->controls().Format, Qt::LeftButton);
    QVERIFY(!window_->controls().Timer1->isActive());
    QCOMPARE(tierButton(*window_, PrizeTier::Second)->text(), QStringLiteral("抽取2等奖"));
    QVERIFY(window_->engine().state().log.isEmpty());
    QVERIFY(window_->controls().Text1->text().isEmpty());
    QCOMPARE(fixture_->notifier.messages.last().text, QStringLiteral("初始化完毕,计数器已清零"));
    QCOMPARE(fixture_->notifier.messages.last().title, QStringLiteral("提示"));
}

void TestReportResetSettings::resetRestoresPoolTiersAndRereadsFiles()
{
    // Five names: the fourth stop needs two left, one would be the single-candidate stop.
    fixture_->writeCandidates(fourNames() << QStringLiteral("Emil"));
    window_ = fixture_->openMainWindow();
    for (int i = 0; i < 4; ++i)
        drawOne(*window_, 0.0);
    for (QPushButton *button : window_->controls().tierButtons)
        QVERIFY(!button->isEnabled());

    fixture_->writeSettings(QStringLiteral("新标题"), {QStringLiteral("2"), QStringLiteral("0"),
                                                       QStringLiteral("0"), QStringLiteral("0")});
    fixture_->writeCandidates(fourNames() << QStringLiteral("Emil"));
    QTest::mouseClick(window_->controls().Format, Qt::LeftButton);
    const DrawState &state = window_->engine().state();
    for (QPushButton *button : window_->controls().tierButtons)
        QVERIFY(button->isEnabled());
    QCOMPARE(state.drawnCount, (std::array<qint32, 4>{0, 0, 0, 0}));
    QCOMPARE(state.quota, (std::array<qint32, 4>{2, 0, 0, 0}));
    QCOMPARE(state.candidates.size(), 5);
    QCOMPARE(window_->controls().L3->text(), QStringLiteral("新标题"));
    QVERIFY(window_->controls().Text2->toPlainText().isEmpty());
    QVERIFY(window_->controls().T1->toPlainText().isEmpty());

    drawOne(*window_, 0.0);
    QVERIFY(tierButton(*window_, PrizeTier::Third)->isEnabled());
}

void TestReportResetSettings::resetWithEmptiedListKeepsThePool()
{
    drawOne(*window_, 0.0);
    fixture_->writeFile(QStringLiteral("cjk.txt"), "\r\n\r\n");
    QTest::mouseClick(window_->controls().Format, Qt::LeftButton);
    QCOMPARE(window_->engine().state().candidates.names(),
             (QStringList{QStringLiteral("Bob"), QStringLiteral("Carl"), QStringLiteral("Dora")}));
}

void TestReportResetSettings::settingsButtonOpensOneWindow()
{
    window_.reset();
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    host.start();
    QTest::mouseClick(host.mainWindow()->controls().settxt, Qt::LeftButton);
    Form2 *settings = host.settingsWindow();
    QVERIFY(settings && settings->isVisible());
    QVERIFY(!settings->parent());
    auto *title = control<QLineEdit>(settings, "Text0");
    title->setText(QStringLiteral("改过的标题"));
    QTest::mouseClick(host.mainWindow()->controls().settxt, Qt::LeftButton);
    QCOMPARE(host.settingsWindow(), settings);
    QCOMPARE(title->text(), QStringLiteral("改过的标题"));
}

void TestReportResetSettings::settingsSaveStartsAFreshDrawWithoutReport()
{
    window_.reset();
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    host.start();
    QPointer<Form1> first = host.mainWindow();
    drawOne(*first, 0.0);
    QTest::mouseClick(first->controls().settxt, Qt::LeftButton);
    control<QLineEdit>(host.settingsWindow(), "Text0")->setText(QStringLiteral("新的活动"));
    QTest::mouseClick(control<QPushButton>(host.settingsWindow(), "Command1"), Qt::LeftButton);

    Form1 *second = host.mainWindow();
    QVERIFY(!first);
    QVERIFY(second);
    QVERIFY(second->isVisible());
    QCOMPARE(second->controls().L2->text(), QStringLiteral("新的活动"));
    QVERIFY(second->engine().state().log.isEmpty());
    QCOMPARE(second->engine().state().candidates.size(), 4);
    QVERIFY(!QFile::exists(fixture_->path(ReportName)));
    QCOMPARE(fixture_->notifier.beeps, 0);
    QTRY_VERIFY(!host.settingsWindow());
    QVERIFY(fixture_->notifier.messages.last().text.startsWith(
        QStringLiteral("本次抽奖活动名称及设定获奖人数数据已保存在: ")));
}

void TestReportResetSettings::programEndsWithItsLastWindow()
{
    window_.reset();
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    QSignalSpy ended(&host, &ProgramHost::programEnded);
    host.start();
    QTest::mouseClick(host.mainWindow()->controls().settxt, Qt::LeftButton);
    QVERIFY(host.mainWindow()->close());
    QTRY_VERIFY(!host.mainWindow());
    QCOMPARE(ended.size(), 0);
    QVERIFY(QFile::exists(fixture_->path(ReportName)));
    host.settingsWindow()->close();
    QTRY_COMPARE(ended.size(), 1);
}
