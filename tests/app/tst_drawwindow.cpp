#include "tst_drawwindow.h"

#include "form1.h"
#include "journal.h"
#include "textcodec.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString Title = QStringLiteral("新春联欢会");
const QString Stop = QStringLiteral("停止");
const QString NoOneLeft = QStringLiteral("名单中已没有可抽取的人");

QPushButton *tierButton(Form1 &w, PrizeTier tier)
{
    return w.controls().tierButtons[tierIndex(tier)];
}

void press(QWidget *focus, Qt::Key key)
{
    focus->setFocus();
    QTest::keyClick(focus, key);
}

} // namespace

void TestDrawWindow::init()
{
    fixture_.emplace();
    fixture_->writeSettings(Title, {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                                    QStringLiteral("1")});
    fixture_->writeCandidates({QStringLiteral("Anna"), QStringLiteral("Bob"),
                               QStringLiteral("Carl"), QStringLiteral("Dora")});
    window_ = fixture_->openMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestDrawWindow::cleanup()
{
    window_.reset();
    fixture_.reset();
}

void TestDrawWindow::controlsStandWhereDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("banner frame") << "Frame7" << QRect(240, 0, 11415, 1335);
    QTest::newRow("rolling display in its frame") << "Text1" << QRect(120, 240, 8295, 735);
    QTest::newRow("results log in its frame") << "T1" << QRect(120, 240, 8175, 4455);
    QTest::newRow("status line in its frame") << "Text2" << QRect(120, 240, 8295, 345);
    QTest::newRow("second prize is 30 twips lower") << "Edj" << QRect(120, 720, 2175, 495);
    QTest::newRow("special prize button") << "Tdj" << QRect(120, 1920, 2175, 525);
    QTest::newRow("reset button in its panel") << "Format" << QRect(120, 600, 2175, 525);
    QTest::newRow("logo reaches past the right edge") << "Image2" << QRect(11160, 7440, 750, 600);
    QTest::newRow("address picture") << "Image3" << QRect(8760, 7440, 2475, 555);
}

void TestDrawWindow::controlsStandWhereDesigned()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    auto *widget = window_->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
}

