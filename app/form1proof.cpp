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
    journal_.setWrittenListener(this, [this](const QList<WrittenJournalLine> &) { showProof(); });
}

void Form1::noteDrawStart(const QString &listPath, const CandidatePool &list)
{
    journal_.ledger().startDraw(listPath, list.names.size(), QString::fromLatin1(list.sha256),
                                engine_.state().quota);
    showProof();
}

DrawProof Form1::drawProof() const
{
    DrawProof proof;
    proof.names = journal_.ledger().names();
    proof.listDigest = listDigestOf(journal_.ledger().sha256());
    proof.chainHead = journal_.ledger().head();
    const DrawState &state = engine_.state();
    const QList<DrawnWinner> &winners = state.winners;
    // Right after a void the stage shows the void: its photograph must cover that line.
    if (state.lastVoid && *state.lastVoid < winners.size()) {
        proof.resultCode =
            journal_.ledger().winnerLine(winners[*state.lastVoid].journalLine).voidCode;
        return proof;
    }
    for (auto winner = winners.crbegin(); winner != winners.crend(); ++winner) {
        if (!winner->voided) {
            proof.resultCode = journal_.ledger().winnerLine(winner->journalLine).code;
            break;
        }
    }
    return proof;
}

void Form1::showProof()
{
    // The window's layout stays as it is: the fingerprint is its tooltip, shown wherever a
    // control has no tooltip of its own.
    QString tip =
        QStringLiteral("名单指纹：") +
        fingerprintText(journal_.ledger().names(), listDigestOf(journal_.ledger().sha256()));
    if (!journal_.ledger().head().isEmpty())
        tip += QStringLiteral("\n抽奖日志链头：") + journal_.ledger().head();
    setToolTip(tip);
    // After the event's handler: a winner's line is named by the winner only once written.
    QMetaObject::invokeMethod(this, &Form1::proofChanged, Qt::QueuedConnection);
}

void Form1::saveResultSheet(const QString &path)
{
    const ProofLedger &ledger = journal_.ledger();
    const auto drawOf = [](const ProofLedger::Draw &draw) {
        return SheetDraw{
            QFileInfo(draw.listPath).fileName(), draw.names, draw.sha256, draw.quotas, {}};
    };
    ResultSheet sheet;
    // Earlier draws as the journal holds them: their winners left the window with the reset.
    for (const ProofLedger::Draw &earlier : ledger.earlierDraws()) {
        SheetDraw draw = drawOf(earlier);
        for (const QString &check : earlier.winnerLines) {
            const ProofLedger::WinnerLine line = earlier.lines.value(check);
            draw.winners.append({line.tier.value_or(PrizeTier::Third), line.name, line.stamp,
                                 line.code, line.typed, !line.voidStamp.isEmpty(), line.voidStamp,
                                 line.voidCode});
        }
        sheet.draws.append(draw);
    }
    // The draw of the report, from the window: a winner whose line waits is listed too.
    const DrawState &state = engine_.state();
    SheetDraw current =
        drawOf({ledger.listPath(), ledger.names(), ledger.sha256(), state.quota, {}, {}});
    for (const DrawnWinner &winner : state.winners) {
        const ProofLedger::WinnerLine line = ledger.winnerLine(winner.journalLine);
        current.winners.append({winner.tier, winner.name, line.stamp, line.code, winner.typed,
                                winner.voided, line.voidStamp, line.voidCode});
    }
    sheet.draws.append(current);
    sheet.title = state.eventTitle;
    sheet.time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    sheet.journalName = JournalFileName;
    sheet.head = ledger.head();
    if (const FileResult written = writeResultSheet(path, sheet); !written.ok())
        notifier_.warning(QStringLiteral("提示:"), written.error);
}
