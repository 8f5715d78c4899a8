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

qsizetype Verifier::newDraw(const Line &line, bool withStart)
{
    DrawRecord draw;
    draw.shown.startLine = withStart ? line.number : 0;
    if (withStart) {
        draw.shown.title = unescapeJournalField(fieldValue(line.fields, QStringLiteral("标题=")));
        draw.shown.quotas = fourNumbers(fieldValue(line.fields, QStringLiteral("名额=")))
                                .value_or(std::array<qint32, 4>{});
        draw.shown.sha256 = fieldValue(line.fields, QStringLiteral("SHA-256="));
        draw.shown.names = fieldValue(line.fields, QStringLiteral("人数=")).toLongLong();
        draw.lists.append({line.number, draw.shown.sha256});
    }
    draw.shown.chained = !line.chain.isEmpty();
    draws_.push_back(std::move(draw));
    return qsizetype(draws_.size()) - 1;
}

void Verifier::replayRun(qsizetype r)
{
    const Run &run = runs_[std::size_t(r)];
    const bool resuming = run.hasStart && lines_[std::size_t(run.first)].counts() &&
                          lines_[std::size_t(run.first)].fields.contains(ResumingField);
    bool resumed = false;
    bool endedCleanly = false;
    qsizetype current = -1;
    const qsizetype firstDraw = qsizetype(draws_.size());
    qsizetype resumeLine = 0; // the resume's own line, once done
    for (qsizetype i = run.first + (run.hasStart ? 1 : 0); i < run.end; ++i) {
        const Line &line = lines_[std::size_t(i)];
        if (!line.counts())
            continue;
        const QString &event = line.event();
        if (event == JournalEvent::CleanEnd) {
            endedCleanly = true;
        } else if (event == JournalEvent::DrawStart || event == JournalEvent::Reset) {
            current = newDraw(line, true);
        } else if (event == JournalEvent::Resumed) {
            i = resume(r, i, current, resumed, resumeLine);
        } else if (event == JournalEvent::Winner) {
            if (current < 0)
                current = drawWithoutStart(line);
            winner(draws_[std::size_t(current)], line, r);
        } else if (event == JournalEvent::Void) {
            if (current < 0)
                current = drawWithoutStart(line);
            voidLine(draws_[std::size_t(current)], line);
        }
    }
    if (endedCleanly)
        offered_ = -1;
    else if (!(resuming && !resumed))
        offered_ = current;
    if (resuming && !resumed) {
        out_.notes << QStringLiteral("%1起的那次启动要续接上次的抽奖，但续接没有写完整；"
                                     "下一次启动照样续接那次抽奖。")
                          .arg(lineRef(lines_[std::size_t(run.first)].number));
        // Its start opened no draw of its own: the resume reads past the whole run.
        for (qsizetype d = firstDraw; d < qsizetype(draws_.size()); ++d)
            if (draws_[std::size_t(d)].winners.isEmpty())
                draws_[std::size_t(d)].absorbed = true;
    }
}

qsizetype Verifier::drawWithoutStart(const Line &line)
{
    fault(line.number, FaultKind::NoDrawStart,
          QStringLiteral("%1所在的那次抽奖没有开始的那一行（“开始抽奖”或“初始化”丢了或被删了），"
                         "无法知道它用的是哪份名单。")
              .arg(lineRef(line.number)));
    return newDraw(line, false);
}

void Verifier::winner(DrawRecord &draw, const Line &line, qsizetype run)
{
    if (line.chain.isEmpty())
        draw.shown.chained = false;
    const QString check = QString::fromLatin1(line.check);
    if (const qsizetype place = draw.byCheck.value(check, -1); place >= 0) {
        // The same line again: written once more after a write that failed. From then on
        // its chain value is the newer copy's, as the program takes it.
        WinnerRecord &earlier = draw.winners[place];
        if (earlier.run == run)
            earlier.shown.chain = QString::fromLatin1(line.chain);
        return;
    }
    WinnerRecord winner;
    winner.shown.line = line.number;
    winner.shown.logLabel = line.fields.value(2);
    winner.shown.name = unescapeJournalField(line.fields.value(3));
    winner.shown.stamp = line.fields.value(0);
    winner.shown.chain = QString::fromLatin1(line.chain);
    winner.shown.typed = line.fields.indexOf(TypedField, 4) > 0;
    winner.tier = tierOfLogLabel(winner.shown.logLabel);
    winner.check = check;
    winner.before = fieldNumber(line.fields.value(4), QStringLiteral("抽前="));
    winner.after = fieldNumber(line.fields.value(5), QStringLiteral("抽后="));
    winner.run = run;
    if (!winner.tier)
        fault(line.number, FaultKind::UnknownTier,
              QStringLiteral("%1的奖项“%2”不是程序的四个奖项之一。")
                  .arg(lineRef(line.number), winner.shown.logLabel));
    draw.byCheck.insert(check, draw.winners.size());
    draw.events.append({Event::Type::Winner, draw.winners.size(), line.number});
    draw.winners.append(std::move(winner));
}

