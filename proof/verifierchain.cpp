#include "verifierparts.h"

#include "journal.h"
#include "journalline.h"
#include "sha256.h"

#include <algorithm>

namespace journalcheck {

namespace {

// What is kept of a line not whole to compare with the lines after it.
constexpr qsizetype KeptStart = 256;
// Lines waiting for what follows them: beyond these, the oldest is settled as it stands.
constexpr std::size_t MostPending = 256;
constexpr std::size_t MostLeftOutRemembered = 1024;

} // namespace

// --- Runs ---

void Verifier::startRun(const Line &line, bool withStart)
{
    run_ = {};
    run_.open = true;
    run_.hasStart = withStart;
    run_.index = runs_++;
    run_.startLine = withStart ? line.number : 0;
    run_.resuming = withStart && line.fields.contains(ResumingField);
    // A start that does not resume leaves the interrupted draw behind (重新开始).
    if (!run_.resuming && offered_ != 0) {
        drawOf(offered_).shown.nextStart = run_.startLine;
        finalize(offered_);
        offered_ = 0;
    }
}

void Verifier::classify(Line &line)
{
    run_.lastLine = line.number;
    if (!line.whole) {
        ++out_.tornLines;
        return;
    }
    anyWhole_ = true;
    for (PendingUnchained &pending : unchained_)
        pending.wholeAfter = true;
    // The same line written whole once more after a write that failed.
    const auto again = std::find_if(
        unchained_.begin(), unchained_.end(),
        [&line](const PendingUnchained &pending) { return pending.check == line.check; });
    if (again != unchained_.end()) {
        note(again->line, QStringLiteral("%1在链值之前断开（磁盘写满或断电时没写完），"
                                         "后面又完整地写了一遍，不计入。")
                              .arg(lineRef(again->line)));
        unchained_.erase(again);
    }
    if (!line.chain.isEmpty()) {
        run_.chained = true;
        noteUnchainedRange();
    } else if (run_.chained) {
        line.leftOut = true;
        ++out_.tornLines;
        if (unchained_.size() >= MostPending) {
            settleUnchained(unchained_.front(), false);
            unchained_.erase(unchained_.begin());
        }
        unchained_.push_back({line.number, line.check, false});
    } else {
        ++out_.unchainedLines;
        if (unchainedFrom_ == 0)
            unchainedFrom_ = line.number;
        unchainedTo_ = line.number;
    }
}

void Verifier::noteUnchainedRange()
{
    if (unchainedFrom_ > 0)
        note(unchainedFrom_,
             QStringLiteral("%1没有链值（早期版本写的）：照样核对，但无法证明没有被改过。")
                 .arg(unchainedFrom_ == unchainedTo_
                          ? lineRef(unchainedFrom_)
                          : QStringLiteral("第 %1–%2 行").arg(unchainedFrom_).arg(unchainedTo_)));
    unchainedFrom_ = 0;
}

void Verifier::settleUnchained(const PendingUnchained &pending, bool atRunEnd)
{
    if (!pending.wholeAfter && atRunEnd) {
        note(pending.line, QStringLiteral("%1在链值之前断开（磁盘写满或断电时没写完），不计入。")
                               .arg(lineRef(pending.line)));
        return;
    }
    fault(pending.line, FaultKind::Unchained,
          QStringLiteral("%1有完整的校验，却没有链值，夹在有链值的行之间：这一行是后来插进去的，"
                         "或者它的链值被删掉了。")
              .arg(lineRef(pending.line)));
}

// --- Lines not whole ---

void Verifier::trackTorn(const Line &line)
{
    if (line.whole) {
        for (PendingTorn &torn : torn_)
            torn.last = false;
        // Written again whole: the bytes cut short are the start of this line.
        std::erase_if(torn_, [this, &line](const PendingTorn &torn) {
            const QByteArrayView raw(line.raw);
            if (raw.size() < torn.length || !raw.startsWith(torn.start) ||
                (!torn.sha.isEmpty() &&
                 sha256Hex(raw.first(torn.length).toByteArray()) != torn.sha))
                return false;
            note(torn.line, QStringLiteral("%1不完整（磁盘写满时没写完），不计入；"
                                           "%2把它完整地又写了一遍。")
                                .arg(lineRef(torn.line), lineRef(line.number)));
            return true;
        });
        return;
    }
    // A restart after an unfinished write puts a tab after its bytes (journal.cpp).
    QByteArrayView bytes(line.raw);
    if (bytes.endsWith('\t'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    PendingTorn torn;
    torn.line = line.number;
    torn.length = bytes.size();
    torn.start = bytes.first(std::min(bytes.size(), KeptStart)).toByteArray();
    if (bytes.size() > KeptStart)
        torn.sha = sha256Hex(bytes.toByteArray());
    torn.looksLikeLine = looksLikeLineStart(bytes);
    if (torn_.size() >= MostPending) {
        // Before any whole line it may be no journal at all: the verdict says so once.
        const PendingTorn &oldest = torn_.front();
        if (anyWhole_)
            fault(oldest.line, FaultKind::NotWhole,
                  QStringLiteral(
                      "%1不完整，可它不在日志的最后，也不是一次没写完的写入：这一行被改坏了，"
                      "或者是插进去的。")
                      .arg(lineRef(oldest.line)));
        else if (firstDroppedTorn_ == 0)
            firstDroppedTorn_ = oldest.line;
        torn_.erase(torn_.begin());
    }
    torn_.push_back(std::move(torn));
}

void Verifier::settleTorn(bool atEnd)
{
    if (atEnd && firstDroppedTorn_ > 0 && anyWhole_)
        fault(firstDroppedTorn_, FaultKind::NotWhole,
              QStringLiteral("%1起有许多行不完整，它们不是一次没写完的写入：这些行被改坏了，"
                             "或者是插进去的。")
                  .arg(lineRef(firstDroppedTorn_)));
    for (const PendingTorn &torn : torn_) {
        if (!anyWhole_) {
            // No journal at all: the verdict says so once.
        } else if (torn.last && atEnd) {
            note(torn.line, QStringLiteral("%1（日志的最后）不完整：程序停下时它没写完，不计入。")
                                .arg(lineRef(torn.line)));
        } else if (torn.last && torn.looksLikeLine) {
            note(torn.line, QStringLiteral("%1不完整（程序中断或断电时没写完），不计入；"
                                           "下一行是程序重新启动。")
                                .arg(lineRef(torn.line)));
        } else {
            fault(torn.line, FaultKind::NotWhole,
                  QStringLiteral("%1不完整，可它不在日志的最后，也不是一次没写完的写入"
                                 "（程序中断后没有重新启动，也没有把它完整地再写一遍）："
                                 "这一行被改坏了，或者是插进去的。")
                      .arg(lineRef(torn.line)));
        }
    }
    torn_.clear();
}

// --- The chain ---

void Verifier::checkChain(const Line &line)
{
    if (!line.counts()) {
        if (leftOutSince_.size() >= MostLeftOutRemembered)
            leftOutSince_.pop_front();
        if (!line.chainField.isEmpty() || !line.whole)
            leftOutSince_.push_back({line.number, line.chainField});
        return;
    }
    if (break_)
        settleBreak(line.chain.isEmpty() ? nullptr : &line);
    if (line.chain.isEmpty()) {
        if (line.event() == JournalEvent::ProgramStart) {
            afterUnchained_.clear();
        } else {
            previous_ = afterUnchained_;
            if (previous_.isEmpty())
                previousLine_ = 0;
        }
        return;
    }
    if (previous_.isEmpty() && anyChained_) {
        out_.chainRestarts << line.number;
        note(line.number,
             QStringLiteral("%1之前是一段没有链值的记录（早期版本写的），链从%1起重新算起。")
                 .arg(lineRef(line.number)));
    }
    const Link link{previous_, previousLine_};
    if (journalChainValue(previous_, line.body) != line.chain)
        diagnoseBreak(line, link);
    earlier_ = link;
    previous_ = afterUnchained_ = line.chain;
    previousLine_ = line.number;
    anyChained_ = true;
    leftOutSince_.clear();
    out_.endChain = QString::fromLatin1(line.chain);
    out_.endChainLine = line.number;
}

void Verifier::diagnoseBreak(const Line &line, const Link &link)
{
    // A line put in with a chain value worked out to fit: the one after it still chains
    // from the line before it.
    if (link.line > 0 && journalChainValue(earlier_.chain, line.body) == line.chain) {
        fault(link.line, FaultKind::Inserted,
              QStringLiteral("%1是插进去的（连链值也照着算了）：它后面的%2接的是它前面的%3。")
                  .arg(lineRef(link.line), lineRef(line.number),
                       earlier_.line > 0 ? lineRef(earlier_.line) : QStringLiteral("日志开头")));
        return;
    }
    // A line that no longer passes its own check, but the next one was chained from it.
    for (const LeftOut &torn : leftOutSince_) {
        if (!torn.chainField.isEmpty() &&
            journalChainValue(torn.chainField, line.body) == line.chain) {
            fault(torn.line, FaultKind::Changed,
                  QStringLiteral(
                      "%1在写入之后被改过：它自己的校验不再相符，而%2的链值正是接着它算出来的。")
                      .arg(lineRef(torn.line), lineRef(line.number)));
            // Its being not whole says nothing more.
            std::erase_if(
                torn_, [&torn](const PendingTorn &pending) { return pending.line == torn.line; });
            return;
        }
    }
    // The rest needs the next counted line.
    break_ = PendingBreak{line.number, line.body, line.chain, link, diagnosed_++ < 3};
}

void Verifier::settleBreak(const Line *next)
{
    const PendingBreak pending = std::move(*break_);
    break_.reset();
    const QByteArray &previous = pending.link.chain;
    const QString after =
        pending.link.line > 0 ? lineRef(pending.link.line) : QStringLiteral("日志开头");
    if (next && journalChainValue(previous, next->body) == next->chain) {
        if (journalChainValue(next->chain, pending.body) == pending.chain)
            fault(pending.line, FaultKind::Reordered,
                  QStringLiteral("%1和%2的先后被调换了：%2接的是%3，%1接的是%2。")
                      .arg(lineRef(pending.line), lineRef(next->number), after));
        else
            fault(pending.line, FaultKind::Inserted,
                  QStringLiteral("%1是插进去的：它接不上%2，而它后面的%3接的正是%2。")
                      .arg(lineRef(pending.line), after, lineRef(next->number)));
        return;
    }
    Search search{pending.line, pending.body, pending.chain, FaultKind::RemovedOrChanged, {}, 0};
    if (!next || journalChainValue(pending.chain, next->body) == next->chain) {
        search.fallbackText =
            QStringLiteral("%1接不上%2：两行之间有一行或几行被删掉了，或者%1被改过并重新算了校验。")
                .arg(lineRef(pending.line), after);
    } else {
        search.fallback = FaultKind::Changed;
        search.fallbackText = QStringLiteral("%1的链值与它的内容和%2都对不上：这一行被改过。")
                                  .arg(lineRef(pending.line), after);
    }
    // Moved from elsewhere: some line, before or after, is the one it chains from. That
    // takes every line once more.
    if (pending.searchMoved)
        searches_.push_back(std::move(search));
    else
        fault(search.line, search.fallback, search.fallbackText);
}

void Verifier::takeAgain(qsizetype number, QByteArrayView raw)
{
    const QByteArray chain = chainFieldOf(raw);
    if (chain.isEmpty())
        return;
    for (Search &search : searches_)
        if (search.found == 0 && number != search.line &&
            journalChainValue(chain, search.body) == search.chain)
            search.found = number;
}

} // namespace journalcheck
