#include "verifierparts.h"

#include "journal.h"
#include "journalfields.h"
#include "journalline.h"
#include "winnervoid.h"

#include <algorithm>
#include <utility>

namespace journalcheck {

namespace {

// The line a list's import writes before the draw starts afresh (app/listimport.cpp).
const QString ListImportedEvent = QStringLiteral("导入名单");
// Draws of a run still to resume a draw wait to be told whether they count: beyond these,
// the oldest is taken as it stands.
constexpr std::size_t MostDeferredDraws = 1000;

} // namespace

void Verifier::replayLine(const Line &line)
{
    if (block_ && blockLine(line))
        return;
    if (!line.counts() || (run_.hasStart && line.number == run_.startLine))
        return;
    onEvent(line);
}

void Verifier::onEvent(const Line &line)
{
    const QString &event = line.event();
    if (event == JournalEvent::CleanEnd) {
        run_.endedCleanly = true;
        run_.cleanEndLine = line.number;
    } else if (event == JournalEvent::DrawStart || event == JournalEvent::Reset) {
        run_.current = newDraw(line, true);
    } else if (event == JournalEvent::Resumed) {
        ResumeBlock block;
        block.head = line;
        block.count = fieldValue(line.fields, QStringLiteral("人数=")).toLongLong();
        block.voids = fieldValue(line.fields, ResumedVoidsKey).toLongLong();
        block_ = std::move(block);
        if (block_->count <= 0 && block_->voids <= 0)
            endBlock();
    } else if (event == JournalEvent::Winner) {
        if (run_.current == 0)
            run_.current = drawWithoutStart(line);
        winner(drawOf(run_.current), line);
    } else if (event == JournalEvent::Void) {
        if (run_.current == 0)
            run_.current = drawWithoutStart(line);
        voidLine(drawOf(run_.current), line);
    } else if (event == JournalEvent::SettingsSaved) {
        run_.settingsSaved = line.number;
    } else if (event == ListImportedEvent) {
        run_.imported = line.number;
    } else if (event == JournalEvent::ReportSaved && run_.current != 0) {
        out_.reportDraw = drawOf(run_.current).shown.number;
        out_.reportLine = line.number;
    }
}

qsizetype Verifier::newDraw(const Line &line, bool withStart)
{
    // The draw before it in this run ends here.
    if (run_.current != 0) {
        VerifiedDraw::End end = VerifiedDraw::End::NewDraw;
        if (line.event() == JournalEvent::Reset)
            end = run_.imported > 0 ? VerifiedDraw::End::ListImported : VerifiedDraw::End::Reset;
        else if (run_.settingsSaved > 0)
            end = VerifiedDraw::End::SettingsSaved;
        closeDraw(run_.current, end, line.number);
        if (!drawOf(run_.current).deferred)
            finalize(run_.current);
    }
    DrawRecord draw;
    draw.shown.number = ++drawCount_;
    draw.shown.startLine = withStart ? line.number : 0;
    if (withStart) {
        draw.shown.title = unescapeJournalField(fieldValue(line.fields, QStringLiteral("标题=")));
        draw.shown.quotas = fourNumbers(fieldValue(line.fields, QStringLiteral("名额=")))
                                .value_or(std::array<qint32, 4>{});
        draw.shown.sha256 = fieldValue(line.fields, QStringLiteral("SHA-256="));
        draw.shown.names = fieldValue(line.fields, QStringLiteral("人数=")).toLongLong();
        draw.lists.append({line.number, draw.shown.sha256});
        if (!line.fields.last().startsWith(InvisibleCharactersKey))
            draw.invisible = InvisibleCharacters::Kept;
        if (lastQuotas_ && *lastQuotas_ != draw.shown.quotas)
            draw.shown.quotasBefore = lastQuotas_;
        lastQuotas_ = draw.shown.quotas;
        draw.shown.settingsSavedLine = run_.settingsSaved;
        timeInDraw(draw, line);
    }
    draw.quotasNow = draw.shown.quotas;
    draw.shown.chained = !line.chain.isEmpty();
    draw.shown.endLine = line.number;
    run_.settingsSaved = 0;
    run_.imported = 0;
    // Until a run that set out to resume has done so, its draws may be its own start's.
    draw.deferred = run_.resuming && !run_.resumed;
    if (draw.deferred) {
        qsizetype deferred = 0;
        for (const auto &[number, open] : draws_)
            deferred += open.deferred;
        if (std::size_t(deferred) >= MostDeferredDraws) {
            for (auto &[number, open] : draws_) {
                if (open.deferred && number != run_.current) {
                    open.deferred = false;
                    finalize(number);
                    break;
                }
            }
        }
    }
    const qsizetype number = draw.shown.number;
    draws_.emplace(number, std::move(draw));
    return number;
}

qsizetype Verifier::drawWithoutStart(const Line &line)
{
    fault(line.number, FaultKind::NoDrawStart,
          QStringLiteral("%1所在的那次抽奖没有开始的那一行（“开始抽奖”或“初始化”丢了或被删了），"
                         "无法知道它用的是哪份名单。")
              .arg(lineRef(line.number)));
    return newDraw(line, false);
}

void Verifier::timeInDraw(DrawRecord &draw, const Line &line)
{
    const QString stamp = line.fields.value(0);
    if (!isWellFormedStamp(stamp))
        return; // checkForm() says what is wrong with it
    if (!draw.lastStamp.isEmpty() && stamp < draw.lastStamp)
        fault(line.number, FaultKind::TimeBackwards,
              QStringLiteral("%1的时间 %2 早于这次抽奖前面%3的 %4：时间倒退了。"
                             "行的先后被调换过，或者时间被改过（电脑的时钟在抽奖中途被往回调过，"
                             "也会这样）。")
                  .arg(lineRef(line.number), stamp, lineRef(draw.lastStampLine), draw.lastStamp));
    if (draw.lastStamp.isEmpty() || stamp >= draw.lastStamp) {
        draw.lastStamp = stamp;
        draw.lastStampLine = line.number;
    }
}

void Verifier::winner(DrawRecord &draw, const Line &line)
{
    if (line.chain.isEmpty())
        draw.shown.chained = false;
    draw.shown.endLine = line.number;
    const QString check = QString::fromLatin1(line.check);
    if (const qsizetype place = draw.byCheck.value(check, -1); place >= 0) {
        // The same line again: written once more after a write that failed. From then on
        // its chain value is the newer copy's, as the program takes it.
        WinnerRecord &earlier = draw.winners[place];
        if (earlier.run == run_.index)
            earlier.shown.chain = QString::fromLatin1(line.chain);
        return;
    }
    timeInDraw(draw, line);
    // No list gives more winners than it has names: what is past that is not kept.
    const qsizetype most = std::max<qsizetype>({list_.names(), draw.shown.names, 1000}) + 1;
    if (draw.winners.size() >= most) {
        if (draw.uncounted++ == 0)
            fault(
                line.number, FaultKind::WonBefore,
                QStringLiteral("%1起，这次抽奖记的中奖者比名单上的名字还多：必定有人中了不止一次。")
                    .arg(lineRef(line.number)));
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
    winner.run = run_.index;
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
    draw.shown.endLine = line.number;
    const QString label = line.fields.value(2);
    const QString name = unescapeJournalField(line.fields.value(3));
    const qsizetype place = namedWinner(draw, line.fields);
    const QString check = QString::fromLatin1(line.check);
    if (place >= 0) {
        WinnerRecord &winner = draw.winners[place];
        if (winner.shown.voided && winner.voidCheck == check)
            return; // written once more after a failed write
        if (!winner.shown.voided && winner.shown.logLabel == label && winner.shown.name == name) {
            timeInDraw(draw, line);
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

// --- A resume's block ---

void Verifier::closeDraw(qsizetype number, VerifiedDraw::End end, qsizetype line)
{
    VerifiedDraw &shown = drawOf(number).shown;
    shown.end = end;
    shown.endLine = line;
}

void Verifier::endRun(bool atEnd)
{
    if (!run_.open)
        return;
    if (block_)
        endBlock();
    for (const PendingUnchained &pending : unchained_)
        settleUnchained(pending, true);
    unchained_.clear();
    settleTorn(atEnd);

    const bool unfinished = run_.resuming && !run_.resumed;
    if (run_.current != 0) {
        if (run_.endedCleanly)
            closeDraw(run_.current, VerifiedDraw::End::ClosedNormally, run_.cleanEndLine);
        else
            closeDraw(run_.current,
                      atEnd ? VerifiedDraw::End::JournalEnds : VerifiedDraw::End::Interrupted,
                      run_.lastLine);
    }
    if (unfinished) {
        note(run_.startLine, QStringLiteral("%1起的那次启动要续接上次的抽奖，但续接没有写完整；"
                                            "下一次启动照样续接那次抽奖。")
                                 .arg(lineRef(run_.startLine)));
        // Its start opened no draw of its own: the resume reads past the whole run.
        for (auto open = draws_.begin(); open != draws_.end();) {
            if (open->second.deferred && open->second.winners.isEmpty()) {
                if (open->first == drawCount_)
                    --drawCount_;
                open = draws_.erase(open);
            } else {
                open->second.deferred = false;
                ++open;
            }
        }
    }
    qsizetype offered = offered_;
    if (run_.endedCleanly)
        offered = 0;
    else if (!unfinished)
        offered = run_.current;
    std::vector<qsizetype> done;
    for (const auto &[number, open] : draws_)
        if (number != offered)
            done.push_back(number);
    for (qsizetype number : done)
        finalize(number);
    offered_ = offered;
    run_.open = false;
}

} // namespace journalcheck