void TestDrawWindow::fontsColoursAndCaptions()
{
    const Form1Controls &c = window_->controls();
    QCOMPARE(window_->size(), QSize(792, 538));
    QVERIFY(window_->windowTitle().isEmpty());
    QCOMPARE(c.Text1->font().pointSizeF(), 26.25);
    QCOMPARE(c.Text1->font().weight(), QFont::Bold);
    QCOMPARE(c.Text1->palette().color(QPalette::Base), QColor(255, 192, 255));
    QCOMPARE(c.Text1->palette().color(QPalette::Text), QColor(0, 0, 255));
    QCOMPARE(c.T1->font().pointSizeF(), 15.75);
    QCOMPARE(c.T1->font().families().first(), QStringLiteral("仿宋_GB2312"));
    QCOMPARE(c.T1->palette().color(QPalette::Text), QColor(0, 128, 0));
    QVERIFY(c.T1->isReadOnly());
    QCOMPARE(c.Text2->palette().color(QPalette::Base), QColor(255, 255, 192));
    QCOMPARE(c.Text2->palette().color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(c.L3->palette().color(QPalette::WindowText), QColor(255, 128, 0));
    QCOMPARE(c.L3->font().pointSizeF(), 36.0);
    QCOMPARE(c.Exit->text(), QStringLiteral("退　    　出"));
    QCOMPARE(c.Format->text(), QStringLiteral("初 始 化"));
    QCOMPARE(tierButton(*window_, PrizeTier::Special)->text(), QStringLiteral("抽取特等奖"));
    QCOMPARE(tierButton(*window_, PrizeTier::Third)->font().pointSizeF(), 10.5);
    QCOMPARE(c.Frame1->font().pointSizeF(), 9.0);
    QVERIFY(!c.Timer1->isActive());
    QCOMPARE(c.Timer1->timerType(), Qt::PreciseTimer);
}

void TestDrawWindow::titleIsCentredOnTheBanner()
{
    const Form1Controls &c = window_->controls();
    QCOMPARE(c.L2->text(), Title);
    QCOMPARE(c.L3->text(), Title);
    const QRect banner = c.Image1->geometry();
    QVERIFY(qAbs(c.L2->geometry().center().x() - banner.center().x()) <= 1);
    QVERIFY(qAbs(c.L2->geometry().center().y() - banner.center().y()) <= 1);
    QCOMPARE(c.L3->pos(), c.L2->pos() - QPoint(1, 1));
    QVERIFY(c.L2->width() > 0);
}

void TestDrawWindow::clicksStartSwitchAndStop()
{
    Form1 &w = *window_;
    const Form1Controls &c = w.controls();
    QTest::mouseClick(tierButton(w, PrizeTier::Third), Qt::LeftButton);
    QCOMPARE(tierButton(w, PrizeTier::Third)->text(), Stop);
    QVERIFY(c.Timer1->isActive());
    QCOMPARE(c.Timer1->interval(), 30);

    fixture_->random.values = {0.6};
    w.tick();
    QCOMPARE(c.Text1->text(), QStringLiteral("Carl"));

    QTest::mouseClick(tierButton(w, PrizeTier::Second), Qt::LeftButton);
    QCOMPARE(tierButton(w, PrizeTier::Third)->text(), QStringLiteral("抽取3等奖"));
    QCOMPARE(tierButton(w, PrizeTier::Second)->text(), Stop);
    QVERIFY(c.Timer1->isActive());
    QVERIFY(c.T1->toPlainText().isEmpty());

    QTest::mouseClick(tierButton(w, PrizeTier::Second), Qt::LeftButton);
    QVERIFY(!c.Timer1->isActive());
    QCOMPARE(tierButton(w, PrizeTier::Second)->text(), QStringLiteral("抽取2等奖"));
    QCOMPARE(w.engine().state().log, QStringLiteral("2等奖:Carl\r\n"));
    QCOMPARE(c.T1->toPlainText(), QStringLiteral("2等奖:Carl\n"));
    QVERIFY(!tierButton(w, PrizeTier::Second)->isEnabled());
    QVERIFY(c.T1->hasFocus());
    QCOMPARE(c.T1->textCursor().position(), 0);
    QCOMPARE(w.engine().state().candidates.names(),
             (QStringList{QStringLiteral("Anna"), QStringLiteral("Bob"), QStringLiteral("Dora")}));
}

void TestDrawWindow::spaceSpaceRecordsAThirdPrize()
{
    const Form1Controls &c = window_->controls();
    press(c.T1, Qt::Key_Space);
    fixture_->random.values = {0.3};
    window_->tick();
    press(c.T1, Qt::Key_Space);
    QCOMPARE(c.T1->toPlainText(), QStringLiteral("3等奖:Bob\n"));
    QCOMPARE(c.Text2->toPlainText(),
             QStringLiteral("          已抽取：3等奖1名，2等奖0名，1等奖0名，特等奖0名"));
}

void TestDrawWindow::shortcutTakesTheLowestEnabledTier()
{
    // Four winners: the last stop needs two names left to roll.
    fixture_->writeCandidates({QStringLiteral("Anna"), QStringLiteral("Bob"),
                               QStringLiteral("Carl"), QStringLiteral("Dora"),
                               QStringLiteral("Emil")});
    window_ = fixture_->openMainWindow();
    Form1 &w = *window_;
    const Form1Controls &c = w.controls();
    // The second prize rolls; Space hands the rolling to the third prize, still enabled.
    QTest::mouseClick(tierButton(w, PrizeTier::Second), Qt::LeftButton);
    press(c.T1, Qt::Key_Space);
    QCOMPARE(tierButton(w, PrizeTier::Third)->text(), Stop);
    QCOMPARE(tierButton(w, PrizeTier::Second)->text(), QStringLiteral("抽取2等奖"));

    // Two third-prize winners fill its quota of 2; Enter then drives the second prize.
    w.tick();
    press(c.T1, Qt::Key_Space);
    press(c.T1, Qt::Key_Space);
    w.tick();
    press(c.T1, Qt::Key_Space);
    QVERIFY(!tierButton(w, PrizeTier::Third)->isEnabled());
    press(c.T1, Qt::Key_Return);
    QCOMPARE(tierButton(w, PrizeTier::Second)->text(), Stop);
    w.tick();
    press(c.T1, Qt::Key_Enter);
    QCOMPARE(w.engine().state().drawnCount, (std::array<qint32, 4>{2, 1, 0, 0}));

    // A presenter remote's PageDown drives the first prize now, and the log does not page.
    press(c.T1, Qt::Key_PageDown);
    QCOMPARE(tierButton(w, PrizeTier::First)->text(), Stop);
    w.tick();
    press(c.T1, Qt::Key_PageDown);
    QCOMPARE(w.engine().state().drawnCount, (std::array<qint32, 4>{2, 1, 1, 0}));
}

void TestDrawWindow::shortcutKeysAreConsumed()
{
    Form1 &w = *window_;
    const Form1Controls &c = w.controls();
    // On a focused button Space must not also click it: one press, one start.
    press(tierButton(w, PrizeTier::Third), Qt::Key_Space);
    QCOMPARE(tierButton(w, PrizeTier::Third)->text(), Stop);
    QVERIFY(c.T1->toPlainText().isEmpty());

    // In the editable display Space stops the draw and types nothing into the name.
    fixture_->random.values = {0.0};
    w.tick();
    press(c.Text1, Qt::Key_Space);
    QCOMPARE(c.Text1->text(), QStringLiteral("Anna"));
    QCOMPARE(w.engine().state().log, QStringLiteral("3等奖:Anna\r\n"));
}

void TestDrawWindow::otherKeysDoNothing()
{
    const Form1Controls &c = window_->controls();
    press(c.T1, Qt::Key_A);
    QTest::keyClick(c.T1, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(tierButton(*window_, PrizeTier::Third)->text(), QStringLiteral("抽取3等奖"));
    QVERIFY(!c.Timer1->isActive());
}

void TestDrawWindow::allTiersDoneIsSaidOnEveryKey()
{
    fixture_->writeSettings(Title, {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"),
                                    QStringLiteral("0")});
    window_ = fixture_->openMainWindow();
    const Form1Controls &c = window_->controls();
    press(c.T1, Qt::Key_Space);
    window_->tick();
    press(c.T1, Qt::Key_Space);
    for (QPushButton *button : c.tierButtons)
        QVERIFY(!button->isEnabled());
    const QString log = window_->engine().state().log;
    press(c.T1, Qt::Key_Space);
    press(c.T1, Qt::Key_Return);
    QCOMPARE(fixture_->notifier.messages.size(), 2);
    for (const auto &message : fixture_->notifier.messages) {
        QCOMPARE(message.text, QStringLiteral("抽奖任务已完成"));
        QCOMPARE(message.title, QStringLiteral("提示"));
        QCOMPARE(message.icon, Notifier::Icon::Information);
    }
    QCOMPARE(window_->engine().state().log, log);
}

void TestDrawWindow::singleCandidateStopsOnce()
{
    fixture_->writeCandidates({QStringLiteral("Anna")});
    window_ = fixture_->openMainWindow();
    const Form1Controls &c = window_->controls();
    QTest::mouseClick(tierButton(*window_, PrizeTier::First), Qt::LeftButton);
    window_->tick();
    window_->tick();
    QCOMPARE(fixture_->notifier.messages.size(), 1);
    QCOMPARE(fixture_->notifier.messages.first().text,
             QStringLiteral("现在只剩下一人参与抽奖，中奖率为100%,抽奖已失去意义！"));
    QVERIFY(!c.Timer1->isActive());
    QVERIFY(c.Text1->text().isEmpty());
    QCOMPARE(tierButton(*window_, PrizeTier::First)->text(), Stop);

    // Its next press ends the roll quietly: the notice has been given.
    QTest::mouseClick(tierButton(*window_, PrizeTier::First), Qt::LeftButton);
    QCOMPARE(tierButton(*window_, PrizeTier::First)->text(), QStringLiteral("抽取1等奖"));
    QCOMPARE(fixture_->notifier.messages.size(), 1);
    QVERIFY(window_->engine().state().log.isEmpty());
}

void TestDrawWindow::stopOnTextNotInTheListAsksFirst_data()
{
    QTest::addColumn<QString>("typed"); // into the display showing Anna; "<" is Backspace
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question"); // empty when none is asked
    QTest::addColumn<QString>("log");

    const QString cut = QStringLiteral("「Ann」不在名单中。仍然记为3等奖中奖者吗？");
    QTest::newRow("a stray Backspace cut the name: not recorded") << "<" << false << cut << "";
    QTest::newRow("the cut name recorded as the operator says")
        << "<" << true << cut << "3等奖:Ann\r\n";
    QTest::newRow("a name of the list typed over it") << "*Bob" << false << ""
                                                      << "3等奖:Bob\r\n";
    QTest::newRow("the name the roll showed") << "" << false << ""
                                              << "3等奖:Anna\r\n";
}

// The display stays editable, but only a name of the list becomes a winner without a
// question; declined, the tier is idle and nothing is recorded or journalled.
void TestDrawWindow::stopOnTextNotInTheListAsksFirst()
{
    QFETCH(QString, typed);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(QString, log);
    Form1 &w = *window_;
    const Form1Controls &c = w.controls();
    fixture_->notifier.recordAnywayAnswer = answer;
    press(c.T1, Qt::Key_Space);
    w.tick();
    QVERIFY(!c.Text1->isReadOnly());
    c.Text1->setFocus();
    if (typed.startsWith(u'*'))
        c.Text1->selectAll();
    for (QChar key : typed) {
        if (key == u'<')
            QTest::keyClick(c.Text1, Qt::Key_Backspace);
        else if (key != u'*')
            QTest::keyClicks(c.Text1, QString(key));
    }
    press(c.Text1, Qt::Key_Space);

    QStringList asked;
    for (const auto &message : fixture_->notifier.messages)
        asked << message.text;
    QCOMPARE(asked, question.isEmpty() ? QStringList() : QStringList{question});
    QCOMPARE(w.engine().state().log, log);
    QCOMPARE(tierButton(w, PrizeTier::Third)->text(), QStringLiteral("抽取3等奖"));
    QVERIFY(!c.Timer1->isActive());
    const QString journal = decodeText(fixture_->readFile(QStringLiteral("抽奖日志.txt")));
    QCOMPARE(journal.count(u'\t' + JournalEvent::Winner + u'\t'), log.isEmpty() ? 0 : 1);
    const bool typedWinner = !question.isEmpty() && answer;
    QCOMPARE(journal.contains(u'\t' + TypedField + u'\t'), typedWinner);
    QTest::mouseClick(c.sava, Qt::LeftButton);
    QCOMPARE(decodeText(fixture_->readFile(QStringLiteral("获奖名单.txt")))
                 .endsWith(QStringLiteral("（手动输入后确认记录）：\r\n") + log),
             typedWinner);
}

void TestDrawWindow::emptyPoolRollsOnSilentlyAndItsStopSaysSo()
{
    fixture_->writeCandidates({QStringLiteral("Anna"), QStringLiteral("Annabel")});
    window_ = fixture_->openMainWindow();
    const Form1Controls &c = window_->controls();
    press(c.T1, Qt::Key_Space);
    window_->tick();
    press(c.T1, Qt::Key_Space); // Anna wins; Annabel contains her name and leaves too
    QCOMPARE(window_->engine().state().candidates.condition(), Candidates::Condition::Empty);
    press(c.T1, Qt::Key_Space);
    window_->tick();
    QVERIFY(c.Timer1->isActive());
    QCOMPARE(c.Text1->text(), QStringLiteral("Anna"));
    QVERIFY(fixture_->notifier.messages.isEmpty());

    // The stop records nobody, neither Anna again nor in the journal, and says why.
    press(c.T1, Qt::Key_Space);
    QCOMPARE(fixture_->notifier.messages.size(), 1);
    QCOMPARE(fixture_->notifier.messages.first().title, QStringLiteral("提示"));
    QCOMPARE(fixture_->notifier.messages.first().text, NoOneLeft);
    QCOMPARE(window_->engine().state().log, QStringLiteral("3等奖:Anna\r\n"));
    QCOMPARE(window_->engine().state().drawnCount, (std::array<qint32, 4>{1, 0, 0, 0}));
    QCOMPARE(tierButton(*window_, PrizeTier::Third)->text(), QStringLiteral("抽取3等奖"));
    const QString journal = decodeText(fixture_->readFile(QStringLiteral("抽奖日志.txt")));
    QCOMPARE(journal.count(u'\t' + JournalEvent::Winner + u'\t'), 1);
}

void TestDrawWindow::missingFilesAreNamedAndTheWindowWorks()
{
    QFile::remove(fixture_->path(QStringLiteral("bt.txt")));
    QFile::remove(fixture_->path(QStringLiteral("cjk.txt")));
    window_ = fixture_->openMainWindow();
    const auto &messages = fixture_->notifier.messages;
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].text.contains(fixture_->path(QStringLiteral("bt.txt"))));
    QVERIFY(messages[1].text.contains(fixture_->path(QStringLiteral("cjk.txt"))));
    QCOMPARE(messages[0].icon, Notifier::Icon::Warning);
    QVERIFY(window_->controls().L2->text().isEmpty());

    // A list that gave no name: a stop records nobody and says the list is empty.
    press(window_->controls().T1, Qt::Key_Space);
    window_->tick();
    press(window_->controls().T1, Qt::Key_Space);
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages[2].text, NoOneLeft);
    QVERIFY(window_->engine().state().log.isEmpty());
    QCOMPARE(window_->engine().state().drawnCount, (std::array<qint32, 4>{}));
    for (QPushButton *button : window_->controls().tierButtons)
        QVERIFY(button->isEnabled());
}

