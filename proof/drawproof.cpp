#include "drawproof.h"

#include "journalline.h"
#include "resumeblock.h"
#include "winnervoid.h"

#include <QLocale>

#include <utility>

QString listDigestOf(const QString &sha256)
{
    return sha256.left(ListDigestDigits);
}

QString chainCodeOf(const QString &chain)
{
    return chain.left(ChainCodeDigits);
}

bool chainCodeMatches(const QString &code, const QString &chain)
{
    const bool longEnough = code.size() >= ChainCodeDigits || code.size() == EarlierChainCodeDigits;
    return longEnough && code.size() <= chain.size() && chain.startsWith(code, Qt::CaseInsensitive);
}

bool recordsResult(const QString &event)
{
    return event == JournalEvent::Winner || event == JournalEvent::Void;
}

QString fingerprintText(qsizetype names, const QString &listDigest)
{
    return QStringLiteral("%1 人 · %2")
        .arg(QLocale::c().toString(qlonglong(names)),
             listDigest.isEmpty() ? QStringLiteral("（名单未读到）") : listDigest);
}

void ProofLedger::startDraw(const QString &listPath, qsizetype names, const QString &sha256,
                            const std::array<qint32, 4> &quotas)
{
    if (std::exchange(started_, true))
        earlier_.append(current_);
    current_ = {listPath, names, sha256, quotas, {}, {}};
}

void ProofLedger::noteWritten(const QList<WrittenJournalLine> &lines)
{
    for (const WrittenJournalLine &line : lines) {
        const QString &event = line.record.fields.value(0);
        if (recordsResult(event))
            head_ = line.chain;
        if (event == JournalEvent::Winner)
            noteWinner(line.record, line.check, chainCodeOf(line.chain));
        else if (event == JournalEvent::Void)
            noteVoid(line.record, line.chain);
    }
}

void ProofLedger::noteResumed(const ResumePlan &plan)
{
    for (qsizetype i = 0; i < plan.winners.size(); ++i)
        noteWinner(plan.winnerLines.value(i), plan.winners[i].journalLine,
                   plan.winnerCodes.value(i));
    // Their codes come with their copies, as the resume writes them.
    for (const JournalRecord &line : plan.voidLines)
        noteVoid(line, QString());
}

void ProofLedger::noteWinner(const JournalRecord &line, const QString &check, const QString &code)
{
    // 中奖, the log label, the name, the pool's sizes, 手动输入 for a typed one. The same
    // line again (a write repeated after a failure, a resume's copy) keeps its first code.
    WinnerLine &winner = current_.lines[check];
    if (!current_.winnerLines.contains(check))
        current_.winnerLines.append(check);
    if (winner.code.isEmpty())
        winner.code = code;
    if (winner.stamp.isEmpty())
        winner.stamp = line.stamp;
    winner.tier = tierOfLogLabel(line.fields.value(1));
    winner.name = unescapeJournalField(line.fields.value(2));
    winner.typed = line.fields.indexOf(TypedField, 3) > 0;
}

void ProofLedger::noteVoid(const JournalRecord &line, const QString &chain)
{
    // 作废, the log label, the name, 中奖行= and the winner line's check, the counts.
    const QString named = line.fields.value(3);
    if (!named.startsWith(VoidWinnerLineKey))
        return;
    const auto found = current_.lines.find(named.mid(VoidWinnerLineKey.size()));
    if (found == current_.lines.end())
        return;
    WinnerLine &winner = *found;
    winner.voidStamp = line.stamp;
    if (!chain.isEmpty() && winner.voidCode.isEmpty())
        winner.voidCode = chainCodeOf(chain);
}

QString quotasText(const std::array<qint32, 4> &quotas)
{
    QStringList parts;
    for (PrizeTier tier : AllTiers)
        parts << QStringLiteral("%1 %2 名")
                     .arg(tierRow(tier).statusLabel)
                     .arg(quotas[tierIndex(tier)]);
    return parts.join(QStringLiteral("，"));
}
