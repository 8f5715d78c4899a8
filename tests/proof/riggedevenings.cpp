// Evenings rigged by an operator with the real program and its own files, and journals
// forged with the program's source: each is caught with the right line and kind, one table
// for each kind of fault. The honest variants beside them verify.
#include "tst_proof.h"

#include "form2.h"
#include "journalsurgery.h"
#include "programhost.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

// The line of `event` (and name) counted from 1, as the verifier names it.
qsizetype lineNumber(const QList<QByteArray> &lines, const QString &event, const QString &name = {})
{
    return lineOf(lines, event, name) + 1;
}

QByteArray timeChanged(const QByteArray &line, const QString &stamp)
{
    const JournalLine read = *readJournalLine(line);
    return chainedJournalLine(journalLineBody(stamp, read.fields.mid(1)), read.chain).chopped(2);
}

void clickTier(Form1 &window, PrizeTier tier)
{
    QPushButton *button = window.controls().tierButtons[tierIndex(tier)];
    QTest::mouseClick(button, Qt::LeftButton);
    window.tick();
    QTest::mouseClick(button, Qt::LeftButton);
}

const QStringList Names{u"Anna"_qs, u"Bob"_qs,  u"王伟"_qs, u"Carl"_qs, u"anna"_qs, u"王伟东"_qs,
                        u"Dora"_qs, u"Emil"_qs, u"Fay"_qs,  u"Gus"_qs,  u"Hana"_qs, u"Ivo"_qs};

enum class Rig { DrawOnAnotherList, QuotaRaisedBehindItsBack, QuotaChangedBySettings };

} // namespace

// --- The whole evening: through the real window ------------------------------------------

void TestProof::riggedEveningsFail_data()
{
    QTest::addColumn<int>("rig");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("kind");
    QTest::newRow("a draw on another list, the published list put back")
        << int(Rig::DrawOnAnotherList) << 1 << int(FaultKind::DrawNotChecked);
    QTest::newRow("a quota raised in bt.txt while the program was killed, then resumed")
        << int(Rig::QuotaRaisedBehindItsBack) << 1 << int(FaultKind::QuotaChanged);
    QTest::newRow("a quota changed in the settings window: listed, not a fault")
        << int(Rig::QuotaChangedBySettings) << 0 << -1;
}

void TestProof::riggedEveningsFail()
{
    QFETCH(int, rig);
    QFETCH(int, status);
    QFETCH(int, kind);
    AppFixture fixture;
    fixture.writeSettings(u"年会"_qs, {u"2"_qs, u"0"_qs, u"0"_qs, u"1"_qs});
    fixture.writeCandidates(Names);
    const QByteArray published = fixture.readFile(ListName);
    auto host =
        std::make_unique<ProgramHost>(fixture.notifier, fixture.random, fixture.programDirectory());
    QVERIFY(host->start());
    switch (Rig(rig)) {
    case Rig::DrawOnAnotherList: {
        // Two chosen names, a reset, the special prize, the published list back.
        fixture.writeCandidates({u"Mallory"_qs, u"Trudy"_qs});
        QTest::mouseClick(host->mainWindow()->controls().Format, Qt::LeftButton);
        clickTier(*host->mainWindow(), PrizeTier::Special);
        QCOMPARE(host->mainWindow()->engine().state().winners.value(0).name, u"Mallory"_qs);
        fixture.writeFile(ListName, published);
        QTest::mouseClick(host->mainWindow()->controls().Exit, Qt::LeftButton);
        break;
    }
    case Rig::QuotaRaisedBehindItsBack:
        drawOne(*host->mainWindow());                       // Anna, third prize
        clickTier(*host->mainWindow(), PrizeTier::Special); // Bob, the one special prize
        QTest::keyClick(host->mainWindow()->controls().T1, Qt::Key_Space); // rolling: killed
        host.reset();
        fixture.writeSettings(u"年会"_qs, {u"2"_qs, u"0"_qs, u"0"_qs, u"2"_qs});
        fixture.notifier.resumeChoice = Notifier::ResumeChoice::Resume;
        host = std::make_unique<ProgramHost>(fixture.notifier, fixture.random,
                                             fixture.programDirectory());
        QVERIFY(host->start());
        clickTier(*host->mainWindow(), PrizeTier::Special); // a second special prize
        QCOMPARE(host->mainWindow()->engine().state().drawnCount[3], 2);
        QTest::mouseClick(host->mainWindow()->controls().Exit, Qt::LeftButton);
        break;
    case Rig::QuotaChangedBySettings:
        // The special prize raised to two in the settings window, saved: a fresh draw.
        clickTier(*host->mainWindow(), PrizeTier::Special);
        QTest::mouseClick(host->mainWindow()->controls().settxt, Qt::LeftButton);
        control<QLineEdit>(host->settingsWindow(), "Text4")->setText(u"2"_qs);
        QTest::mouseClick(control<QPushButton>(host->settingsWindow(), "Command1"), Qt::LeftButton);
        QCOMPARE(host->mainWindow()->engine().state().quota[3], 2);
        clickTier(*host->mainWindow(), PrizeTier::Special);
        clickTier(*host->mainWindow(), PrizeTier::Special);
        QTest::mouseClick(host->mainWindow()->controls().Exit, Qt::LeftButton);
        break;
    }
    host.reset();
    const QList<QByteArray> lines = splitJournal(fixture.readFile(JournalName));
    const Verification verified = verifyDrawBytes(joinJournal(lines), published);
    qsizetype line = 0;
    if (Rig(rig) == Rig::DrawOnAnotherList)
        line = lineNumber(lines, JournalEvent::Reset);
    if (Rig(rig) == Rig::QuotaRaisedBehindItsBack) // the resumed start's
        line =
            lineOf(lines.mid(lineNumber(lines, JournalEvent::DrawStart)), JournalEvent::DrawStart) +
            lineNumber(lines, JournalEvent::DrawStart) + 1;
    expect(verified, status, kind, line);
    const QString text = verificationText(verified);
    switch (Rig(rig)) {
    case Rig::DrawOnAnotherList:
        // Which draw, its list's fingerprint and how many names it had.
        QVERIFY(text.contains(u"第 2 次抽奖"_qs));
        QVERIFY(text.contains(listDigestOf(verified.draws[1].sha256)));
        QVERIFY(verified.faults.first().text.contains(u"2 人"_qs));
        QCOMPARE(verified.draws[1].list, VerifiedDraw::List::Other);
        QCOMPARE(verified.draws[1].holdsReport, true);
        QCOMPARE(verified.draws[0].end, VerifiedDraw::End::Reset);
        break;
    case Rig::QuotaRaisedBehindItsBack:
        QCOMPARE(verified.draws.size(), 1);
        QCOMPARE(verified.draws[0].resumeLines.size(), 1);
        QVERIFY(text.contains(u"特等奖 1 名"_qs) && text.contains(u"特等奖 2 名"_qs));
        break;
    case Rig::QuotaChangedBySettings:
        QCOMPARE(verified.draws.size(), 2);
        QCOMPARE(verified.draws[0].end, VerifiedDraw::End::SettingsSaved);
        QVERIFY(verified.draws[1].settingsSavedLine > 0);
        QVERIFY(text.contains(u"名额在系统设置窗口里改过"_qs));
        break;
    }
}

