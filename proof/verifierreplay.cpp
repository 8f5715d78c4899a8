#include "verifierparts.h"

#include "candidates.h"
#include "drawproof.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>

namespace journalcheck {

namespace {

// The draws listed in full: the journal's first ones and its newest ones; the winners of
// the newest draws that have any.
constexpr std::size_t FirstDrawsListed = 500;
constexpr std::size_t NewestDrawsListed = 500;
constexpr qsizetype DrawsWithWinnersListed = 20;
constexpr std::size_t UncheckedNamed = 50;

} // namespace

void Verifier::finalize(qsizetype number)
{
    const auto found = draws_.find(number);
    if (found == draws_.end())
        return;
    DrawRecord draw = std::move(found->second);
    draws_.erase(found);
    replayOnList(draw);
    VerifiedDraw &shown = draw.shown;
    std::array<qint32, 4> standing{};
    for (const WinnerRecord &winner : std::as_const(draw.winners)) {
        ++shown.winnerCount;
        if (winner.shown.voided)
            ++shown.voidCount;
        else if (winner.tier)
            ++standing[tierIndex(*winner.tier)];
    }
    shown.winnerCount += draw.uncounted;
    bool full = std::any_of(draw.quotasNow.begin(), draw.quotasNow.end(),
                            [](qint32 quota) { return quota > 0; });
    for (std::size_t t = 0; t < 4; ++t)
        full = full && standing[t] >= draw.quotasNow[t];
    const bool emptied = !draw.winners.isEmpty() && draw.winners.last().after == 0 &&
                         !draw.winners.last().shown.voided;
    shown.full = full || emptied;
    out_.drawsWithWinners += shown.winnerCount > 0;
    using End = VerifiedDraw::End;
    out_.drawsStartedAfresh +=
        shown.winnerCount > 0 && (shown.end == End::Reset || shown.end == End::SettingsSaved ||
                                  shown.end == End::ListImported || shown.end == End::NewDraw ||
                                  shown.end == End::Interrupted);
    keep(std::move(shown));
}

void Verifier::replayOnList(DrawRecord &draw)
{
    VerifiedDraw &shown = draw.shown;
    const bool hasResults = !draw.winners.isEmpty() || draw.uncounted > 0;
    bool same = false;
    QString other; // the further list it ran on, if any
    const CandidatePool *list = nullptr;
    for (const auto &[line, sha] : draw.lists) {
        QString how;
        QString otherPath;
        const CandidatePool *found = list_.listOf(sha, &how, draw.invisible, &otherPath);
        if (found && !list)
            list = found;
        if (!how.isEmpty() && shown.listNote.isEmpty())
            shown.listNote = how;
        if (other.isEmpty())
            other = otherPath;
        same = same || found;
    }
    bool sameSha = true;
    for (const auto &[line, sha] : draw.lists)
        sameSha = sameSha && sha == draw.lists.first().second;
    if (draw.lists.isEmpty())
        shown.list = VerifiedDraw::List::Unknown;
    else if (!sameSha)
        shown.list = VerifiedDraw::List::Mixed;
    else if (!same)
        shown.list = VerifiedDraw::List::Other;
    else if (!other.isEmpty())
        shown.list = VerifiedDraw::List::Given;
    else
        shown.list =
            shown.listNote.isEmpty() ? VerifiedDraw::List::Same : VerifiedDraw::List::Converted;
    if (shown.list == VerifiedDraw::List::Given)
        shown.listNote = shown.listNote.isEmpty()
                             ? other
                             : QStringLiteral("%1，另存过：%2").arg(other, shown.listNote);
    if (shown.list == VerifiedDraw::List::Mixed) {
        for (const auto &[line, sha] : draw.lists)
            if (sha != draw.lists.first().second)
                fault(line, FaultKind::ListChanged,
                      QStringLiteral("%1：这次抽奖续接时用的名单与开始时的不同（SHA-256 不一致）。")
                          .arg(lineRef(line)));
    }
    if (same || shown.list == VerifiedDraw::List::Mixed)
        anyOnList_ = anyOnList_ || (same && other.isEmpty());
    if (list &&
        (shown.list == VerifiedDraw::List::Same || shown.list == VerifiedDraw::List::Converted ||
         shown.list == VerifiedDraw::List::Given)) {
        if (!shown.chained)
            fault(shown.startLine, FaultKind::Unprotected,
                  QStringLiteral(
                      "%1开始的这次抽奖有些行没有链值（早期版本写的），只能核对它自身是否一致，"
                      "无法证明没有被改过。")
                      .arg(lineRef(shown.startLine)));
        if (shown.names != list->names.size())
            fault(shown.startLine, FaultKind::WrongCounts,
                  QStringLiteral("%1记的名单人数是 %2，这份名单有 %3 人。")
                      .arg(lineRef(shown.startLine), number(shown.names),
                           number(list->names.size())));
        replayWinners(draw, *list);
        shown.replayed = true;
    } else if (shown.list == VerifiedDraw::List::Other && hasResults) {
        ++uncheckedCount_;
        if (unchecked_.size() < UncheckedNamed)
            unchecked_.push_back({shown.number, shown.startLine, shown.sha256, shown.names,
                                  draw.winners.size() + draw.uncounted});
    }
    for (const WinnerRecord &winner : std::as_const(draw.winners))
        shown.winners.append(winner.shown);
}

void Verifier::replayWinners(DrawRecord &draw, const CandidatePool &pool)
{
    const NameList &names = pool.names;
    const qsizetype total = names.size();
    const qsizetype winners = draw.winners.size();
    std::unordered_map<std::u16string, qsizetype> firstWith;
    std::set<qsizetype> lengths;
    QString folded;
    for (qsizetype i = 0; i < winners; ++i) {
        const QString &name = draw.winners[i].shown.name;
        if (name.isEmpty())
            continue;
        foldCaseInto(name, folded);
        firstWith.emplace(folded.toStdU16String(), i); // keeps the first
        lengths.insert(folded.size());
    }
    std::vector<qsizetype> removedBy(std::size_t(winners), 0);
    std::vector<bool> stoodInPool(std::size_t(winners), false);
    std::u16string piece;
    for (qsizetype e = 0; e < total && !firstWith.empty(); ++e) {
        const QStringView entry = names.at(e);
        foldCaseInto(entry, folded);
        qsizetype taker = winners;
        for (qsizetype length : lengths) {
            for (qsizetype at = 0; at + length <= folded.size(); ++at) {
                piece.assign(reinterpret_cast<const char16_t *>(folded.constData()) + at,
                             std::size_t(length));
                if (const auto found = firstWith.find(piece); found != firstWith.end())
                    taker = std::min(taker, found->second);
            }
        }
        if (taker == winners)
            continue;
        ++removedBy[std::size_t(taker)];
        if (entry == draw.winners[taker].shown.name)
            stoodInPool[std::size_t(taker)] = true;
    }

    std::array<qint32, 4> counts{};
    std::array<bool, 4> enabled{true, true, true, true};
    std::array<qint32, 4> quotas = draw.shown.quotas;
    const auto quotaTests = [&] {
        for (std::size_t t = 0; t < 4; ++t)
            if (counts[t] >= quotas[t])
                enabled[t] = false;
    };
    qsizetype inPool = total;
    QList<qsizetype> voidedSoFar;
    for (const Event &event : std::as_const(draw.events)) {
        if (event.type == Event::Type::Resume) {
            // The resumed program counts every winner back, tests the quotas once, then
            // voids again in order.
            quotas = event.quotas;
            counts = {};
            enabled = {true, true, true, true};
            bool any = false;
            for (const WinnerRecord &winner : std::as_const(draw.winners)) {
                if (winner.tier && winner.shown.line < event.line) {
                    ++counts[tierIndex(*winner.tier)];
                    any = true;
                }
            }
            // With no winner to put back the program tests no quota.
            if (any)
                quotaTests();
            for (qsizetype place : voidedSoFar) {
                const std::size_t t = tierIndex(*draw.winners[place].tier);
                if (--counts[t] < quotas[t])
                    enabled[t] = true;
            }
            continue;
        }
        const WinnerRecord &winner = draw.winners[event.winner];
        if (!winner.tier)
            continue;
        const std::size_t t = tierIndex(*winner.tier);
        const qsizetype line = event.type == Event::Type::Winner ? winner.shown.line : event.line;
        if (event.type == Event::Type::Void) {
            voidedSoFar.append(event.winner);
            if (--counts[t] < quotas[t])
                enabled[t] = true;
            if (event.counts && *event.counts != counts)
                fault(line, FaultKind::WrongVoidCounts,
                      QStringLiteral("%1作废之后记的人数是 %2，按这次抽奖算应是 %3。")
                          .arg(lineRef(line), countsText(*event.counts), countsText(counts)));
            continue;
        }
        const qsizetype before = inPool;
        inPool -= removedBy[std::size_t(event.winner)];
        checkWinner(draw, pool, event.winner, stoodInPool[std::size_t(event.winner)], before,
                    inPool, enabled[t], quotas[t]);
        ++counts[t];
        quotaTests();
    }
}

QString Verifier::countsText(const std::array<qint32, 4> &counts)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(counts[0])
        .arg(counts[1])
        .arg(counts[2])
        .arg(counts[3]);
}

