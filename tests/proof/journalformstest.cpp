// Journals in every form a verifier meets: codes of either length, endless input, other
// encodings and line ends, and the resumes of every version.
#include "tst_proof.h"

#include "journalsurgery.h"
#include "textcodec.h"

#include <QTest>

namespace {

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

} // namespace

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

// --- A winner's place in a press of several: the form the program writes, nothing else ---

void TestProof::pressPlaceOnAWinnerLine_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("kind");
    QTest::newRow("the second of five") << u"本次=2/5"_qs << 0 << -1;
    QTest::newRow("the last of a hundred") << u"本次=100/100"_qs << 0 << -1;
    QTest::newRow("a press of one has none") << u"本次=1/1"_qs << 1 << int(FaultKind::Malformed);
    QTest::newRow("no place 0") << u"本次=0/5"_qs << 1 << int(FaultKind::Malformed);
    QTest::newRow("beyond the press") << u"本次=6/5"_qs << 1 << int(FaultKind::Malformed);
    QTest::newRow("a sign") << u"本次=+2/5"_qs << 1 << int(FaultKind::Malformed);
    QTest::newRow("a space after") << u"本次=2/5 "_qs << 1 << int(FaultKind::Malformed);
    QTest::newRow("no count") << u"本次=2"_qs << 1 << int(FaultKind::Malformed);
}

void TestProof::pressPlaceOnAWinnerLine()
{
    QFETCH(QString, field);
    QFETCH(int, status);
    QFETCH(int, kind);
    QList<QByteArray> lines = splitJournal(journal_);
    const qsizetype gus = lineOf(lines, JournalEvent::Winner, u"Gus"_qs);
    lines[gus] = withFields(lines[gus], [&](QStringList &f) { f << field; });
    rechain(lines);
    expect(verifyDrawBytes(joinJournal(lines), list_), status, kind, kind < 0 ? 0 : gus + 1);
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
