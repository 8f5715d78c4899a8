#include "tst_journal.h"

#include "drawverifier.h"
#include "filesizelimit.h"
#include "journal.h"
#include "journalline.h"
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

namespace {

const QString JournalName = QStringLiteral("抽奖日志.txt");

void drawOne(Form1 &window)
{
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    window.tick();
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
}

QStringList shownState(const Form1 &window)
{
    const Form1Controls &c = window.controls();
    QStringList enabled;
    for (QPushButton *button : c.tierButtons)
        enabled << (button->isEnabled() ? QStringLiteral("1") : QStringLiteral("0"));
    return {c.T1->toPlainText(), c.Text2->toPlainText(), enabled.join(u',')};
}

} // namespace

void TestJournal::init()
{
    fixture_.emplace();
    fixture_->writeSettings(QStringLiteral("年会"), {QStringLiteral("2"), QStringLiteral("2"),
                                                     QStringLiteral("1"), QStringLiteral("1")});
    fixture_->writeCandidates({QStringLiteral("Anna"), QStringLiteral("Bob"),
                               QStringLiteral("Carl"), QStringLiteral("Dora"),
                               QStringLiteral("Bob"), QStringLiteral("Emil"),
                               QStringLiteral("Fay\tGu")});
}

void TestJournal::cleanup()
{
    fixture_.reset();
}

// The journal's lines without their timestamps and checks; every line must be whole and
// carry a real local time.
QStringList TestJournal::journalLines() const
{
    QStringList lines;
    QList<QByteArray> bytes = fixture_->readFile(JournalName).split('\n');
    if (bytes.takeLast() != QByteArray())
        return {QStringLiteral("the journal does not end in a line end")};
    for (const QByteArray &line : bytes) {
        const std::optional<QStringList> fields =
            line.endsWith('\r') ? parseJournalLine(line.chopped(1)) : std::nullopt;
        if (!fields ||
            !QDateTime::fromString(fields->first(), QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                 .isValid())
            return {QStringLiteral("bad line: ") + QString::fromLatin1(line.toHex())};
        lines << fields->mid(1).join(u'\t');
    }
    return lines;
}

void TestJournal::scriptedEventIsJournalledLineByLine()
{
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    host.start();
    drawOne(*host.mainWindow()); // Anna
    drawOne(*host.mainWindow()); // Bob, and the other Bob leaves with him
    fixture_->random.values = {0.99};
    drawOne(*host.mainWindow()); // the last name: a tab in it is kept, escaped
    QTest::mouseClick(host.mainWindow()->controls().sava, Qt::LeftButton);
    QTest::mouseClick(host.mainWindow()->controls().Format, Qt::LeftButton);
    QTest::mouseClick(host.mainWindow()->controls().Exit, Qt::LeftButton);

    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(fixture_->readFile(QStringLiteral("cjk.txt")),
                                                     QCryptographicHash::Sha256)
                                .toHex());
    const QString start =
        QStringLiteral("\t标题=年会\t名额=2,2,1,1\t名单=%1\t人数=7\t"
                       "SHA-256=%2\t重复=Bob@2,5")
            .arg(escapeJournalField(fixture_->path(QStringLiteral("cjk.txt"))), sha);
    const QString report = QStringLiteral("保存报告\t") +
                           escapeJournalField(fixture_->path(QStringLiteral("获奖名单.txt")));
    const QStringList expected{
        QStringLiteral("程序启动"),
        QStringLiteral("开始抽奖") + start,
        QStringLiteral("中奖\t3等奖:\tAnna\t抽前=7\t抽后=6"),
        QStringLiteral("中奖\t3等奖:\tBob\t抽前=6\t抽后=4"),
        QStringLiteral("中奖\t2等奖:\tFay\\tGu\t抽前=4\t抽后=3"),
        report,
        QStringLiteral("初始化") + start,
        report,
        QStringLiteral("正常结束"),
    };
    QCOMPARE(journalLines(), expected);
    QVERIFY(fixture_->readFile(JournalName).endsWith("\r\n"));
}

