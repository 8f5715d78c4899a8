// Evenings rigged by an operator with the real program and its own files, and journals
// forged with the program's source: each is caught with the right line and kind, one table
// for each kind of fault. The honest variants beside them verify.
#include "tst_proof.h"

#include "drawproof.h"
#include "drawverifier.h"
#include "form2.h"
#include "journal.h"
#include "journalline.h"
#include "journalsurgery.h"
#include "programhost.h"
#include "textcodec.h"

#include <QIODevice>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

// What a row expects: the exit status, the kind of the first fault (-1 for none) and its
// line (0 for none or the journal as a whole).
void expect(const Verification &verified, int status, int kind, qsizetype line)
{
    const QString text = verificationText(verified);
    QVERIFY2(verified.exitStatus() == status, qPrintable(text.right(1500)));
    if (kind < 0) {
        QVERIFY2(verified.faults.isEmpty(), qPrintable(text.right(1500)));
        return;
    }
    QVERIFY2(!verified.faults.isEmpty(), qPrintable(text.right(1500)));
    QVERIFY2(int(verified.faults.first().kind) == kind, qPrintable(text.right(1500)));
    QCOMPARE(verified.faults.first().line, line);
    // The verdict never contradicts what it found: its first line says it failed, in words.
    const QString verdict = text.mid(text.lastIndexOf(u"结论："_qs));
    QVERIFY2(verdict.startsWith(u"结论：不通过。经核对，"_qs), qPrintable(verdict));
    QVERIFY(!verdict.contains(u"VERIFIED"_qs));
    if (line > 0)
        QVERIFY2(verdict.contains(u"第一个问题在第 %1 行"_qs.arg(line)), qPrintable(verdict));
}

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

// Endless bytes, as /dev/zero or a program that never stops writing gives them.
class EndlessDevice : public QIODevice {
public:
    explicit EndlessDevice(QByteArray pattern) : pattern_(std::move(pattern))
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 size) override
    {
        for (qint64 i = 0; i < size; ++i)
            data[i] = pattern_[qsizetype((at_ + i) % pattern_.size())];
        at_ += size;
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray pattern_;
    qint64 at_ = 0;
};

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

// --- Codes: 12 digits hold, 6 are weak ---------------------------------------------------

void TestProof::shortCodesAreWeak_data()
{
    QTest::addColumn<QString>("forgery"); // "" none, "swapped": two winners swapped, rechained
    QTest::addColumn<QString>("head");    // what is compared: see below
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("weak");
    // A forger with the journal tries lines until the head starts with the six digits
    // photographed (about 20 seconds a line): the verifier cannot tell, and says so.
    QTest::newRow("a forgery whose head matches six photographed digits")
        << u"swapped"_qs << u"forged6"_qs << 0 << -1 << true;
    QTest::newRow("the same forgery against twelve photographed digits")
        << u"swapped"_qs << u"honest12"_qs << 1 << int(FaultKind::HeadNotFound) << false;
    QTest::newRow("the honest journal, six digits of an earlier version")
        << QString() << u"honest6"_qs << 0 << -1 << true;
    QTest::newRow("the honest journal, twelve digits in groups")
        << QString() << u"grouped"_qs << 0 << -1 << false;
    QTest::newRow("a forged line padded with invisible characters")
        << u"padded"_qs << QString() << 1 << int(FaultKind::Malformed) << false;
    QTest::newRow("not a code") << QString() << u"12345"_qs << 3 << -1 << false;
}

void TestProof::shortCodesAreWeak()
{
    QFETCH(QString, forgery);
    QFETCH(QString, head);
    QFETCH(int, status);
    QFETCH(int, kind);
    QFETCH(bool, weak);
    QList<QByteArray> lines = splitJournal(journal_);
    const QString honest = verifyDrawBytes(journal_, list_).head;
    const qsizetype gus = lineOf(lines, JournalEvent::Winner, u"Gus"_qs);
    if (forgery == u"swapped") {
        const qsizetype dora = lineOf(lines, JournalEvent::Winner, u"Dora"_qs);
        const qsizetype emil = lineOf(lines, JournalEvent::Winner, u"Emil"_qs);
        lines[dora] = withFields(lines[dora], [](QStringList &f) { f[2] = u"Emil"_qs; });
        lines[emil] = withFields(lines[emil], [](QStringList &f) { f[2] = u"Dora"_qs; });
        rechain(lines);
    } else if (forgery == u"padded") {
        lines[gus] = withFields(lines[gus], [](QStringList &f) { f << u"\u200b\u200c\u200b"_qs; });
        rechain(lines);
    }
    const QString forged = verifyDrawBytes(joinJournal(lines), list_).head;
    QString compared;
    if (head == u"forged6")
        compared = forged.left(WeakCodeDigits);
    else if (head == u"honest12")
        compared = honest.left(StrongCodeDigits);
    else if (head == u"honest6")
        compared = honest.left(WeakCodeDigits);
    else if (head == u"grouped")
        compared = honest.left(4) + u' ' + honest.mid(4, 4) + u' ' + honest.mid(8, 4).toUpper();
    else
        compared = head;
    const Verification verified = verifyDrawBytes(joinJournal(lines), list_, compared);
    expect(verified, status, kind, forgery == u"padded" ? gus + 1 : 0);
    QCOMPARE(verified.comparedHeadWeak, weak);
    if (weak)
        QVERIFY(verificationText(verified).contains(u"证明力较弱"_qs));
    if (forgery == u"padded")
        QVERIFY(verified.faults.first().text.contains(u"U+200B"_qs));
}

// --- Endless and huge input: a clear message, exit 3 -------------------------------------

