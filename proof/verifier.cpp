#include "verifierparts.h"

#include "drawproof.h"
#include "journal.h"
#include "journalfields.h"
#include "journalline.h"
#include "winnervoid.h"

#include <algorithm>
#include <utility>

namespace journalcheck {

namespace {

constexpr std::size_t FaultsKept = 1000;
constexpr std::size_t NotesKept = 200;
constexpr qsizetype AfterHeadListed = 200;

// Characters nobody sees: what pads a line until its chain value starts as wanted.
QString invisibleIn(const QString &text)
{
    QStringList found;
    for (const QChar c : text)
        if (c.category() == QChar::Other_Format || c.category() == QChar::Other_Control ||
            c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            found << QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    found.removeDuplicates();
    return found.join(QStringLiteral("、"));
}

bool isDigits(QStringView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

Verifier::Verifier(ListFile &list, Verification &out) : list_(list), out_(out)
{
    QString wanted;
    for (const QChar c : out_.comparedHead)
        if (!c.isSpace() && c != u'-' && c != u'·' && c != u':')
            wanted += c.toLower();
    wanted_ = wanted;
    wantedValid_ = wanted.size() >= WeakCodeDigits && wanted.size() <= JournalChainDigits &&
                   isLowerHex(wanted.toLatin1());
    if (!out_.comparedHead.isEmpty()) {
        out_.comparedHead = wanted;
        out_.comparedHeadWeak = wantedValid_ && wanted.size() < StrongCodeDigits;
    }
}

void Verifier::fault(qsizetype line, FaultKind kind, const QString &text)
{
    ++out_.faultCount;
    if (line == 0) {
        globalFaults_.push_back({line, kind, text});
        return;
    }
    // On one line, what happened to the line itself comes before what it then means.
    const bool ofTheLine = kind == FaultKind::Changed || kind == FaultKind::RemovedOrChanged ||
                           kind == FaultKind::Inserted || kind == FaultKind::Reordered ||
                           kind == FaultKind::Unchained || kind == FaultKind::NotWhole;
    const qsizetype order = order_++ + (ofTheLine ? 0 : qsizetype(1) << 48);
    faultHeap_.push({line, order, {line, kind, text}});
    if (faultHeap_.size() > FaultsKept)
        faultHeap_.pop();
}

void Verifier::note(qsizetype line, const QString &text)
{
    ++out_.noteCount;
    noteHeap_.push({line, order_++, text});
    if (noteHeap_.size() > NotesKept)
        noteHeap_.pop();
}

void Verifier::take(Line &line)
{
    out_.lines = line.number;
    if (line.whole && line.event() == JournalEvent::ProgramStart) {
        // The start line chains on from the run before: that settles a break there first.
        checkChain(line);
        endRun(false);
        startRun(line, true);
        classify(line);
        trackTorn(line);
    } else {
        if (!run_.open)
            startRun(line, false);
        classify(line);
        trackTorn(line);
        checkChain(line);
    }
    if (line.counts()) {
        checkForm(line);
        trackHead(line);
        compareHeadAt(line);
    }
    replayLine(line);
}

void Verifier::end()
{
    if (break_)
        settleBreak(nullptr);
    noteUnchainedRange();
    endRun(true);
    std::vector<qsizetype> open;
    for (const auto &[number, draw] : draws_)
        open.push_back(number);
    for (qsizetype number : open)
        finalize(number);
    offered_ = 0;
}

void Verifier::checkForm(const Line &line)
{
    const QString &stamp = line.fields.value(0);
    if (!isWellFormedStamp(stamp)) {
        const QString invisible = invisibleIn(stamp);
        fault(line.number, FaultKind::BadTime,
              QStringLiteral("%1的时间“%2”不是程序写的样子（年-月-日 时:分:秒）%3。")
                  .arg(lineRef(line.number), stamp,
                       invisible.isEmpty()
                           ? QString()
                           : QStringLiteral("：里面有看不见的字符 %1").arg(invisible)));
    }
    const QString &event = line.event();
    const QStringList &f = line.fields;
    QString wrong;
    if (event == JournalEvent::Winner) {
        // The time, 中奖, the log label, the name, 抽前=, 抽后=, and 手动输入 for a typed one
        // or 本次= for one of a press of several.
        if (f.size() < 6 || f.size() > 7)
            wrong = QStringLiteral(
                        "它有 %1 个字段，程序写的中奖行是 6 个（手动输入的、一次抽几人的 7 个）")
                        .arg(f.size());
        else if (!f[4].startsWith(u"抽前=") || !isDigits(QStringView(f[4]).sliced(3)) ||
                 !f[5].startsWith(u"抽后=") || !isDigits(QStringView(f[5]).sliced(3)))
            wrong = QStringLiteral("奖池人数“%1 %2”不是程序写的样子").arg(f[4], f[5]);
        else if (f.size() == 7 && f[6] != TypedField && pressPlaceOf(f[6]).count == 0)
            wrong = QStringLiteral("最后多了一个字段“%1”").arg(f[6]);
    } else if (event == JournalEvent::Void) {
        // The time, 作废, the log label, the name, 中奖行= or 序号=, 已抽取=.
        const bool names = (f.value(4).startsWith(VoidWinnerLineKey) &&
                            f.value(4).size() == VoidWinnerLineKey.size() + 8 &&
                            isLowerHex(f.value(4).mid(VoidWinnerLineKey.size()).toLatin1())) ||
                           (f.value(4).startsWith(VoidPlaceKey) &&
                            isDigits(QStringView(f.value(4)).sliced(VoidPlaceKey.size())));
        if (f.size() != 6)
            wrong = QStringLiteral("它有 %1 个字段，程序写的作废行是 6 个").arg(f.size());
        else if (!names || !f[5].startsWith(u"已抽取=") || !fourNumbers(f[5].mid(4)).has_value())
            wrong = QStringLiteral("“%1 %2”不是程序写的样子").arg(f[4], f[5]);
    }
    if (!wrong.isEmpty()) {
        const QString invisible = invisibleIn(f.join(QLatin1Char('\t')));
        fault(line.number, FaultKind::Malformed,
              QStringLiteral("%1的格式不对：%2%3。程序不会这样写，这一行是别人写的或改过的。")
                  .arg(lineRef(line.number), wrong,
                       invisible.isEmpty()
                           ? QString()
                           : QStringLiteral("，里面有看不见的字符 %1").arg(invisible)));
    }
}

void Verifier::trackHead(const Line &line)
{
    if (line.chain.isEmpty())
        return;
    const QString &event = line.event();
    if (event == JournalEvent::Winner || event == JournalEvent::Void) {
        out_.head = QString::fromLatin1(line.chain);
        out_.headLine = line.number;
        out_.headEvent = event;
    }
}

void Verifier::compareHeadAt(const Line &line)
{
    if (!wantedValid_ || line.chain.isEmpty())
        return;
    if (QByteArrayView(line.chain).startsWith(QByteArrayView(wanted_.toLatin1()))) {
        ++out_.comparedHeadMatches;
        if (out_.comparedHeadLine == 0) {
            out_.comparedHeadLine = line.number;
            out_.comparedHeadEvent = line.event();
            return;
        }
    }
    if (out_.comparedHeadLine == 0)
        return;
    const QString &event = line.event();
    if (event == JournalEvent::Winner || event == JournalEvent::Void ||
        event == JournalEvent::Reset || event == JournalEvent::DrawStart ||
        event == JournalEvent::Resumed) {
        if (out_.afterComparedHeadCount++ < AfterHeadListed)
            out_.afterComparedHead << QStringLiteral("%1 %2 %3 %4")
                                          .arg(lineRef(line.number), line.fields.value(0), event,
                                               line.fields.mid(2, 2).join(QLatin1Char(' ')));
    }
}

void Verifier::finish()
{
    for (Search &search : searches_) {
        if (search.found > 0)
            fault(search.line, FaultKind::Reordered,
                  QStringLiteral("%1被挪了位置：它原本紧接在%2之后。")
                      .arg(lineRef(search.line), lineRef(search.found)));
        else
            fault(search.line, search.fallback, search.fallbackText);
    }
    searches_.clear();

    out_.drawCount = drawCount_;
    for (VerifiedDraw &draw : firstDraws_)
        out_.draws.append(std::move(draw));
    for (VerifiedDraw &draw : newestDraws_)
        out_.draws.append(std::move(draw));
    for (VerifiedDraw &draw : out_.draws)
        draw.holdsReport = out_.reportDraw > 0 && draw.number == out_.reportDraw;

    if (!anyWhole_) {
        fault(0, FaultKind::NotAJournal,
              QStringLiteral("这个文件里没有一行是完整的日志记录：它不是抽奖日志（也许给错了文件，"
                             "比如把名单当成了日志），或者它已经整个损坏。"));
    } else if (!anyOnList_) {
        QStringList draws;
        for (const Unchecked &draw : unchecked_)
            draws << QStringLiteral("第 %1 次抽奖（%2开始，%3 名中奖者）用的名单有 %4 人，指纹 %5")
                         .arg(number(draw.number), lineRef(draw.line), number(draw.winners),
                              number(draw.names), listDigestOf(draw.sha256));
        fault(
            0, FaultKind::NoDrawOnList,
            QStringLiteral("日志里没有一次抽奖用的是这份名单：它的 SHA-256 与每一次抽奖开始时记下的"
                           "都不同%1。%2")
                .arg(list_.triedOtherWays()
                         ? QStringLiteral("，把它换成别的编码或换行也对不上，所以不只是另存过")
                         : QString(),
                     draws.isEmpty() ? QString() : draws.join(QStringLiteral("；")) + u'。'));
    } else {
        for (const Unchecked &draw : unchecked_)
            fault(draw.line > 0 ? draw.line : 0, FaultKind::DrawNotChecked,
                  QStringLiteral("第 %1 次抽奖（%2开始）有 %3 名中奖者，用的却是另一份名单"
                                 "（%4 人，指纹 %5，SHA-256 %6）：它没法用这份名单核对，"
                                 "它的中奖者是不是从公布的名单里抽出来的，无从证明。"
                                 "如果那天晚上中途导入过新名单，请把当时公布的旧名单"
                                 "（导入时另存在名单旁边）也一起给出。")
                      .arg(number(draw.number), lineRef(draw.line), number(draw.winners),
                           number(draw.names), listDigestOf(draw.sha256), draw.sha256));
        if (uncheckedCount_ > qsizetype(unchecked_.size()))
            fault(0, FaultKind::DrawNotChecked,
                  QStringLiteral("另外还有 %1 次有中奖者的抽奖用的是别的名单，也没有核对。")
                      .arg(number(uncheckedCount_ - qsizetype(unchecked_.size()))));
    }
    if (!out_.comparedHead.isEmpty() && wantedValid_ && out_.comparedHeadLine == 0)
        fault(0, FaultKind::HeadNotFound,
              QStringLiteral(
                  "拿来比对的链值 %1 不是这份日志里任何一行的链值：这份日志不是拍照时的那一份，"
                  "拍照之后它被截短过，或者它被改过后重新算了整条链。")
                  .arg(out_.comparedHead));

    std::vector<Ranked<VerifyFault>> faults;
    while (!faultHeap_.empty()) {
        faults.push_back(faultHeap_.top());
        faultHeap_.pop();
    }
    std::sort(faults.begin(), faults.end());
    for (Ranked<VerifyFault> &fault : faults)
        out_.faults.append(std::move(fault.value));
    for (VerifyFault &fault : globalFaults_)
        out_.faults.append(std::move(fault));
    std::vector<Ranked<QString>> notes;
    while (!noteHeap_.empty()) {
        notes.push_back(noteHeap_.top());
        noteHeap_.pop();
    }
    std::sort(notes.begin(), notes.end());
    for (Ranked<QString> &note : notes)
        out_.notes.append(std::move(note.value));
}

} // namespace journalcheck
