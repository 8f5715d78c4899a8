#include "tst_drawwindow.h"

#include "drawwindowpresses.h"
#include "form1.h"
#include "journal.h"
#include "textcodec.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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

void TestDrawWindow::stopOnEditedDisplayAsksFirst_data()
{
    // Steps into the display showing Anna: "<" Backspace, "*" select all, "^" Ctrl+V, "@" the
    // box's own paste (its menu's), "!" an input method committing the clipboard's text,
    // "~" Ctrl+Z; any other character is typed.
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question"); // empty when none is asked
    QTest::addColumn<QString>("log");

    const QString cut = QStringLiteral("「Ann」不在名单中。仍然记为3等奖中奖者吗？");
    const auto edited = [](const char *name) {
        return QStringLiteral("「%1」是手动输入的，不是滚动抽出的。仍然记为3等奖中奖者吗？"
                              "记录后标为“手动输入”。")
            .arg(QLatin1String(name));
    };
    QTest::newRow("a stray Backspace cut the name: not recorded") << "<"
                                                                  << "" << false << cut << "";
    QTest::newRow("the cut name recorded as the operator says")
        << "<"
        << "" << true << cut << "3等奖:Ann\r\n";
    QTest::newRow("a name of the list typed over it asks") << "*Bob"
                                                           << "" << false << edited("Bob") << "";
    QTest::newRow("a name of the list typed over it, recorded, is marked typed")
        << "*Bob"
        << "" << true << edited("Bob") << "3等奖:Bob\r\n";
    QTest::newRow("a name of the list pasted with Ctrl+V, recorded, is marked typed")
        << "*^"
        << "Carl" << true << edited("Carl") << "3等奖:Carl\r\n";
    QTest::newRow("a name of the list pasted from the box's menu asks")
        << "*@"
        << "Dora" << false << edited("Dora") << "";
    QTest::newRow("a name of the list from an input method asks")
        << "*!"
        << "Bob" << true << edited("Bob") << "3等奖:Bob\r\n";
    QTest::newRow("an edit undone still asks: the operator touched it")
        << "<~"
        << "" << false << edited("Anna") << "";
    QTest::newRow("the name the roll showed: one press, unmarked") << ""
                                                                   << "" << false << ""
                                                                   << "3等奖:Anna\r\n";
}

// The display stays editable, but only what the roll itself showed wins without a
// question; whatever the operator put there is asked about, and marked 手动输入 when
// recorded; declined, the tier is idle and nothing is recorded or journalled.
void TestDrawWindow::stopOnEditedDisplayAsksFirst()
{
    QFETCH(QString, edit);
    QFETCH(QString, clipboard);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(QString, log);
    const QString cut = QStringLiteral("「Ann」不在名单中。仍然记为3等奖中奖者吗？");
    Form1 &w = *window_;
    const Form1Controls &c = w.controls();
    fixture_->notifier.recordAnywayAnswer = answer;
    QApplication::clipboard()->setText(clipboard);
    press(c.T1, Qt::Key_Space);
    w.tick();
    QCOMPARE(c.Text1->text(), QStringLiteral("Anna"));
    c.Text1->setFocus();
    for (QChar key : edit) {
        if (key == u'<') {
            QTest::keyClick(c.Text1, Qt::Key_Backspace);
        } else if (key == u'*') {
            c.Text1->selectAll();
        } else if (key == u'^') {
            QTest::keyClick(c.Text1, Qt::Key_V, Qt::ControlModifier);
        } else if (key == u'@') {
            c.Text1->paste();
        } else if (key == u'~') {
            QTest::keyClick(c.Text1, Qt::Key_Z, Qt::ControlModifier);
        } else if (key == u'!') {
            QInputMethodEvent commit;
            commit.setCommitString(clipboard);
            QApplication::sendEvent(c.Text1, &commit);
        } else {
            QTest::keyClicks(c.Text1, QString(key));
        }
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
    const QString block = question == cut
                              ? QStringLiteral("不在名单中（手动输入后确认记录）：")
                              : QStringLiteral("在名单中，但不是抽出的（手动输入后确认记录）：");
    QCOMPARE(decodeText(fixture_->readFile(QStringLiteral("获奖名单.txt")))
                 .endsWith(block + QStringLiteral("\r\n") + log),
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