void Verifier::checkWinner(const DrawRecord &draw, const CandidatePool &pool, qsizetype index,
                           bool stoodInPool, qsizetype before, qsizetype after, bool enabled,
                           qint32 quota)
{
    const WinnerRecord &winner = draw.winners[index];
    const VerifiedWinner &shown = winner.shown;
    const QString who =
        QStringLiteral("%1的%2%3").arg(lineRef(shown.line), shown.logLabel, shown.name);
    // A name put into the display by hand and confirmed is marked 手动输入 whether or not it
    // stood in the pool: it counts as typed, not as drawn.
    if (shown.typed) {
        ++out_.typedWinners;
    } else if (!stoodInPool) {
        qsizetype earlier = -1;
        QString folded;
        QString foldedEarlier;
        foldCaseInto(shown.name, folded);
        for (qsizetype j = 0; j < index && earlier < 0; ++j) {
            foldCaseInto(draw.winners[j].shown.name, foldedEarlier);
            if (!foldedEarlier.isEmpty() && folded.contains(foldedEarlier))
                earlier = j;
        }
        bool onList = false;
        for (qsizetype e = 0; e < pool.names.size() && !onList; ++e)
            onList = pool.names.at(e) == shown.name;
        if (earlier >= 0 && onList)
            fault(shown.line, FaultKind::WonBefore,
                  QStringLiteral("%1当时已不在奖池里：%2已经抽中了%3，这个名字随之移出了奖池。")
                      .arg(who, lineRef(draw.winners[earlier].shown.line),
                           draw.winners[earlier].shown.name));
        else
            fault(shown.line, FaultKind::NotInPool,
                  QStringLiteral("%1不是名单里的名字，当时的奖池里没有这一位。").arg(who));
    }
    if (shown.typed || stoodInPool) {
        if (winner.before != before || winner.after != after)
            fault(
                shown.line, FaultKind::WrongCounts,
                QStringLiteral("%1记的奖池人数是抽前 %2、抽后 %3，按名单重演应是抽前 %4、抽后 %5。")
                    .arg(who, number(winner.before), number(winner.after), number(before),
                         number(after)));
    }
    if (!enabled)
        fault(shown.line, FaultKind::QuotaFull,
              QStringLiteral("%1抽出时，%2已经抽满（名额 %3 名），按钮是灰的。")
                  .arg(who, tierRow(*winner.tier).statusLabel)
                  .arg(quota));
}