// --- Truncation: only the photographed head proves the end -------------------------------

void TestProof::truncationNeedsTheHead_data()
{
    QTest::addColumn<bool>("cut");     // the last two winners and what follows cut off
    QTest::addColumn<QString>("head"); // "full", "12", "Emil12" (an earlier winner's code), ""
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("kind");
    QTest::newRow("cut, the photographed head")
        << true << u"full"_qs << 1 << int(FaultKind::HeadNotFound);
    QTest::newRow("cut, its 12 digits") << true << u"12"_qs << 1 << int(FaultKind::HeadNotFound);
    QTest::newRow("cut, no head: passes, and says the end may be cut")
        << true << QString() << 0 << -1;
    QTest::newRow("whole, the head") << false << u"12"_qs << 0 << -1;
    QTest::newRow("whole, an earlier winner's code: later ones listed")
        << false << u"Emil12"_qs << 0 << -1;
}

void TestProof::truncationNeedsTheHead()
{
    QFETCH(bool, cut);
    QFETCH(QString, head);
    QFETCH(int, status);
    QFETCH(int, kind);
    QList<QByteArray> lines = splitJournal(journal_);
    const Verification honest = verifyDrawBytes(journal_, list_);
    QCOMPARE(honest.headEvent, JournalEvent::Winner);
    QCOMPARE(honest.headLine, lineNumber(lines, JournalEvent::Winner, u"Gus"_qs));
    QString compared;
    if (head == u"full")
        compared = honest.head;
    else if (head == u"12")
        compared = honest.head.left(StrongCodeDigits);
    else if (head == u"Emil12")
        compared = QString::fromLatin1(
            readJournalLine(lines[lineOf(lines, JournalEvent::Winner, u"Emil"_qs)])
                ->chain.left(12));
    if (cut)
        lines = lines.first(lineOf(lines, JournalEvent::Winner, u"Fay"_qs));
    const Verification verified = verifyDrawBytes(joinJournal(lines) + "\r\n", list_, compared);
    expect(verified, status, kind, 0);
    const QString text = verificationText(verified);
    if (head.isEmpty())
        QVERIFY2(text.contains(u"末尾可能被截掉过"_qs) && text.contains(u"--head"_qs),
                 qPrintable(text));
    if (head == u"12" && !cut)
        QVERIFY2(text.contains(u"末尾没有被截掉"_qs), qPrintable(text));
    if (head == u"Emil12") {
        QCOMPARE(verified.afterComparedHeadCount, 2); // Fay and Gus
        QVERIFY(text.contains(u"拍照之后"_qs));
    }
}

// --- Lines not whole --------------------------------------------------------------------

