#include "tst_journal.h"

#include "drawverifier.h"
#include "filesizelimit.h"
#include "journal.h"
#include "journalline.h"
#include "journalwindow.h"
#include "programhost.h"
#include "textcodec.h"

#include "messageboxnotifier.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

void TestJournal::killedRunResumesWhereItStopped()
{
    QProcess child;
    QStringList before = startChild(child, {QStringLiteral("5")}, QStringLiteral("recorded"));
    QCOMPARE(before.size(), 4);
    child.kill();
    QVERIFY(child.waitForFinished());
    for (int i = 0; i < 3; ++i)
        before[i] = QString::fromUtf8(QByteArray::fromBase64(before[i].toLatin1()));
    before.removeLast();
    QCOMPARE(journalLines().filter(QRegularExpression(QStringLiteral("^中奖\t"))).size(), 5);
    QVERIFY(!journalLines().contains(QStringLiteral("正常结束")));

    auto &notifier = fixture_->notifier;
    notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    {
        ProgramHost host(notifier, fixture_->random, fixture_->programDirectory());
        host.start();
        QCOMPARE(notifier.messages.size(), 1);
        QVERIFY(notifier.messages.first().text.contains(QStringLiteral("5 名中奖者")));
        QCOMPARE(shownState(*host.mainWindow()), before);
        QCOMPARE(host.mainWindow()->engine().state().candidates.names(),
                 QStringList{QStringLiteral("Fay\tGu")});
        // Without a void the resume's line has no 作废 field; it carries the chain codes the
        // five winners were drawn with.
        QCOMPARE(journalLines()
                     .filter(QRegularExpression(
                         QStringLiteral("^续接\t人数=5\t链码=[0-9a-f]{12}(,[0-9a-f]{12}){4}$")))
                     .size(),
                 1);
        // Killed again before any clean end: the resumed winners are in the journal anew.
    }

    notifier.messages.clear();
    notifier.resumeChoice = Notifier::ResumeChoice::StartAfresh;
    ProgramHost host(notifier, fixture_->random, fixture_->programDirectory());
    host.start();
    QCOMPARE(notifier.messages.size(), 2);
    QVERIFY(notifier.messages.first().text.contains(QStringLiteral("5 名中奖者")));
    // Starting afresh says where the earlier winners stay on record.
    QVERIFY(notifier.messages.last().text.contains(fixture_->path(JournalName)));
    QVERIFY(host.mainWindow()->controls().T1->toPlainText().isEmpty());
    QCOMPARE(host.mainWindow()->engine().state().candidates.size(), 7);
    for (QPushButton *button : host.mainWindow()->controls().tierButtons)
        QVERIFY(button->isEnabled());
}

void TestJournal::resumeWarnsWhenTheListChanged()
{
    const QString stamp = QStringLiteral("2026-12-07 10:00:00");
    fixture_->writeFile(
        JournalName,
        journalLineBytes(stamp, {QStringLiteral("程序启动")}) +
            journalLineBytes(stamp, {QStringLiteral("开始抽奖"), QStringLiteral("SHA-256=00ff")}) +
            journalLineBytes(stamp, {QStringLiteral("中奖"), QStringLiteral("特等奖:"),
                                     QStringLiteral("Dora")}));
    fixture_->notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    host.start();
    QCOMPARE(host.mainWindow()->engine().state().log, QStringLiteral("特等奖:Dora\r\n"));
    QVERIFY(!host.mainWindow()->controls().tierButtons[3]->isEnabled());
    const auto &warning = fixture_->notifier.messages.last();
    QCOMPARE(warning.icon, Notifier::Icon::Warning);
    QVERIFY(warning.text.contains(QStringLiteral("SHA-256")));
    QVERIFY(warning.text.contains(fixture_->path(QStringLiteral("cjk.txt"))));
}