void Verifier::keep(VerifiedDraw shown)
{
    // Only the newest draws with winners keep them listed: the oldest listed gives them up.
    if (!shown.winners.isEmpty() && ++listedWithWinners_ > DrawsWithWinnersListed) {
        const auto giveUp = [this](VerifiedDraw &draw) {
            if (!draw.winnersListed || draw.winners.isEmpty())
                return false;
            draw.winners.clear();
            draw.winners.squeeze();
            draw.winnersListed = false;
            --listedWithWinners_;
            return true;
        };
        bool done = false;
        for (VerifiedDraw &draw : firstDraws_)
            if ((done = giveUp(draw)))
                break;
        for (auto draw = newestDraws_.begin(); !done && draw != newestDraws_.end(); ++draw)
            done = giveUp(*draw);
    }
    if (firstDraws_.size() < FirstDrawsListed && newestDraws_.empty() &&
        (firstDraws_.empty() || firstDraws_.back().number < shown.number)) {
        firstDraws_.push_back(std::move(shown));
        return;
    }
    auto at = newestDraws_.end();
    while (at != newestDraws_.begin() && std::prev(at)->number > shown.number)
        --at;
    newestDraws_.insert(at, std::move(shown));
    if (newestDraws_.size() > NewestDrawsListed) {
        if (newestDraws_.front().winnersListed && !newestDraws_.front().winners.isEmpty())
            --listedWithWinners_;
        newestDraws_.pop_front();
        ++out_.drawsNotListed;
    }
}

} // namespace journalcheck
