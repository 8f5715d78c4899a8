#include "verifierparts.h"

#include "candidates.h"
#include "drawproof.h"
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

void Verifier::splitRuns()
{
    for (qsizetype i = 0; i < qsizetype(lines_.size()); ++i) {
        Line &line = lines_[std::size_t(i)];
        if (line.whole && line.event() == JournalEvent::ProgramStart) {
            if (!runs_.empty())
                runs_.back().end = i;
            runs_.push_back({i, 0, true});
        } else if (runs_.empty()) {
            runs_.push_back({0, 0, false});
        }
        line.run = qsizetype(runs_.size()) - 1;
    }
    if (!runs_.empty())
        runs_.back().end = qsizetype(lines_.size());
    qsizetype unchainedFrom = 0;
    qsizetype unchainedTo = 0;
    const auto noteUnchained = [&] {
        if (unchainedFrom > 0)
            out_.notes
                << QStringLiteral("%1没有链值（早期版本写的）：照样核对，但无法证明没有被改过。")
                       .arg(
                           unchainedFrom == unchainedTo
                               ? lineRef(unchainedFrom)
                               : QStringLiteral("第 %1–%2 行").arg(unchainedFrom).arg(unchainedTo));
        unchainedFrom = 0;
    };
    for (Run &run : runs_) {
        for (qsizetype i = run.first; i < run.end; ++i) {
            Line &line = lines_[std::size_t(i)];
            if (!line.whole)
                continue;
            if (!line.chain.isEmpty()) {
                run.chained = true;
                noteUnchained();
            } else if (run.chained) {
                unchainedAmongChained(run, i);
            } else {
                run.unchained = true;
                ++out_.unchainedLines;
                if (unchainedFrom == 0)
                    unchainedFrom = line.number;
                unchainedTo = line.number;
            }
        }
    }
    noteUnchained();
    for (const Line &line : lines_)
        out_.tornLines += !line.whole || line.leftOut;
}

void Verifier::unchainedAmongChained(const Run &run, qsizetype index)
{
    Line &line = lines_[std::size_t(index)];
    line.leftOut = true;
    bool writtenAgain = false;
    bool wholeAfter = false;
    for (qsizetype i = index + 1; i < run.end; ++i) {
        const Line &later = lines_[std::size_t(i)];
        wholeAfter = wholeAfter || later.whole;
        writtenAgain = writtenAgain || (later.whole && later.body == line.body);
    }
    if (writtenAgain || !wholeAfter) {
        out_.notes << QStringLiteral("%1在链值之前断开（磁盘写满或断电时没写完）%2，不计入。")
                          .arg(lineRef(line.number),
                               writtenAgain ? QStringLiteral("，后面又完整地写了一遍") : QString());
        return;
    }
    fault(line.number, FaultKind::Unchained,
          QStringLiteral("%1有完整的校验，却没有链值，夹在有链值的行之间：这一行是后来插进去的，"
                         "或者它的链值被删掉了。")
              .arg(lineRef(line.number)));
}

void Verifier::checkChain()
{
    QByteArray previous;
    QByteArray afterUnchained;
    qsizetype previousLine = 0;
    Link earlier; // what the previous chained line chained from
    bool anyChained = false;
    std::vector<qsizetype> leftOutSince; // lines not counted since the previous chained one
    qsizetype diagnosed = 0;
    for (qsizetype i = 0; i < qsizetype(lines_.size()); ++i) {
        const Line &line = lines_[std::size_t(i)];
        if (!line.whole || line.leftOut) {
            leftOutSince.push_back(i);
            continue;
        }
        if (line.chain.isEmpty()) {
            if (line.event() == JournalEvent::ProgramStart) {
                afterUnchained.clear();
            } else {
                previous = afterUnchained;
                if (previous.isEmpty())
                    previousLine = 0;
            }
            continue;
        }
        if (previous.isEmpty() && anyChained) {
            out_.chainRestarts << line.number;
            out_.notes << QStringLiteral(
                              "%1之前是一段没有链值的记录（早期版本写的），链从%1起重新算起。")
                              .arg(lineRef(line.number));
        }
        const Link link{previous, previousLine};
        if (journalChainValue(previous, line.body) != line.chain) {
            diagnoseBreak(i, link, earlier, leftOutSince, diagnosed++ < 3);
        } else {
            for (qsizetype t : leftOutSince)
                if (!lines_[std::size_t(t)].whole)
                    out_.notes << QStringLiteral("%1不完整（断电或磁盘写满时没写完），不计入；"
                                                 "链跳过了它，照样接上。")
                                      .arg(lineRef(lines_[std::size_t(t)].number));
        }
        earlier = link;
        previous = afterUnchained = line.chain;
        previousLine = line.number;
        anyChained = true;
        leftOutSince.clear();
        out_.head = QString::fromLatin1(line.chain);
        out_.headLine = line.number;
        out_.headEvent = line.event();
    }
    for (qsizetype t : leftOutSince)
        if (!lines_[std::size_t(t)].whole)
            out_.notes << QStringLiteral("%1（日志的最后）不完整：程序停下时它没写完，不计入。")
                              .arg(lineRef(lines_[std::size_t(t)].number));
}