// The disk fills while a winner is drawn and has room again for the next: every winner the
// window showed is in the journal, in order, and the void after them holds through the
// resume though the torn line lies before it.
void TestJournal::fullDiskRunResumesWithEveryWinnerAndTheVoid()
{
    if (!FileSizeLimit::available())
        QSKIP("no file size limit on this system");
    fixture_->writeSettings(QStringLiteral("年会"), {QStringLiteral("9"), QStringLiteral("0"),
                                                     QStringLiteral("0"), QStringLiteral("0")});
    auto &notifier = fixture_->notifier;
    const QString journal = fixture_->path(JournalName);
    DrawState shown;
    {
        ProgramHost host(notifier, fixture_->random, fixture_->programDirectory());
        host.start();
        Form1 &window = *host.mainWindow();
        drawOne(window); // Anna
        {
            const FileSizeLimit full(QFileInfo(journal).size() + 20);
            drawOne(window); // Bob, whose line the full disk cuts
        }
        drawOne(window); // Carl, after Bob's line
        drawOne(window); // Dora
        notifier.confirmAnswer = true;
        QTest::keyClick(window.controls().T1, Qt::Key_Delete); // Dora is not there
        drawOne(window);                                       // Emil
        shown = window.engine().state();
        // Killed: no clean end.
    }
    QCOMPARE(notifier.messages.size(), 3);
    QCOMPARE(notifier.messages[0].icon, Notifier::Icon::Warning);
    QVERIFY(notifier.messages[0].text.contains(QStringLiteral("File too large")));
    QCOMPARE(notifier.messages[1].icon, Notifier::Icon::Information);
    QVERIFY(notifier.messages[1].text.contains(QStringLiteral("1 行已按原来的顺序补写")));

    notifier.messages.clear();
    notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    ProgramHost host(notifier, fixture_->random, fixture_->programDirectory());
    host.start();
    QVERIFY(!notifier.messages.isEmpty());
    QVERIFY(notifier.messages.first().text.contains(
        QStringLiteral("4 名中奖者（另有 1 名不在场，已作废）。另有 1 行没有写完整")));
    const DrawState &resumed = host.mainWindow()->engine().state();
    QCOMPARE(resumed.log, shown.log);
    QCOMPARE(resumed.voidedLines, QStringList{QStringLiteral("3等奖:Dora\r\n")});
    QCOMPARE(resumed.drawnCount, shown.drawnCount);
    QCOMPARE(resumed.candidates.names(), shown.candidates.names());
    // The torn line is left out of the chain, the line written again whole chains on: the
    // journal verifies.
    const Verification verified = verifyDraw(journal, fixture_->path(QStringLiteral("cjk.txt")));
    QVERIFY2(verified.exitStatus() == 0, qPrintable(verificationText(verified)));
    QCOMPARE(verified.draws.last().winners.size(), 5);
}

void TestJournal::unfinishedDrawIsOfferedWhateverBecameOfTheJournal_data()
{
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<QStringList>("asked"); // pieces of the question
    QTest::addColumn<bool>("keptAside");
    QTest::addColumn<QString>("log"); // after the resume

    const QString stamp = QStringLiteral("2026-12-07 10:00:00");
    const auto line = [&stamp](const QString &fields) {
        return journalLineBytes(stamp, fields.split(u'\t'));
    };
    const QByteArray start =
        line(QStringLiteral("程序启动")) + line(QStringLiteral("开始抽奖\tSHA-256=00ff"));
    const QByteArray anna = line(QStringLiteral("中奖\t3等奖:\tAnna\t抽前=7\t抽后=6"));
    const QByteArray bob = line(QStringLiteral("中奖\t3等奖:\tBob\t抽前=6\t抽后=4"));
    const QString text = decodeText(start + anna + bob);
    const QByteArray utf16 =
        QByteArray("\xFF\xFE") +
        QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const QString both = QStringLiteral("3等奖:Bob\n3等奖:Anna\n");
    QTest::newRow("re-saved by an editor as UTF-16")
        << utf16
        << QStringList{QStringLiteral("2 名中奖者"), QStringLiteral("另存的文件原样保留为")} << true
        << both;
    QTest::newRow("the first winner line torn")
        << start + anna.left(30)
        << QStringList{QStringLiteral("0 名中奖者"), QStringLiteral("另有 1 行没有写完整")} << false
        << QString();
    QTest::newRow("the run's start line torn")
        << line(QStringLiteral("程序启动")).left(10) + "\r\n" +
               start.sliced(start.indexOf('\n') + 1) + anna + bob
        << QStringList{QStringLiteral("2 名中奖者")} << false << both;
}

