#include "drawproof.h"

#include "journalline.h"
#include "resumeblock.h"
#include "winnervoid.h"

#include <QLocale>

QString listDigestOf(const QString &sha256)
{
    return sha256.left(ListDigestDigits);
}

QString chainCodeOf(const QString &chain)
{
    return chain.left(ChainCodeDigits);
}

QString fingerprintText(qsizetype names, const QString &listDigest)
{
    return QStringLiteral("%1 人 · %2")
        .arg(QLocale::c().toString(qlonglong(names)),
             listDigest.isEmpty() ? QStringLiteral("（名单未读到）") : listDigest);
}

void ProofLedger::startDraw(const QString &listPath, qsizetype names, const QString &sha256)
{
    listPath_ = listPath;
    names_ = names;
    sha256_ = sha256;
    winners_.clear();
}

void ProofLedger::noteWritten(const QList<WrittenJournalLine> &lines)
{
    for (const WrittenJournalLine &line : lines) {
        const QString &event = line.record.fields.value(0);
        if (event == JournalEvent::Winner) {
            WinnerLine &winner = winners_[line.check];
            if (winner.code.isEmpty())
                winner.code = chainCodeOf(line.chain);
            if (winner.stamp.isEmpty())
                winner.stamp = line.record.stamp;
        } else if (event == JournalEvent::Void) {
            noteVoid(line.record);
        }
    }
}

void ProofLedger::noteResumed(const ResumePlan &plan)
{
    for (qsizetype i = 0; i < plan.winners.size(); ++i) {
        WinnerLine &winner = winners_[plan.winners[i].journalLine];
        winner.code = plan.winnerCodes.value(i);
        winner.stamp = plan.winnerLines.value(i).stamp;
    }
    for (const JournalRecord &line : plan.voidLines)
        noteVoid(line);
}

void ProofLedger::noteVoid(const JournalRecord &line)
{
    // 作废, the log label, the name, 中奖行= and the winner line's check, the counts.
    const QString named = line.fields.value(3);
    if (named.startsWith(VoidWinnerLineKey))
        winners_[named.mid(VoidWinnerLineKey.size())].voidStamp = line.stamp;
}