// A line of over 1,000 characters is shown cut short, never between the two halves of a
// character beyond the Basic Multilingual Plane; the log (and so the report) keeps it whole.
void TestDrawWindow::longLinesAreShownCutShortAndKeptWhole()
{
    const QString wide = QStringLiteral("\U00020000"); // two UTF-16 units
    // With the log label in front, the pair stands at 999 and 1000, where the cut falls.
    const QString name = QString(995, u'a') + wide + QString(500, u'b');
    const QString title = QString(1500, u'年');
    fixture_->writeSettings(title, {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"),
                                    QStringLiteral("0")});
    fixture_->writeCandidates({name, QStringLiteral("Bob")});
    window_ = fixture_->openMainWindow();
    const Form1Controls &c = window_->controls();
    QCOMPARE(c.L2->text(), QString(1000, u'年') + QChar(0x2026));

    press(c.T1, Qt::Key_Space);
    fixture_->random.values = {0.0};
    window_->tick();
    press(c.T1, Qt::Key_Space);
    QCOMPARE(c.T1->toPlainText(),
             QStringLiteral("3等奖:") + QString(995, u'a') + QChar(0x2026) + u'\n');
    QCOMPARE(window_->engine().state().log,
             QStringLiteral("3等奖:") + name + QStringLiteral("\r\n"));
}

