#include "tst_journal.h"

#include "programhost.h"
#include "textcodec.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

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

// The journal's lines without their timestamps, which must each be a real local time.
QStringList TestJournal::journalLines() const
{
    QStringList lines;
    for (const QString &line : splitLines(decodeText(fixture_->readFile(JournalName)))) {
        const QDateTime stamp =
            QDateTime::fromString(line.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!stamp.isValid() || line.at(19) != QLatin1Char('\t'))
            return {QStringLiteral("bad timestamp: ") + line};
        lines << line.mid(20);
    }
    return lines;
}

void TestJournal::scriptedEventIsJournalledLineByLine()
{
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->directory.path());
    host.start();
    drawOne(*host.mainWindow()); // Anna
    drawOne(*host.mainWindow()); // Bob, and the other Bob leaves with him
    fixture_->random.values = {0.99};
    drawOne(*host.mainWindow()); // the last name: a tab in it is kept, escaped
    QTest::mouseClick(host.mainWindow()->controls().sava, Qt::LeftButton);
    QTest::mouseClick(host.mainWindow()->controls().Format, Qt::LeftButton);
    QTest::mouseClick(host.mainWindow()->controls().Exit, Qt::LeftButton);

    const QString dir = QDir::toNativeSeparators(fixture_->directory.path());
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(fixture_->readFile(QStringLiteral("cjk.txt")),
                                                     QCryptographicHash::Sha256)
                                .toHex());
    const QString start = QStringLiteral("\t标题=年会\t名额=2,2,1,1\t名单=%1/cjk.txt\t人数=7\t"
                                         "SHA-256=%2\t重复=Bob@2,5")
                              .arg(dir, sha);
    const QString report = QStringLiteral("保存报告\t%1/获奖名单.txt").arg(dir);
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

void TestJournal::killedRunResumesWhereItStopped()
{
    QProcess child;
    child.start(QStringLiteral(JOURNAL_CHILD), {fixture_->directory.path(), QStringLiteral("5")});
    QStringList before;
    while (!before.contains(QStringLiteral("recorded"))) {
        if (!child.canReadLine())
            QVERIFY2(child.waitForReadyRead(20000), "the child never recorded its winners");
        else
            before << QString::fromUtf8(child.readLine()).trimmed();
    }
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
        ProgramHost host(notifier, fixture_->random, fixture_->directory.path());
        host.start();
        QCOMPARE(notifier.messages.size(), 1);
        QVERIFY(notifier.messages.first().text.contains(QStringLiteral("5 名中奖者")));
        QCOMPARE(shownState(*host.mainWindow()), before);
        QCOMPARE(host.mainWindow()->engine().state().candidates.names(),
                 QStringList{QStringLiteral("Fay\tGu")});
        // Killed again before any clean end: the resumed winners are in the journal anew.
    }

    notifier.messages.clear();
    notifier.resumeChoice = Notifier::ResumeChoice::StartAfresh;
    ProgramHost host(notifier, fixture_->random, fixture_->directory.path());
    host.start();
    QCOMPARE(notifier.messages.size(), 1);
    QVERIFY(notifier.messages.first().text.contains(QStringLiteral("5 名中奖者")));
    QVERIFY(host.mainWindow()->controls().T1->toPlainText().isEmpty());
    QCOMPARE(host.mainWindow()->engine().state().candidates.size(), 7);
    for (QPushButton *button : host.mainWindow()->controls().tierButtons)
        QVERIFY(button->isEnabled());
}

void TestJournal::resumeWarnsWhenTheListChanged()
{
    fixture_->writeFile(JournalName,
                        encodeText(QStringLiteral("2026-12-07 10:00:00\t程序启动\r\n"
                                                  "2026-12-07 10:00:00\t开始抽奖\tSHA-256=00ff\r\n"
                                                  "2026-12-07 10:01:00\t中奖\t特等奖:\tDora\r\n")));
    fixture_->notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->directory.path());
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
    const QString dir = fixture_->directory.path();
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
    QVERIFY(messages.first().text.contains(QDir::toNativeSeparators(dir + u'/' + JournalName)));
}