qsizetype Verifier::namedWinner(const DrawRecord &draw, const QStringList &fields) const
{
    const QString named = fields.value(4);
    if (named.startsWith(VoidWinnerLineKey))
        return draw.byCheck.value(named.mid(VoidWinnerLineKey.size()), -1);
    const qsizetype place = fieldNumber(named, VoidPlaceKey);
    return place >= 1 && place <= draw.winners.size() ? place - 1 : -1;
}

void Verifier::voidLine(DrawRecord &draw, const Line &line)
{
    if (line.chain.isEmpty())
        draw.shown.chained = false;
    const QString label = line.fields.value(2);
    const QString name = unescapeJournalField(line.fields.value(3));
    const qsizetype place = namedWinner(draw, line.fields);
    const QString check = QString::fromLatin1(line.check);
    if (place >= 0) {
        WinnerRecord &winner = draw.winners[place];
        if (winner.shown.voided && winner.voidCheck == check)
            return; // written once more after a failed write
        if (!winner.shown.voided && winner.shown.logLabel == label && winner.shown.name == name) {
            winner.shown.voided = true;
            winner.shown.voidLine = line.number;
            winner.shown.voidStamp = line.fields.value(0);
            winner.voidCheck = check;
            draw.voidOrder.append(place);
            Event event{Event::Type::Void, place, line.number};
            event.counts = fourNumbers(fieldValue(line.fields, QStringLiteral("已抽取=")));
            draw.events.append(event);
            return;
        }
    }
    fault(line.number, FaultKind::VoidOfNoWinner,
          QStringLiteral("%1作废的“%2%3”不是这次抽奖里一位仍然有效的中奖者%4。")
              .arg(lineRef(line.number), label, name,
                   place >= 0 && draw.winners[place].shown.voided
                       ? QStringLiteral("（已经作废过）")
                       : QStringLiteral("（它点名的中奖那一行不在日志里）")));
}

