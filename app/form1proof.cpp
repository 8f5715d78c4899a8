// Form1's proof of the draw: the list's fingerprint and the journal's chain head in the
// window's tooltip, the chain code of every winner's line (drawProof() for the stage), and
// the result sheet written beside the report.
#include "form1.h"

#include "candidatefile.h"
#include "notifier.h"
#include "programpaths.h"
#include "resultsheet.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMetaObject>

void Form1::setUpProof()
{
    journal_.setWrittenListener(this, [this](const QList<WrittenJournalLine> &lines) {
        proof_.noteWritten(lines);
        showProof();
    });
}

void Form1::noteDrawStart(const QString &listPath, const CandidatePool &list)
{
    proof_.startDraw(listPath, list.names.size(), QString::fromLatin1(list.sha256));
    showProof();
}

DrawProof Form1::drawProof() const
{
    DrawProof proof;
    proof.names = proof_.names();
    proof.listDigest = listDigestOf(proof_.sha256());
    proof.chainHead = journal_.head();
    const QList<DrawnWinner> &winners = engine_.state().winners;
    for (auto winner = winners.crbegin(); winner != winners.crend(); ++winner) {
        if (!winner->voided) {
            proof.lastWinnerCode = proof_.winnerLine(winner->journalLine).code;
            break;
        }
    }
    return proof;
}

void Form1::showProof()
{
    // The window's layout stays as it is: the fingerprint is its tooltip, shown wherever a
    // control has no tooltip of its own.
    QString tip = QStringLiteral("名单指纹：") +
                  fingerprintText(proof_.names(), listDigestOf(proof_.sha256()));
    if (!journal_.head().isEmpty())
        tip += QStringLiteral("\n抽奖日志链头：") + journal_.head();
    setToolTip(tip);
    // After the event's handler: a winner's line is named by the winner only once written.
    QMetaObject::invokeMethod(this, &Form1::proofChanged, Qt::QueuedConnection);
}

void Form1::saveResultSheet(const QString &path)
{
    const DrawState &state = engine_.state();
    ResultSheet sheet;
    sheet.title = state.eventTitle;
    sheet.time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    sheet.listName = QFileInfo(proof_.listPath()).fileName();
    sheet.names = proof_.names();
    sheet.sha256 = proof_.sha256();
    sheet.quotas = state.quota;
    for (const DrawnWinner &winner : state.winners) {
        const ProofLedger::WinnerLine line = proof_.winnerLine(winner.journalLine);
        sheet.winners.append({winner.tier, winner.name, line.stamp, line.code, winner.typed,
                              winner.voided, line.voidStamp});
    }
    sheet.journalName = JournalFileName;
    sheet.head = journal_.head();
    if (const FileResult written = writeResultSheet(path, sheet); !written.ok())
        notifier_.warning(QStringLiteral("提示:"), written.error);
}