void TestProof::linesNotWhole_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("kind");
    QTest::newRow("a torn line in the middle") << u"torn"_qs << 1 << int(FaultKind::NotWhole);
    QTest::newRow("a line of 10 MB in the middle") << u"10MB"_qs << 1 << int(FaultKind::NotWhole);
    QTest::newRow("a full disk: the line written again whole after its start")
        << u"written again"_qs << 0 << -1;
    QTest::newRow("a crash: the line cut short, then the program starts again")
        << u"crash"_qs << 0 << -1;
    QTest::newRow("a power cut: zeros where the line was to go, then a start")
        << u"zeros"_qs << 0 << -1;
    QTest::newRow("bytes that start no line, then a start")
        << u"garbage"_qs << 1 << int(FaultKind::NotWhole);
    QTest::newRow("the list given as the journal")
        << u"list"_qs << 1 << int(FaultKind::NotAJournal);
}

void TestProof::linesNotWhole()
{
    QFETCH(QString, change);
    QFETCH(int, status);
    QFETCH(int, kind);
    QList<QByteArray> lines = splitJournal(journal_);
    const qsizetype wang = lineOf(lines, JournalEvent::Winner, u"王伟"_qs);
    qsizetype at = 0;
    if (change == u"torn") {
        // Not the start of the line after it, as a full disk's would be.
        lines.insert(wang, lines[lineOf(lines, JournalEvent::Winner, u"Anna"_qs)].left(40));
        at = wang + 1;
    } else if (change == u"10MB") {
        lines.insert(wang, QByteArray(10 << 20, 'x'));
        at = wang + 1;
    } else if (change == u"written again") {
        lines.insert(wang, lines[wang].left(25) + '\t');
    } else if (change == u"crash" || change == u"zeros" || change == u"garbage") {
        // The clean end cut short (or zeros, or bytes of no line in its place); the next
        // start goes on from the newest whole line, after a tab (journal.cpp).
        QList<QByteArray> next = splitJournal(typedJournal_);
        lines.removeLast(); // what follows the last CR LF: nothing
        if (change == u"crash")
            lines.last().chop(5);
        else if (change == u"zeros")
            lines.last() = lines.last().left(12) + QByteArray(40, '\0');
        else
            lines.last() = "xyz";
        lines.last() += '\t';
        at = lines.size();
        QByteArray chain = readJournalLine(lines[lines.size() - 2])->chain;
        for (const QByteArray &line : next.first(2)) {
            const JournalLine read = *readJournalLine(line);
            chain = journalChainValue(chain, read.body);
            lines.append(chainedJournalLine(read.body, chain).chopped(2));
        }
    }
    const QByteArray journal = change == u"list" ? list_ : joinJournal(lines);
    const Verification verified = verifyDrawBytes(journal, list_);
    expect(verified, status, kind, status == 0 ? 0 : at);
    const QString text = verificationText(verified);
    if (change == u"list")
        QVERIFY2(verified.notes.isEmpty() && !text.contains(u"日志的最后"_qs), qPrintable(text));
    if (status == 0) {
        QCOMPARE(verified.tornLines, 1);
        QVERIFY(text.contains(u"1 行不完整"_qs));
    }
}

// --- Times ------------------------------------------------------------------------------

void TestProof::timesRunForward_data()
{
    QTest::addColumn<QString>("stamp"); // Emil's line's, the chain worked out again
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("kind");
    QTest::newRow("earlier than the line before")
        << u"2020-01-01 00:00:00"_qs << 1 << int(FaultKind::TimeBackwards);
    QTest::newRow("a zero-width space in it")
        << u"2026-12-07 20:00:00\u200b"_qs << 1 << int(FaultKind::BadTime);
    QTest::newRow("a right-to-left mark in it")
        << u"\u200f2026-12-07 20:00:00"_qs << 1 << int(FaultKind::BadTime);
    QTest::newRow("no such day") << u"2026-02-30 20:00:00"_qs << 1 << int(FaultKind::BadTime);
    QTest::newRow("far ahead: the line after it goes back")
        << u"2099-12-31 23:59:59"_qs << 1 << int(FaultKind::TimeBackwards);
}

void TestProof::timesRunForward()
{
    QFETCH(QString, stamp);
    QFETCH(int, status);
    QFETCH(int, kind);
    QList<QByteArray> lines = splitJournal(journal_);
    const qsizetype emil = lineOf(lines, JournalEvent::Winner, u"Emil"_qs);
    lines[emil] = timeChanged(lines[emil], stamp);
    rechain(lines);
    const Verification verified = verifyDrawBytes(joinJournal(lines), list_);
    // A time far ahead is fine on its own line: the next line is then the one that goes back.
    expect(verified, status, kind, emil + 1 + (stamp.startsWith(u"2099") ? 1 : 0));
    if (kind == int(FaultKind::BadTime) && stamp.contains(u'\u200b'))
        QVERIFY(verified.faults.first().text.contains(u"U+200B"_qs));
}