qsizetype Verifier::resume(qsizetype r, qsizetype at, qsizetype &current, bool &resumed,
                           qsizetype &resumeLine)
{
    const Run &run = runs_[std::size_t(r)];
    const Line &head = lines_[std::size_t(at)];
    const qsizetype count = fieldValue(head.fields, QStringLiteral("人数=")).toLongLong();
    const qsizetype voids = fieldValue(head.fields, ResumedVoidsKey).toLongLong();
    std::vector<qsizetype> winnerLines;
    std::vector<qsizetype> voidLines;
    qsizetype next = at + 1;
    for (; qsizetype(winnerLines.size()) < count && next < run.end; ++next) {
        const Line &line = lines_[std::size_t(next)];
        if (!line.counts() || line.event() != JournalEvent::Winner)
            break;
        winnerLines.push_back(next);
    }
    while (qsizetype(winnerLines.size()) == count && qsizetype(voidLines.size()) < voids &&
           next < run.end) {
        const Line &line = lines_[std::size_t(next)];
        if (!line.counts() || line.event() != JournalEvent::Void)
            break;
        voidLines.push_back(next++);
    }
    if (qsizetype(winnerLines.size()) < count || qsizetype(voidLines.size()) < voids) {
        out_.notes << QStringLiteral("%1的续接没有写完整（磁盘写满或断电），不计入；"
                                     "它的行后来会再完整地写一遍。")
                          .arg(lineRef(head.number));
        return next - 1;
    }
    const qsizetype last = next - 1;
    if (resumed) {
        // The same block once more after a write that failed.
        if (lines_[std::size_t(resumeLine)].check != head.check)
            fault(head.number, FaultKind::ResumeMismatch,
                  QStringLiteral("%1是这次启动的第二次续接：一次启动只续接一次。")
                      .arg(lineRef(head.number)));
        return last;
    }
    resumed = true;
    resumeLine = at;
    if (current < 0 || !draws_[std::size_t(current)].winners.isEmpty() ||
        draws_[std::size_t(current)].shown.startLine == 0) {
        fault(head.number, FaultKind::ResumeMismatch,
              QStringLiteral("%1的续接前面不是这次启动的“开始抽奖”。").arg(lineRef(head.number)));
        return last;
    }
    DrawRecord &host = draws_[std::size_t(current)];
    if (offered_ < 0) {
        if (count > 0 || voids > 0)
            fault(head.number, FaultKind::ResumeMismatch,
                  QStringLiteral("%1续接了 %2 名中奖者，可是上一次抽奖已经正常结束，没有可续接的。")
                      .arg(lineRef(head.number))
                      .arg(count));
        return last;
    }
    DrawRecord &interrupted = draws_[std::size_t(offered_)];
    const QString mismatch = compareBlock(interrupted, head, winnerLines, voidLines);
    if (!mismatch.isEmpty()) {
        fault(head.number, FaultKind::ResumeMismatch,
              QStringLiteral("%1的续接与被中断的那次抽奖（%2开始）不符：%3")
                  .arg(lineRef(head.number), lineRef(interrupted.shown.startLine), mismatch));
        return last;
    }
    // The interrupted draw goes on, with the resumed start's list and quotas.
    host.absorbed = true;
    interrupted.lists.append({host.shown.startLine, host.shown.sha256});
    interrupted.shown.resumeLines.append(head.number);
    if (!host.shown.chained)
        interrupted.shown.chained = false;
    Event event{Event::Type::Resume, -1, head.number};
    event.quotas = host.shown.quotas;
    interrupted.events.append(event);
    for (std::size_t i = 0; i < winnerLines.size(); ++i) {
        WinnerRecord &winner = interrupted.winners[interrupted.byCheck.value(
            QString::fromLatin1(lines_[std::size_t(winnerLines[i])].check))];
        if (winner.shown.chain.isEmpty())
            winner.shown.chain = QString::fromLatin1(lines_[std::size_t(winnerLines[i])].chain);
    }
    current = offered_;
    return last;
}

QString Verifier::compareBlock(const DrawRecord &draw, const Line &head,
                               const std::vector<qsizetype> &winnerLines,
                               const std::vector<qsizetype> &voidLines) const
{
    QList<const WinnerRecord *> expected;
    for (const WinnerRecord &winner : draw.winners)
        if (winner.tier)
            expected.append(&winner);
    const QStringList codes = resumedCodes(head.fields);
    for (std::size_t i = 0; i < std::max(winnerLines.size(), std::size_t(expected.size())); ++i) {
        if (i >= winnerLines.size())
            return QStringLiteral("少了%1的中奖者 %2。")
                .arg(lineRef(expected[qsizetype(i)]->shown.line),
                     expected[qsizetype(i)]->shown.name);
        const Line &line = lines_[winnerLines[i]];
        if (i >= std::size_t(expected.size()) ||
            QString::fromLatin1(line.check) != expected[qsizetype(i)]->check)
            return QStringLiteral("%1的中奖者 %2 不是那次抽奖在这个位置的中奖者。")
                .arg(lineRef(line.number), unescapeJournalField(line.fields.value(3)));
        const QString code = chainCodeOf(expected[qsizetype(i)]->shown.chain);
        if (codes.value(qsizetype(i)) != code && !(code.isEmpty() && codes.isEmpty()))
            return QStringLiteral("它给%1的链码 %2 不是那一位抽中时的链码 %3。")
                .arg(lineRef(line.number), codes.value(qsizetype(i)), code);
    }
    QList<qsizetype> expectedVoids;
    for (qsizetype place : draw.voidOrder)
        if (draw.winners[place].tier)
            expectedVoids.append(place);
    if (qsizetype(voidLines.size()) != expectedVoids.size())
        return QStringLiteral("它作废了 %1 名，那次抽奖作废的是 %2 名。")
            .arg(voidLines.size())
            .arg(expectedVoids.size());
    for (std::size_t i = 0; i < voidLines.size(); ++i) {
        const Line &line = lines_[voidLines[i]];
        if (namedWinner(draw, line.fields) != expectedVoids[qsizetype(i)])
            return QStringLiteral("%1作废的不是那次抽奖作废的那一位。").arg(lineRef(line.number));
    }
    return {};
}

} // namespace journalcheck