// Starts the journal child and reads what it says until `last`.
QStringList TestJournal::startChild(QProcess &child, const QStringList &arguments,
                                    const QString &last) const
{
    child.start(QStringLiteral(JOURNAL_CHILD),
                QStringList{fixture_->programDirectory()} + arguments);
    QStringList said;
    while (!said.contains(last)) {
        if (child.canReadLine())
            said << QString::fromUtf8(child.readLine()).trimmed();
        else if (!child.waitForReadyRead(20000))
            return said << QStringLiteral("the child never said ") + last;
    }
    return said;
}

QMap<QString, QByteArray> TestJournal::folderContents() const
{
    QMap<QString, QByteArray> contents;
    for (const QString &name : QDir(fixture_->directory.path()).entryList(QDir::Files))
        contents[name] = fixture_->readFile(name);
    return contents;
}

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
                         QStringLiteral("^续接\t人数=5\t链码=[0-9a-f]{6}(,[0-9a-f]{6}){4}$")))
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

void TestJournal::journalFailureIsSaidOnceAndTheDrawGoesOn()
{
    // Root ignores a read-only folder, so there a folder in the journal's place is the fault.
    bool readOnlyFolder = false;
#ifdef Q_OS_UNIX
    readOnlyFolder = ::geteuid() != 0;
#endif
    const QString dir = fixture_->programDirectory();
    if (readOnlyFolder)
        QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
    else
        QVERIFY(QDir(dir).mkdir(JournalName));

    ProgramHost host(fixture_->notifier, fixture_->random, dir);
    host.start();
    drawOne(*host.mainWindow());
    drawOne(*host.mainWindow());
    if (readOnlyFolder)
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(host.mainWindow()->engine().state().log,
             QStringLiteral("3等奖:Bob\r\n3等奖:Anna\r\n"));
    const auto &messages = fixture_->notifier.messages;
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().icon, Notifier::Icon::Warning);
    QVERIFY2(messages.first().text.contains(fixture_->path(JournalName)),
             qPrintable(messages.first().text));
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

// Two copies in one folder would resume each other's draw and overwrite each other's
// report: the second says so and leaves every file as it was; a killed first copy's lock
// is taken over.
void TestJournal::secondCopyInTheFolderWritesNothing()
{
    QProcess first;
    QCOMPARE(startChild(first, {QStringLiteral("2")}, QStringLiteral("recorded")).size(), 4);
    const QMap<QString, QByteArray> running = folderContents();

    QProcess second;
    const QStringList said = startChild(second, {QStringLiteral("1")}, QStringLiteral("refused"));
    QVERIFY(second.waitForFinished());
    QCOMPARE(second.exitCode(), 3);
    const QString message = QString::fromUtf8(QByteArray::fromBase64(said.first().toLatin1()));
    QVERIFY2(message.startsWith(QStringLiteral("抽奖程序已经在运行")), qPrintable(message));
    QVERIFY(message.contains(fixture_->programDirectory()));
    QCOMPARE(folderContents(), running);

    first.kill();
    QVERIFY(first.waitForFinished());
    fixture_->notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    QVERIFY(host.start());
    QCOMPARE(host.mainWindow()->engine().state().drawnCount[0], 2);
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

// Line breaks pasted into the rolling display never reach a winner's name.
void TestJournal::pastedLineBreaksStayOutOfTheDisplay()
{
    auto window = fixture_->openMainWindow();
    QApplication::clipboard()->setText(QStringLiteral("前\r后\n尾"));
    window->controls().Text1->paste();
    QCOMPARE(window->controls().Text1->text(), QStringLiteral("前后尾"));
    QCOMPARE(window->engine().state().display, QStringLiteral("前后尾"));
}
