#include "verifierparts.h"

#include "candidates.h"
#include "fileaccess.h"
#include "journal.h"
#include "journalline.h"
#include "journalreader.h"
#include "textcodec.h"
#include "winnervoid.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>

namespace journalcheck {

Verifier::Verifier(std::vector<Line> lines, const CandidatePool &list, Verification &out)
    : lines_(std::move(lines)), list_(list), out_(out)
{
}

void Verifier::run()
{
    out_.lines = lines_.empty() ? 0 : lines_.back().number;
    splitRuns();
    checkChain();
    for (qsizetype r = 0; r < qsizetype(runs_.size()); ++r)
        replayRun(r);
    for (DrawRecord &draw : draws_)
        if (!draw.absorbed)
            replayOnList(draw);
    if (!out_.comparedHead.isEmpty())
        compareHead();
    finish();
}

void Verifier::fault(qsizetype line, FaultKind kind, const QString &text)
{
    out_.faults.append({line, kind, text});
}

QString Verifier::countsText(const std::array<qint32, 4> &counts)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(counts[0])
        .arg(counts[1])
        .arg(counts[2])
        .arg(counts[3]);
}

void Verifier::finish()
{
    bool anyOnList = false;
    for (DrawRecord &draw : draws_) {
        if (draw.absorbed)
            continue;
        anyOnList = anyOnList || draw.shown.list == VerifiedDraw::List::Same ||
                    draw.shown.list == VerifiedDraw::List::Mixed;
        out_.draws.append(draw.shown);
    }
    if (std::none_of(lines_.begin(), lines_.end(), [](const Line &line) { return line.whole; })) {
        fault(0, FaultKind::NotAJournal,
              QStringLiteral("日志里没有一行完整的记录：这不是抽奖日志，或者它已经整个损坏。"));
    } else if (!anyOnList) {
        fault(
            0, FaultKind::NoDrawOnList,
            QStringLiteral(
                "日志里没有一次抽奖用的是这份名单：它的 SHA-256 与每一次抽奖开始时记下的都不同。"));
    }
    std::stable_sort(out_.faults.begin(), out_.faults.end(),
                     [](const VerifyFault &a, const VerifyFault &b) {
                         return (a.line == 0 ? std::numeric_limits<qsizetype>::max() : a.line) <
                                (b.line == 0 ? std::numeric_limits<qsizetype>::max() : b.line);
                     });
}

void Verifier::compareHead()
{
    const QString wanted = out_.comparedHead.trimmed().toLower();
    out_.comparedHead = wanted;
    const bool valid = wanted.size() >= ChainCodeDigits && wanted.size() <= JournalChainDigits &&
                       isLowerHex(wanted.toLatin1());
    for (const Line &line : lines_) {
        if (!valid)
            break;
        if (out_.comparedHeadLine == 0 && line.counts() &&
            QString::fromLatin1(line.chain).startsWith(wanted)) {
            out_.comparedHeadLine = line.number;
            continue;
        }
        if (out_.comparedHeadLine == 0 || !line.counts())
            continue;
        const QString &event = line.event();
        if (event == JournalEvent::Winner || event == JournalEvent::Void ||
            event == JournalEvent::Reset || event == JournalEvent::DrawStart ||
            event == JournalEvent::Resumed)
            out_.afterComparedHead << QStringLiteral("%1 %2 %3")
                                          .arg(lineRef(line.number), event,
                                               line.fields.mid(2, 2).join(QLatin1Char(' ')));
    }
    if (out_.comparedHeadLine == 0)
        out_.faults.append(
            {0, FaultKind::HeadNotFound,
             valid
                 ? QStringLiteral("拿来比对的链值 %1 "
                                  "不是这份日志里任何一行的链值：这份日志不是拍照时的那一份，"
                                  "或者它被改过后重新算了整条链。")
                       .arg(wanted)
                 : QStringLiteral("拿来比对的链值“%1”应是 6 到 16 位十六进制数字。").arg(wanted)});
}

} // namespace journalcheck

using journalcheck::readLines;
using journalcheck::Verifier;

int Verification::exitStatus() const
{
    if (!readError.isEmpty())
        return 3;
    if (!faults.isEmpty())
        return 1;
    return typedWinners > 0 ? 2 : 0;
}

Verification verifyDrawBytes(const QByteArray &journal, const CandidatePool &list,
                             const QString &comparedHead)
{
    Verification out;
    out.listSha256 = QString::fromLatin1(list.sha256);
    out.listNames = list.names.size();
    out.comparedHead = comparedHead;
    Verifier(readLines(journal), list, out).run();
    return out;
}

Verification verifyDraw(const QString &journalPath, const QString &listPath,
                        const QString &comparedHead)
{
    Verification out;
    FileResult read;
    const QByteArray journal = readFileBytes(journalPath, read);
    const CandidatePool list = read.ok() ? readCandidatePool(listPath) : CandidatePool();
    if (!read.ok() || !list.result.ok()) {
        out.readError = read.ok() ? list.result.error : read.error;
    } else {
        out = verifyDrawBytes(journal, list, comparedHead);
    }
    out.journalPath = journalPath;
    out.listPath = listPath;
    return out;
}
