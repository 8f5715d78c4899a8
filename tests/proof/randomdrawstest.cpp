#include "tst_proof.h"

#include "drawverifier.h"
#include "journal.h"
#include "journalline.h"
#include "journalsurgery.h"
#include "programhost.h"
#include "resultsheet.h"
#include "textcodec.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <memory>

namespace {

// The window's proof is the verifier's: the journal as it stands verifies, its head is the
// window's, and the verifier's newest draw is the window's, winner by winner, with the code
// the window shows for its newest standing winner (or, right after a void, the void's).
void checkProof(const AppFixture &fixture, const Form1 &window, const QString &where)
{
    const DrawProof proof = window.drawProof();
    const Verification verified = verifyDraw(fixture.path(JournalName), fixture.path(ListName));
    const QString text = where + u"\n"_qs + verificationText(verified);
    QVERIFY2(verified.exitStatus() == 0, qPrintable(text));
    // The evening's head is the newest winner's or void's line; the window's is that at
    // least when that line is the journal's newest.
    if (verified.headLine == verified.endChainLine)
        QCOMPARE(proof.chainHead, verified.head);
    QCOMPARE(proof.listDigest, verified.listSha256.left(16));
    QCOMPARE(proof.names, verified.listNames);
    QVERIFY(window.toolTip().contains(proof.listDigest));
    const QList<DrawnWinner> &winners = window.engine().state().winners;
    const QList<VerifiedWinner> checked = verified.draws.last().winners;
    QVERIFY2(checked.size() == winners.size(), qPrintable(text));
    QString newest;
    for (qsizetype i = 0; i < winners.size(); ++i) {
        QCOMPARE(checked[i].logLabel + checked[i].name,
                 tierRow(winners[i].tier).logLabel.toString() + winners[i].name);
        QCOMPARE(checked[i].voided, winners[i].voided);
        if (!checked[i].voided)
            newest = chainCodeOf(checked[i].chain);
    }
    // Right after a void the window shows the void line's own code; otherwise the newest
    // standing winner's.
    // A resumed draw shows a code again from its next result line on; whatever is shown is
    // a line of this journal.
    if (window.engine().state().lastVoid)
        QCOMPARE(proof.resultCode.size(), ChainCodeDigits);
    else if (verified.draws.last().resumeLines.isEmpty())
        QCOMPARE(proof.resultCode, newest);
    if (!proof.resultCode.isEmpty()) {
        const Verification found =
            verifyDraw(fixture.path(JournalName), fixture.path(ListName), proof.resultCode);
        QVERIFY2(found.comparedHeadLine > 0, qPrintable(where));
    }
}

} // namespace

// Many random draws through the real program, with voids, resets, reports, crashes (some
// tearing the journal's last line) and resumes: after every step the journal verifies and
// the window's proof is the verifier's; at the end the result sheet carries every code.
void TestProof::randomDrawsVerify()
{
    // PRIZEDRAW_PROOF_SEEDS=N runs N draws from PRIZEDRAW_PROOF_FIRST_SEED on, for longer
    // runs by hand.
    const int seeds = qEnvironmentVariableIntValue("PRIZEDRAW_PROOF_SEEDS") > 0
                          ? qEnvironmentVariableIntValue("PRIZEDRAW_PROOF_SEEDS")
                          : 24;
    const int first = qMax(1, qEnvironmentVariableIntValue("PRIZEDRAW_PROOF_FIRST_SEED"));
    for (int seed = first; seed < first + seeds; ++seed) {
        QRandomGenerator rng{quint32(seed)};
        AppFixture fixture;
        // Short names of few letters: many hold others, many differ only in letter case.
        const QStringList letters{u"A"_qs, u"a"_qs, u"B"_qs, u"b"_qs, u"王"_qs, u"伟"_qs, u"C"_qs};
        QStringList names;
        for (int i = 0; i < 40; ++i) {
            QString name;
            for (int n = 1 + rng.bounded(3); n > 0; --n)
                name += letters[rng.bounded(letters.size())];
            names << name;
        }
        fixture.writeCandidates(names);
        QStringList quotas;
        for (int t = 0; t < 4; ++t)
            quotas << QString::number(rng.bounded(5));
        fixture.writeSettings(u"年会 %1"_qs.arg(seed), quotas);
        fixture.notifier.confirmAnswer = true;

        auto host = std::make_unique<ProgramHost>(fixture.notifier, fixture.random,
                                                  fixture.programDirectory());
        QVERIFY(host->start());
        for (int step = 0; step < 30; ++step) {
            Form1 &window = *host->mainWindow();
            const int action = rng.bounded(100);
            if (action < 55) {
                fixture.random.values = {rng.generateDouble()};
                drawOne(window);
            } else if (action < 65) {
                const int lines = window.controls().T1->document()->blockCount();
                QPlainTextEdit *log = window.controls().T1;
                log->setTextCursor(
                    QTextCursor(log->document()->findBlockByNumber(rng.bounded(lines))));
                QTest::keyClick(log, Qt::Key_Delete);
            } else if (action < 70) {
                QTest::mouseClick(window.controls().Format, Qt::LeftButton);
            } else if (action < 75) {
                QTest::mouseClick(window.controls().sava, Qt::LeftButton);
            } else if (action < 90) {
                // Killed; sometimes a power cut tears the last line.
                host.reset();
                if (rng.bounded(3) == 0) {
                    const QByteArray journal = fixture.readFile(JournalName);
                    fixture.writeFile(JournalName, journal.chopped(1 + rng.bounded(30)));
                }
                fixture.notifier.resumeChoice = rng.bounded(5) == 0
                                                    ? Notifier::ResumeChoice::StartAfresh
                                                    : Notifier::ResumeChoice::Resume;
                host = std::make_unique<ProgramHost>(fixture.notifier, fixture.random,
                                                     fixture.programDirectory());
                QVERIFY(host->start());
            } else {
                QTest::mouseClick(window.controls().Exit, Qt::LeftButton);
                host.reset();
                host = std::make_unique<ProgramHost>(fixture.notifier, fixture.random,
                                                     fixture.programDirectory());
                QVERIFY(host->start());
            }
            fixture.notifier.messages.clear();
            checkProof(fixture, *host->mainWindow(), u"seed %1, step %2"_qs.arg(seed).arg(step));
            if (QTest::currentTestFailed())
                return;
        }

        // The sheet written on the way out names every winner with the verifier's code.
        Form1 &window = *host->mainWindow();
        QTest::mouseClick(window.controls().Exit, Qt::LeftButton);
        const Verification verified = verifyDraw(fixture.path(JournalName), fixture.path(ListName));
        QCOMPARE(verified.exitStatus(), 0);
        const QString sheet = decodeText(fixture.readFile(ResultSheetFileName));
        QVERIFY(sheet.contains(verified.listSha256));
        qsizetype at = 0;
        for (const VerifiedWinner &winner : verified.draws.last().winners) {
            const QString entry =
                winner.name + u"  "_qs + winner.stamp + u"  链码 "_qs + chainCodeOf(winner.chain);
            at = sheet.indexOf(entry, at);
            QVERIFY2(at >= 0,
                     qPrintable(u"seed %1: %2 not in the sheet\n"_qs.arg(seed).arg(entry) + sheet));
        }
    }
}