void TestProof::endlessInputEnds_data()
{
    QTest::addColumn<QByteArray>("pattern"); // repeated without end
    QTest::addColumn<int>("megabytes");      // read at most from a pipe or a device
    QTest::addColumn<QString>("says");
    QTest::newRow("zeros, as /dev/zero gives them")
        << QByteArray(1, '\0') << 64 << u"超过 16 MB"_qs;
    QTest::newRow("short lines without end")
        << QByteArray("2026-12-07 20:00:00\tx\r\n") << 4 << u"还没有读到日志的尽头"_qs;
    QTest::newRow("a line of 40 MB in a journal") << QByteArray() << 0 << u"超过 16 MB"_qs;
}

void TestProof::endlessInputEnds()
{
    QFETCH(QByteArray, pattern);
    QFETCH(int, megabytes);
    QFETCH(QString, says);
    Verification verified;
    if (pattern.isEmpty()) {
        QList<QByteArray> lines = splitJournal(journal_);
        lines.insert(3, QByteArray(40 << 20, 'x'));
        verified = verifyDrawBytes(joinJournal(lines), list_);
    } else {
        EndlessDevice endless(pattern);
        VerifyLimits limits;
        limits.unsizedInput = qint64(megabytes) << 20;
        verified = verifyDrawStream(endless, list_, {}, limits);
    }
    QCOMPARE(verified.exitStatus(), 3);
    const QString text = verificationText(verified);
    QVERIFY2(text.contains(says) && text.contains(u"结论：无法核对。"_qs), qPrintable(text));
}

// --- Another encoding, other line ends: named, and checked all the same ------------------

void TestProof::otherEncodingsAreNamed_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("says");
    QTest::newRow("the journal with LF line ends") << u"journal LF"_qs << u"以 LF 换行"_qs;
    QTest::newRow("the list saved as UTF-8") << u"list UTF-8"_qs << u"UTF-8 编码"_qs;
    QTest::newRow("the list with LF line ends") << u"list LF"_qs << u"LF 换行"_qs;
    QTest::newRow("the journal saved as UTF-16") << u"journal UTF-16"_qs << QString();
}

void TestProof::otherEncodingsAreNamed()
{
    QFETCH(QString, change);
    QFETCH(QString, says);
    QByteArray journal = journal_;
    QByteArray list = list_;
    if (change == u"journal LF")
        journal.replace("\r\n", "\n");
    else if (change == u"list UTF-8")
        list = decodeText(list_).toUtf8();
    else if (change == u"list LF")
        list.replace("\r\n", "\n");
    else if (change == u"journal UTF-16") {
        const QString text = decodeText(journal_);
        journal =
            "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    }
    const Verification verified = verifyDrawBytes(journal, list);
    expect(verified, 0, -1, 0);
    const QString text = verificationText(verified);
    QVERIFY2(text.contains(says), qPrintable(text));
    if (change.startsWith(u"list")) {
        QCOMPARE(verified.draws.first().list, VerifiedDraw::List::Converted);
        QVERIFY(text.contains(u"名单文件另存过"_qs));
    }
    if (change == u"journal LF")
        QVERIFY(verified.lfLines > 0);
}

// --- Resumes written by every version ---------------------------------------------------

void TestProof::resumesOfEveryVersionVerify_data()
{
    QTest::addColumn<int>("digits"); // of the codes on the resume's line; 0: as written
    QTest::addColumn<int>("status");
    QTest::newRow("as this version writes them") << 0 << 0;
    QTest::newRow("six digits, as earlier versions wrote them") << 6 << 0;
    QTest::newRow("twelve digits") << 12 << 0;
    QTest::newRow("five digits: no version wrote those") << 5 << 1;
}

void TestProof::resumesOfEveryVersionVerify()
{
    QFETCH(int, digits);
    QFETCH(int, status);
    QList<QByteArray> lines = splitJournal(resumedJournal_);
    const qsizetype resumed = lineOf(lines, JournalEvent::Resumed);
    if (digits > 0) {
        lines[resumed] = withFields(lines[resumed], [digits](QStringList &f) {
            for (QString &field : f) {
                if (!field.startsWith(u"链码="))
                    continue;
                QStringList codes = field.mid(3).split(u',');
                for (QString &code : codes) {
                    // The code is the start of the chain value: longer ones are not known
                    // here, so a longer code repeats the start it has (and must then fail).
                    code = code.left(qMin<qsizetype>(digits, code.size()));
                }
                field = u"链码="_qs + codes.join(u',');
            }
        });
        // A longer code than written: take it from the chain values themselves.
        if (digits > ChainCodeDigits) {
            QStringList codes;
            for (const QByteArray &line : lines) {
                const std::optional<JournalLine> read = readJournalLine(line);
                if (read && read->fields.value(1) == JournalEvent::Winner && codes.size() < 2)
                    codes << QString::fromLatin1(read->chain.left(digits));
            }
            lines[resumed] = withFields(lines[resumed], [&codes](QStringList &f) {
                for (QString &field : f)
                    if (field.startsWith(u"链码="))
                        field = u"链码="_qs + codes.join(u',');
            });
        }
        rechain(lines);
    }
    const Verification verified = verifyDrawBytes(joinJournal(lines), list_);
    expect(verified, status, status == 0 ? -1 : int(FaultKind::ResumeMismatch),
           status == 0 ? 0 : resumed + 1);
    if (status == 0) {
        QCOMPARE(verified.drawCount, 1);
        QCOMPARE(verified.draws.first().resumeLines.size(), 1);
        QCOMPARE(verified.draws.first().winnerCount, 3);
    }
}