const Line *Verifier::nextChained(qsizetype index) const
{
    for (qsizetype i = index + 1; i < qsizetype(lines_.size()); ++i) {
        const Line &line = lines_[std::size_t(i)];
        if (line.counts() && line.chain.isEmpty())
            return nullptr; // the chain may start afresh here
        if (line.counts())
            return &line;
    }
    return nullptr;
}

void Verifier::diagnoseBreak(qsizetype index, const Link &link, const Link &earlier,
                             const std::vector<qsizetype> &leftOutSince, bool searchMoved)
{
    const Line &line = lines_[std::size_t(index)];
    const QByteArray &previous = link.chain;
    const qsizetype previousLine = link.line;
    const QString after = previousLine > 0 ? QStringLiteral("第 %1 行").arg(previousLine)
                                           : QStringLiteral("日志开头");
    // A line put in with a chain value worked out to fit: the one after it still chains
    // from the line before it.
    if (previousLine > 0 && journalChainValue(earlier.chain, line.body) == line.chain) {
        fault(previousLine, FaultKind::Inserted,
              QStringLiteral("%1是插进去的（连链值也照着算了）：它后面的%2接的是它前面的%3。")
                  .arg(lineRef(previousLine), lineRef(line.number),
                       earlier.line > 0 ? lineRef(earlier.line) : QStringLiteral("日志开头")));
        return;
    }
    // A line that no longer passes its own check, but the next one was chained from it.
    for (qsizetype t : leftOutSince) {
        const Line &torn = lines_[std::size_t(t)];
        if (!torn.chainField.isEmpty() &&
            journalChainValue(torn.chainField, line.body) == line.chain) {
            fault(torn.number, FaultKind::Changed,
                  QStringLiteral(
                      "%1在写入之后被改过：它自己的校验不再相符，而%2的链值正是接着它算出来的。")
                      .arg(lineRef(torn.number), lineRef(line.number)));
            return;
        }
    }
    const Line *next = nextChained(index);
    if (next && journalChainValue(previous, next->body) == next->chain) {
        if (journalChainValue(next->chain, line.body) == line.chain)
            fault(line.number, FaultKind::Reordered,
                  QStringLiteral("%1和%2的先后被调换了：%2接的是%3，%1接的是%2。")
                      .arg(lineRef(line.number), lineRef(next->number), after));
        else
            fault(line.number, FaultKind::Inserted,
                  QStringLiteral("%1是插进去的：它接不上%2，而它后面的%3接的正是%2。")
                      .arg(lineRef(line.number), after, lineRef(next->number)));
        return;
    }
    if (searchMoved) {
        for (const Line &other : lines_) {
            if (other.number == line.number || !other.counts() || other.chain.isEmpty())
                continue;
            if (journalChainValue(other.chain, line.body) == line.chain) {
                fault(line.number, FaultKind::Reordered,
                      QStringLiteral("%1被挪了位置：它原本紧接在%2之后。")
                          .arg(lineRef(line.number), lineRef(other.number)));
                return;
            }
        }
    }
    if (!next || journalChainValue(line.chain, next->body) == next->chain) {
        fault(
            line.number, FaultKind::RemovedOrChanged,
            QStringLiteral("%1接不上%2：两行之间有一行或几行被删掉了，或者%1被改过并重新算了校验。")
                .arg(lineRef(line.number), after));
        return;
    }
    fault(line.number, FaultKind::Changed,
          QStringLiteral("%1的链值与它的内容和%2都对不上：这一行被改过。")
              .arg(lineRef(line.number), after));
}

} // namespace journalcheck
