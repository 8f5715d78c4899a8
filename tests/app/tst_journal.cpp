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
                       "SHA-256=%2\t重复=Bob@2,5\t不可见字符=0")
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

// The journal catches up as a tier starts rolling: a box then would take the press meant
// to stop it. The notice waits for the stop, and comes after the winner is recorded.
void TestJournal::noticeDuringARollWaitsForTheStop()
{
    const QString journalPath = fixture_->path(JournalName);
    QVERIFY(QDir().mkdir(journalPath)); // a folder in the journal's place: nothing is written
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    host.start();
    Form1 &window = *host.mainWindow();
    auto &messages = fixture_->notifier.messages;
    QCOMPARE(messages.size(), 1); // the journal is behind
    QVERIFY(QDir().rmdir(journalPath));

    bool rollingAtANotice = false;
    QList<qsizetype> winnersAtANotice;
    fixture_->notifier.onMessage = [&] {
        rollingAtANotice |= window.controls().Timer1->isActive();
        winnersAtANotice << window.engine().state().winners.size();
    };
    const QLineEdit *display = window.controls().Text1;
    QTest::keyClick(window.controls().T1, Qt::Key_Space); // starts; the journal catches up
    QCOMPARE(messages.size(), 1);
    window.tick();
    const QString shown = display->text();
    QTest::keyClick(window.controls().T1, Qt::Key_Space); // the stop, not a box
    QCOMPARE(window.engine().state().winners.size(), 1);
    QCOMPARE(window.engine().state().winners.first().name, shown);
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages.last().text.startsWith(QStringLiteral("抽奖日志又能写入了")),
             qPrintable(messages.last().text));
    QVERIFY(!rollingAtANotice);
    QCOMPARE(winnersAtANotice, QList<qsizetype>{1});
    QVERIFY(decodeText(fixture_->readFile(JournalName)).contains(u'\t' + shown + u'\t'));
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

// Line breaks pasted into the rolling display never reach a winner's name.
void TestJournal::pastedLineBreaksStayOutOfTheDisplay()
{
    auto window = fixture_->openMainWindow();
    QApplication::clipboard()->setText(QStringLiteral("前\r后\n尾"));
    window->controls().Text1->paste();
    QCOMPARE(window->controls().Text1->text(), QStringLiteral("前后尾"));
    QCOMPARE(window->engine().state().display, QStringLiteral("前后尾"));
}