// However the journal came to be, a start that finds an unfinished draw asks, says what
// it found and what it did with the file, and resumes what is there.
void TestJournal::unfinishedDrawIsOfferedWhateverBecameOfTheJournal()
{
    QFETCH(QByteArray, journal);
    QFETCH(QStringList, asked);
    QFETCH(bool, keptAside);
    QFETCH(QString, log);
    fixture_->writeFile(JournalName, journal);
    fixture_->notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    host.start();
    QVERIFY(!fixture_->notifier.messages.isEmpty());
    const auto &question = fixture_->notifier.messages.first();
    QCOMPARE(question.icon, Notifier::Icon::Question);
    for (const QString &piece : asked)
        QVERIFY2(question.text.contains(piece), qPrintable(question.text));
    QCOMPARE(host.mainWindow()->controls().T1->toPlainText(), log);
    const QStringList aside =
        QDir(fixture_->directory.path()).entryList({QStringLiteral("抽奖日志（编辑器另存的原件*")});
    QCOMPARE(aside.size(), keptAside ? 1 : 0);
    if (keptAside) {
        QVERIFY(question.text.contains(fixture_->path(aside.first())));
        QCOMPARE(fixture_->readFile(aside.first()), journal);
        // Continued in its own encoding: every line whole, the resume's too.
        QVERIFY(journalLines().contains(QStringLiteral("续接\t人数=2")));
    }
}

// A resume killed before its winners were written (here while a warning of the load is
// open) leaves the interrupted draw the one the next start offers, whole.
void TestJournal::killedDuringTheResumeOffersTheDrawAgain()
{
    QProcess child;
    QStringList before = startChild(child, {QStringLiteral("5")}, QStringLiteral("recorded"));
    child.kill();
    QVERIFY(child.waitForFinished());
    const QByteArray settings = fixture_->readFile(QStringLiteral("bt.txt"));
    QVERIFY(QFile::remove(fixture_->path(QStringLiteral("bt.txt"))));

    QProcess resuming;
    startChild(resuming, {QStringLiteral("0"), QStringLiteral("resume")},
               QStringLiteral("warning"));
    resuming.kill();
    QVERIFY(resuming.waitForFinished());
    fixture_->writeFile(QStringLiteral("bt.txt"), settings);

    fixture_->notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    QVERIFY(host.start());
    QVERIFY(fixture_->notifier.messages.first().text.contains(QStringLiteral("5 名中奖者")));
    QCOMPARE(host.mainWindow()->controls().T1->toPlainText(),
             QString::fromUtf8(QByteArray::fromBase64(before.first().toLatin1())));
}

void TestJournal::resumeQuestionLeftWithoutAChoiceResumes_data()
{
    QTest::addColumn<int>("answer"); // a key, or 0 for the close box
    QTest::addColumn<bool>("resumes");
    QTest::newRow("Enter") << int(Qt::Key_Return) << true;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
    QTest::newRow("close box") << 0 << true;
    QTest::newRow("start afresh chosen") << int(Qt::Key_Tab) << false;
}

// The real question box: only choosing "重新开始" leaves the interrupted draw behind.
void TestJournal::resumeQuestionLeftWithoutAChoiceResumes()
{
    QFETCH(int, answer);
    QFETCH(bool, resumes);
    QTimer::singleShot(0, [answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (answer == 0) {
            box->close();
        } else if (answer == Qt::Key_Tab) {
            for (QAbstractButton *button : box->buttons())
                if (button->text() == QStringLiteral("重新开始"))
                    button->click();
        } else {
            QTest::keyClick(box, Qt::Key(answer));
        }
    });
    MessageBoxNotifier notifier;
    QCOMPARE(notifier.askResume(QStringLiteral("提示"), QStringLiteral("?")),
             resumes ? Notifier::ResumeChoice::Resume : Notifier::ResumeChoice::StartAfresh);
}