void TestDrawWindow::resizeScalesControlsAndRecentresTitle()
{
    const Form1Controls &c = window_->controls();
    const QRect display = c.Text1->geometry();
    const QSize title = c.L2->size();
    window_->resize(792 * 2, 538 * 2);
    QTRY_COMPARE(c.Text1->geometry(), QRect(display.topLeft() * 2, display.size() * 2));
    QCOMPARE(c.L2->size(), title);
    QVERIFY(qAbs(c.L2->geometry().center().x() - c.Image1->geometry().center().x()) <= 1);
    window_->resize(792, 538);
    QTRY_COMPARE(c.Text1->geometry(), display);
}

void TestDrawWindow::webLinkOnBannerTitleAndLogoOnly()
{
    const Form1Controls &c = window_->controls();
    for (QWidget *linked : {static_cast<QWidget *>(c.L3), static_cast<QWidget *>(c.Image1),
                            static_cast<QWidget *>(c.Image2)})
        QTest::mouseClick(linked, Qt::LeftButton);
    QTest::mouseClick(c.Image3, Qt::LeftButton);
    QCOMPARE(fixture_->notifier.openedUrls.size(), 3);
    QCOMPARE(fixture_->notifier.openedUrls.first().toString(),
             QStringLiteral("https://example.org/prizedraw"));
    QCOMPARE(c.L3->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(c.Image2->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(c.Image2->toolTip().isEmpty());
}
