// The verifier on a resume: the block of lines a start writes when it takes up an
// interrupted draw, and whether it brings that draw back exactly as it stood.
#include "verifierparts.h"

#include "drawproof.h"
#include "journal.h"
#include "journalline.h"
#include "journalreader.h"

#include <algorithm>
#include <utility>

namespace journalcheck {

namespace {

// The short chain code a resume's line gives for a winner is the start of the chain value
// that winner was drawn with: six digits in journals of earlier versions, more since.
bool codeFits(const QString &code, const QString &chain)
{
    if (code.isEmpty() || chain.isEmpty())
        return code.isEmpty() && chain.isEmpty();
    return code.size() >= WeakCodeDigits && chain.startsWith(code);
}

} // namespace

bool Verifier::blockLine(const Line &line)
{
    ResumeBlock &block = *block_;
    if (!line.counts()) {
        endBlock();
        return false;
    }
    // As many lines as the draw it resumes could hold are kept; the rest only counted.
    qsizetype room = 1;
    if (offered_ != 0)
        room += drawOf(offered_).winners.size();
    if (block.winnersSeen < block.count) {
        if (line.event() != JournalEvent::Winner) {
            endBlock();
            return false;
        }
        if (qsizetype(block.winnerLines.size()) < room)
            block.winnerLines.push_back(line);
        ++block.winnersSeen;
    } else {
        if (line.event() != JournalEvent::Void) {
            endBlock();
            return false;
        }
        if (qsizetype(block.voidLines.size()) < room)
            block.voidLines.push_back(line);
        ++block.voidsSeen;
    }
    if (block.winnersSeen == block.count && block.voidsSeen >= block.voids)
        endBlock();
    return true;
}

void Verifier::endBlock()
{
    ResumeBlock block = std::move(*block_);
    block_.reset();
    if (block.winnersSeen < block.count || block.voidsSeen < block.voids) {
        note(block.head.number, QStringLiteral("%1的续接没有写完整（磁盘写满或断电），不计入；"
                                               "它的行后来会再完整地写一遍。")
                                    .arg(lineRef(block.head.number)));
        return;
    }
    resume(block);
}

void Verifier::resume(ResumeBlock &block)
{
    const Line &head = block.head;
    if (run_.resumed) {
        // The same block once more after a write that failed.
        if (run_.resumeCheck != head.check)
            fault(head.number, FaultKind::ResumeMismatch,
                  QStringLiteral("%1是这次启动的第二次续接：一次启动只续接一次。")
                      .arg(lineRef(head.number)));
        return;
    }
    run_.resumed = true;
    run_.resumeCheck = head.check;
    if (run_.current == 0 || !drawOf(run_.current).winners.isEmpty() ||
        drawOf(run_.current).shown.startLine == 0) {
        fault(head.number, FaultKind::ResumeMismatch,
              QStringLiteral("%1的续接前面不是这次启动的“开始抽奖”。").arg(lineRef(head.number)));
        return;
    }
    DrawRecord &host = drawOf(run_.current);
    if (offered_ == 0) {
        if (block.count > 0 || block.voids > 0)
            fault(head.number, FaultKind::ResumeMismatch,
                  QStringLiteral(
                      "%1续接了 %2 名中奖者，可是上一次抽奖已经正常结束（或已经重新开始），"
                      "没有可续接的。")
                      .arg(lineRef(head.number))
                      .arg(block.count));
        return;
    }
    DrawRecord &interrupted = drawOf(offered_);
    const QString mismatch = compareBlock(interrupted, block);
    if (!mismatch.isEmpty()) {
        fault(head.number, FaultKind::ResumeMismatch,
              QStringLiteral("%1的续接与被中断的那次抽奖（%2开始）不符：%3")
                  .arg(lineRef(head.number), lineRef(interrupted.shown.startLine), mismatch));
        return;
    }
    // The quotas go on as they were: the program changes them only by the settings
    // window's save, which starts a draw afresh. bt.txt changed while it was not running
    // is read at the resumed start.
    if (host.shown.quotas != interrupted.quotasNow) {
        interrupted.shown.quotaChanges.append({host.shown.startLine, host.shown.quotas});
        fault(host.shown.startLine, FaultKind::QuotaChanged,
              QStringLiteral(
                  "%1：程序中断后重新启动、续接%2开始的那次抽奖时，名额从“%3”变成了“%4”。"
                  "抽奖进行中名额只能经系统设置窗口修改（那会重新开始抽奖，日志里记“保存设置”）；"
                  "这里是程序没在运行时有人改了 bt.txt。")
                  .arg(lineRef(host.shown.startLine), lineRef(interrupted.shown.startLine),
                       quotasText(interrupted.quotasNow), quotasText(host.shown.quotas)));
    }
    timeInDraw(interrupted, head);
    // The interrupted draw goes on, with the resumed start's list and quotas.
    interrupted.lists.append({host.shown.startLine, host.shown.sha256});
    interrupted.shown.resumeLines.append(head.number);
    interrupted.shown.endLine = head.number;
    if (!host.shown.chained)
        interrupted.shown.chained = false;
    Event event{Event::Type::Resume, -1, head.number};
    event.quotas = host.shown.quotas;
    interrupted.quotasNow = host.shown.quotas;
    interrupted.events.append(event);
    for (const Line &line : block.winnerLines) {
        WinnerRecord &winner =
            interrupted.winners[interrupted.byCheck.value(QString::fromLatin1(line.check))];
        if (winner.shown.chain.isEmpty())
            winner.shown.chain = QString::fromLatin1(line.chain);
    }
    // The resumed start opened no draw of its own.
    const qsizetype hostNumber = run_.current;
    draws_.erase(hostNumber);
    if (hostNumber == drawCount_)
        --drawCount_;
    run_.current = offered_;
    offered_ = 0;
    // Draws this run started before its resume are its own after all.
    for (auto &[number, open] : draws_)
        open.deferred = false;
}

QString Verifier::compareBlock(const DrawRecord &draw, const ResumeBlock &block) const
{
    QList<const WinnerRecord *> expected;
    for (const WinnerRecord &winner : draw.winners)
        if (winner.tier)
            expected.append(&winner);
    if (block.count != expected.size() && block.count > qsizetype(block.winnerLines.size()))
        return QStringLiteral("它续接了 %1 名中奖者，那次抽奖有 %2 名。")
            .arg(block.count)
            .arg(expected.size());
    const QStringList codes = resumedCodes(block.head.fields);
    for (std::size_t i = 0; i < std::max(block.winnerLines.size(), std::size_t(expected.size()));
         ++i) {
        if (i >= block.winnerLines.size())
            return QStringLiteral("少了%1的中奖者 %2。")
                .arg(lineRef(expected[qsizetype(i)]->shown.line),
                     expected[qsizetype(i)]->shown.name);
        const Line &line = block.winnerLines[i];
        if (i >= std::size_t(expected.size()) ||
            QString::fromLatin1(line.check) != expected[qsizetype(i)]->check)
            return QStringLiteral("%1的中奖者 %2 不是那次抽奖在这个位置的中奖者。")
                .arg(lineRef(line.number), unescapeJournalField(line.fields.value(3)));
        const QString &chain = expected[qsizetype(i)]->shown.chain;
        const QString code = codes.value(qsizetype(i));
        if (!codeFits(code, chain) && !(chain.isEmpty() && codes.isEmpty()))
            return QStringLiteral("它给%1的链码 %2 不是那一位抽中时的链码 %3。")
                .arg(lineRef(line.number), code, chainCodeOf(chain));
    }
    QList<qsizetype> expectedVoids;
    for (qsizetype place : draw.voidOrder)
        if (draw.winners[place].tier)
            expectedVoids.append(place);
    if (block.voidsSeen != expectedVoids.size())
        return QStringLiteral("它作废了 %1 名，那次抽奖作废的是 %2 名。")
            .arg(block.voidsSeen)
            .arg(expectedVoids.size());
    for (std::size_t i = 0; i < block.voidLines.size(); ++i) {
        const Line &line = block.voidLines[i];
        if (namedWinner(draw, line.fields) != expectedVoids[qsizetype(i)])
            return QStringLiteral("%1作废的不是那次抽奖作废的那一位。").arg(lineRef(line.number));
    }
    return {};
}

// --- Runs end, draws end ---

} // namespace journalcheck
