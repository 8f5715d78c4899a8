#include "drawverifier.h"

#include "candidates.h"
#include "drawproof.h"
#include "fileaccess.h"
#include "journal.h"
#include "journalline.h"
#include "journalreader.h"
#include "textcodec.h"
#include "winnervoid.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>

namespace {

// A line of the journal as the verifier reads it. Empty lines are not kept.
struct Line {
    qsizetype number = 0; // counted from 1, empty lines included
    bool whole = false;   // its own check holds (and, for the bytes after the last CR LF,
                          // its chain value is there: as the resume reads it)
    bool leftOut = false; // not whole, or whole but not counted (see Runs)
    QStringList fields;   // the timestamp first
    QByteArray chain;
    QByteArray body;
    QByteArray check;
    QByteArray chainField; // of a line that is not whole: its chain field, if it reads as one
    qsizetype run = 0;

    const QString &event() const
    {
        static const QString none;
        return fields.size() > 1 ? fields[1] : none;
    }
    bool counts() const { return whole && !leftOut; }
};

// A chain value and the line that carries it (0: the start of a chain).
struct Link {
    QByteArray chain;
    qsizetype line = 0;
};

struct Run {
    qsizetype first = 0; // indexes into the lines
    qsizetype end = 0;
    bool hasStart = false;
    bool chained = false;
    bool unchained = false; // an earlier version's run: whole lines, none with a chain value
};

QString fieldValue(const QStringList &fields, const QString &key)
{
    for (qsizetype i = 2; i < fields.size(); ++i)
        if (fields[i].startsWith(key))
            return fields[i].mid(key.size());
    return {};
}

qsizetype fieldNumber(const QString &field, const QString &key)
{
    if (!field.startsWith(key))
        return -1;
    bool ok = false;
    const qsizetype value = field.mid(key.size()).toLongLong(&ok);
    return ok ? value : -1;
}

std::optional<std::array<qint32, 4>> fourNumbers(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    std::array<qint32, 4> numbers{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[std::size_t(i)] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return numbers;
}

QString number(qsizetype value)
{
    return QLocale::c().toString(qlonglong(value));
}

QString lineRef(qsizetype line)
{
    return QStringLiteral("第 %1 行").arg(line);
}

bool isLowerHex(QByteArrayView digits)
{
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The chain field of a line that is not whole, when one can still be read: a line changed
// after it was written keeps the chain value the next line was chained from.
QByteArray chainFieldOf(QByteArrayView bytes)
{
    static const QByteArray prefix = encodeText(QStringLiteral("链="));
    const qsizetype tab = bytes.lastIndexOf('\t');
    if (tab < 0)
        return {};
    const QByteArrayView tail = bytes.sliced(tab + 1);
    if (!tail.startsWith(prefix))
        return {};
    const QByteArrayView value = tail.sliced(prefix.size());
    return value.size() == JournalChainDigits && isLowerHex(value) ? value.toByteArray()
                                                                   : QByteArray();
}

std::vector<Line> readLines(QByteArray bytes)
{
    if (startsAsUtf16(bytes))
        bytes = encodeText(decodeText(bytes)); // its GB18030 bytes carry the checks
    else if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    std::vector<Line> lines;
    qsizetype start = 0;
    qsizetype number = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf("\r\n", start);
        const bool tail = end < 0;
        if (tail)
            end = bytes.size();
        ++number;
        const QByteArrayView text = QByteArrayView(bytes).sliced(start, end - start);
        start = end + 2;
        if (text.isEmpty())
            continue;
        Line line;
        line.number = number;
        if (std::optional<JournalLine> read = readJournalLine(text);
            read && (!tail || !read->chain.isEmpty())) {
            line.whole = true;
            line.fields = std::move(read->fields);
            line.chain = std::move(read->chain);
            line.body = std::move(read->body);
            line.check = std::move(read->check);
        } else {
            line.leftOut = true;
            line.chainField = chainFieldOf(text);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// The winner of a draw as the verifier keeps it.
struct WinnerRecord {
    VerifiedWinner shown;
    std::optional<PrizeTier> tier;
    QString check;
    qsizetype before = -1;
    qsizetype after = -1;
    qsizetype run = -1; // the run that drew it
    QString voidCheck;
};

struct Event {
    enum class Type { Winner, Void, Resume };
    Type type;
    qsizetype winner = -1;
    qsizetype line = 0;
    std::array<qint32, 4> quotas{};
    std::optional<std::array<qint32, 4>> counts = std::nullopt;
};

struct DrawRecord {
    VerifiedDraw shown;
    QList<WinnerRecord> winners;
    QHash<QString, qsizetype> byCheck;
    QList<qsizetype> voidOrder; // winners in the order voided
    QList<Event> events;
    QList<std::pair<qsizetype, QString>> lists; // each start's line and list SHA-256
    bool absorbed = false; // a resume's start: its draw goes on in the interrupted one
};

class Verifier {
public:
    Verifier(std::vector<Line> lines, const CandidatePool &list, Verification &out)
        : lines_(std::move(lines)), list_(list), out_(out)
    {
    }

    void run()
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

private:
    void fault(qsizetype line, FaultKind kind, const QString &text)
    {
        out_.faults.append({line, kind, text});
    }

    // Runs begin at each whole start line (程序启动). In a run of this version every line
    // carries a chain value: a whole line without one after the run's first chained line
    // was cut short just before it. Lines without chain values before that (or in a run
    // without any) are an earlier version's: they count, but prove nothing.
    void splitRuns()
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
                out_.notes << QStringLiteral("%1没有链值（早期版本写的）：照样核对，但无法证明没有被改过。")
                                  .arg(unchainedFrom == unchainedTo
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

    void unchainedAmongChained(const Run &run, qsizetype index)
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
                                   writtenAgain ? QStringLiteral("，后面又完整地写了一遍")
                                                : QString());
            return;
        }
        fault(line.number, FaultKind::Unchained,
              QStringLiteral("%1有完整的校验，却没有链值，夹在有链值的行之间：这一行是后来插进去的，"
                             "或者它的链值被删掉了。")
                  .arg(lineRef(line.number)));
    }

    // Every chained line chains from the line the program read back before writing it: the
    // newest whole chained line before it, or nothing when a run of an earlier version
    // (a start line and more lines without chain values) lies between (chainHeadOf()).
    // `previous` is that for the next line; `afterUnchained` the same once a line without a
    // chain value follows.
    void checkChain()
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
                out_.notes << QStringLiteral("%1之前是一段没有链值的记录（早期版本写的），链从%1起重新算起。")
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

    // The next chained line after `index`, if any.
    const Line *nextChained(qsizetype index) const
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

    // Says what most likely happened where the chain breaks before line `index`, which
    // should have chained from `link`; `earlier` is what that line chained from.
    void diagnoseBreak(qsizetype index, const Link &link, const Link &earlier,
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
                      QStringLiteral("%1在写入之后被改过：它自己的校验不再相符，而%2的链值正是接着它算出来的。")
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
            fault(line.number, FaultKind::RemovedOrChanged,
                  QStringLiteral("%1接不上%2：两行之间有一行或几行被删掉了，或者%1被改过并重新算了校验。")
                      .arg(lineRef(line.number), after));
            return;
        }
        fault(line.number, FaultKind::Changed,
              QStringLiteral("%1的链值与它的内容和%2都对不上：这一行被改过。")
                  .arg(lineRef(line.number), after));
    }

    // --- The draws, run by run, as the resume reads them ---

    qsizetype newDraw(const Line &line, bool withStart)
    {
        DrawRecord draw;
        draw.shown.startLine = withStart ? line.number : 0;
        if (withStart) {
            draw.shown.title = unescapeJournalField(fieldValue(line.fields, QStringLiteral("标题=")));
            draw.shown.quotas =
                fourNumbers(fieldValue(line.fields, QStringLiteral("名额="))).value_or(std::array<qint32, 4>{});
            draw.shown.sha256 = fieldValue(line.fields, QStringLiteral("SHA-256="));
            draw.shown.names = fieldValue(line.fields, QStringLiteral("人数=")).toLongLong();
            draw.lists.append({line.number, draw.shown.sha256});
        }
        draw.shown.chained = !line.chain.isEmpty();
        draws_.push_back(std::move(draw));
        return qsizetype(draws_.size()) - 1;
    }

    void replayRun(qsizetype r)
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

    qsizetype drawWithoutStart(const Line &line)
    {
        fault(line.number, FaultKind::NoDrawStart,
              QStringLiteral("%1所在的那次抽奖没有开始的那一行（“开始抽奖”或“初始化”丢了或被删了），"
                             "无法知道它用的是哪份名单。")
                  .arg(lineRef(line.number)));
        return newDraw(line, false);
    }

    void winner(DrawRecord &draw, const Line &line, qsizetype run)
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

    // Which winner a void line names: by its winner's line, or (earlier versions) by place.
    qsizetype namedWinner(const DrawRecord &draw, const QStringList &fields) const
    {
        const QString named = fields.value(4);
        if (named.startsWith(VoidWinnerLineKey))
            return draw.byCheck.value(named.mid(VoidWinnerLineKey.size()), -1);
        const qsizetype place = fieldNumber(named, VoidPlaceKey);
        return place >= 1 && place <= draw.winners.size() ? place - 1 : -1;
    }

    void voidLine(DrawRecord &draw, const Line &line)
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

    // A resume's block: its line (续接), the winners it brings back, then their voids, all
    // in one write. Answers the index of the block's last line.
    qsizetype resume(qsizetype r, qsizetype at, qsizetype &current, bool &resumed,
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

    // What differs between a resume's block and the draw it resumes; empty when nothing.
    QString compareBlock(const DrawRecord &draw, const Line &head,
                         const std::vector<qsizetype> &winnerLines,
                         const std::vector<qsizetype> &voidLines) const
    {
        QList<const WinnerRecord *> expected;
        for (const WinnerRecord &winner : draw.winners)
            if (winner.tier)
                expected.append(&winner);
        const QStringList codes = resumedCodes(head.fields);
        for (std::size_t i = 0; i < std::max(winnerLines.size(), std::size_t(expected.size()));
             ++i) {
            if (i >= winnerLines.size())
                return QStringLiteral("少了%1的中奖者 %2。")
                    .arg(lineRef(expected[qsizetype(i)]->shown.line), expected[qsizetype(i)]->shown.name);
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

    // --- A draw replayed on the list ---

    void replayOnList(DrawRecord &draw)
    {
        VerifiedDraw &shown = draw.shown;
        bool same = false;
        bool other = false;
        for (const auto &[line, sha] : draw.lists) {
            if (sha == out_.listSha256)
                same = true;
            else
                other = true;
        }
        if (draw.lists.isEmpty())
            shown.list = VerifiedDraw::List::Unknown;
        else if (same && other)
            shown.list = VerifiedDraw::List::Mixed;
        else
            shown.list = same ? VerifiedDraw::List::Same : VerifiedDraw::List::Other;
        if (shown.list == VerifiedDraw::List::Mixed) {
            for (const auto &[line, sha] : draw.lists)
                if (sha != draw.lists.first().second)
                    fault(line, FaultKind::ListChanged,
                          QStringLiteral("%1：这次抽奖续接时用的名单与开始时的不同（SHA-256 不一致）。")
                              .arg(lineRef(line)));
        }
        if (shown.list == VerifiedDraw::List::Same) {
            if (!shown.chained)
                fault(shown.startLine, FaultKind::Unprotected,
                      QStringLiteral("%1开始的这次抽奖有些行没有链值（早期版本写的），只能核对它自身是否一致，"
                                     "无法证明没有被改过。")
                          .arg(lineRef(shown.startLine)));
            if (shown.names != list_.names.size())
                fault(shown.startLine, FaultKind::WrongCounts,
                      QStringLiteral("%1记的名单人数是 %2，这份名单有 %3 人。")
                          .arg(lineRef(shown.startLine), number(shown.names),
                               number(list_.names.size())));
            replayWinners(draw);
            shown.replayed = true;
        }
        for (const WinnerRecord &winner : std::as_const(draw.winners))
            shown.winners.append(winner.shown);
    }

    // For every entry of the list, the first winner whose name it holds (letter case aside):
    // the winner that took it out of the pool. The pool before winner i is the list without
    // the entries taken out by earlier winners.
    void replayWinners(DrawRecord &draw)
    {
        const qsizetype total = list_.names.size();
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
            const QStringView entry = list_.names.at(e);
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
        qsizetype pool = total;
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
            const qsizetype before = pool;
            pool -= removedBy[std::size_t(event.winner)];
            checkWinner(draw, event.winner, stoodInPool[std::size_t(event.winner)], before, pool,
                        enabled[t], quotas[t]);
            ++counts[t];
            quotaTests();
        }
    }

    static QString countsText(const std::array<qint32, 4> &counts)
    {
        return QStringLiteral("%1,%2,%3,%4").arg(counts[0]).arg(counts[1]).arg(counts[2]).arg(counts[3]);
    }

    void checkWinner(const DrawRecord &draw, qsizetype index, bool stoodInPool, qsizetype before,
                     qsizetype after, bool enabled, qint32 quota)
    {
        const WinnerRecord &winner = draw.winners[index];
        const VerifiedWinner &shown = winner.shown;
        const QString who = QStringLiteral("%1的%2%3").arg(lineRef(shown.line), shown.logLabel, shown.name);
        if (shown.typed) {
            ++out_.typedWinners;
            if (stoodInPool)
                fault(shown.line, FaultKind::TypedInPool,
                      QStringLiteral("%1标着“手动输入”，可这个名字当时就在奖池里。").arg(who));
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
            for (qsizetype e = 0; e < list_.names.size() && !onList; ++e)
                onList = list_.names.at(e) == shown.name;
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
                fault(shown.line, FaultKind::WrongCounts,
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

    void finish()
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
            fault(0, FaultKind::NoDrawOnList,
                  QStringLiteral("日志里没有一次抽奖用的是这份名单：它的 SHA-256 与每一次抽奖开始时记下的都不同。"));
        }
        std::stable_sort(out_.faults.begin(), out_.faults.end(),
                         [](const VerifyFault &a, const VerifyFault &b) {
                             return (a.line == 0 ? std::numeric_limits<qsizetype>::max() : a.line) <
                                    (b.line == 0 ? std::numeric_limits<qsizetype>::max() : b.line);
                         });
    }

    // Finds the photographed head among the lines, and what the draws did after it.
    void compareHead()
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
            out_.faults.append({0, FaultKind::HeadNotFound,
                               valid ? QStringLiteral("拿来比对的链值 %1 不是这份日志里任何一行的链值：这份日志不是拍照时的那一份，"
                                                      "或者它被改过后重新算了整条链。")
                                           .arg(wanted)
                                     : QStringLiteral("拿来比对的链值“%1”应是 6 到 16 位十六进制数字。")
                                           .arg(wanted)});
    }

    std::vector<Line> lines_;
    const CandidatePool &list_;
    Verification &out_;
    std::vector<Run> runs_;
    std::vector<DrawRecord> draws_;
    qsizetype offered_ = -1; // the draw the next start would offer to resume
};

} // namespace

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

namespace {

QString listText(const VerifiedDraw &draw)
{
    switch (draw.list) {
    case VerifiedDraw::List::Same:
        return QStringLiteral("就是这份名单（SHA-256 相同）");
    case VerifiedDraw::List::Mixed:
        return QStringLiteral("续接时换了名单（见下面的问题）");
    case VerifiedDraw::List::Other:
        return QStringLiteral("另一份名单（SHA-256 %1…，%2 人），没有按这份名单重演")
            .arg(listDigestOf(draw.sha256), number(draw.names));
    case VerifiedDraw::List::Unknown:
        break;
    }
    return QStringLiteral("不知道（这次抽奖开始的那一行不在日志里）");
}

QString quotasText(const std::array<qint32, 4> &quotas)
{
    QStringList parts;
    for (PrizeTier tier : AllTiers)
        parts << QStringLiteral("%1 %2 名").arg(tierRow(tier).statusLabel).arg(quotas[tierIndex(tier)]);
    return parts.join(QStringLiteral("，"));
}

} // namespace

QString verificationText(const Verification &v)
{
    QString text;
    const auto line = [&text](const QString &content) { text += content + QLatin1Char('\n'); };
    line(QStringLiteral("prizedraw-verify：核对抽奖日志"));
    if (!v.readError.isEmpty()) {
        line(v.readError);
        line(QStringLiteral("结论：无法核对（CANNOT CHECK）：文件读不出来。"));
        return text;
    }
    line(QStringLiteral("抽奖日志：%1（%2 行%3）")
             .arg(v.journalPath, number(v.lines),
                  v.tornLines > 0 ? QStringLiteral("，其中 %1 行不完整，不计入").arg(v.tornLines)
                                  : QString()));
    line(QStringLiteral("名单：%1，%2 人").arg(v.listPath, number(v.listNames)));
    line(QStringLiteral("名单指纹：%1（SHA-256 %2）")
             .arg(fingerprintText(v.listNames, listDigestOf(v.listSha256)), v.listSha256));
    line(QString());

    int index = 0;
    for (const VerifiedDraw &draw : v.draws) {
        if (draw.winners.isEmpty())
            continue;
        ++index;
        line(QStringLiteral("第 %1 次抽奖：%2，“%3”，名额 %4")
                 .arg(index)
                 .arg(draw.startLine > 0 ? QStringLiteral("第 %1 行开始").arg(draw.startLine)
                                         : QStringLiteral("开始的那一行不在日志里"),
                      draw.title, quotasText(draw.quotas)));
        line(QStringLiteral("  名单：") + listText(draw));
        for (qsizetype resumed : draw.resumeLines)
            line(QStringLiteral("  第 %1 行续接（程序中断后重新启动，接着抽）").arg(resumed));
        line(QStringLiteral("  中奖者（按抽取顺序）："));
        QString lastChain;
        for (qsizetype i = 0; i < draw.winners.size(); ++i) {
            const VerifiedWinner &winner = draw.winners[i];
            QString entry = QStringLiteral("    %1. %2%3  %4  链码 %5  （第 %6 行）")
                                .arg(i + 1)
                                .arg(winner.logLabel, winner.name, winner.stamp,
                                     winner.chain.isEmpty() ? QStringLiteral("——")
                                                            : chainCodeOf(winner.chain))
                                .arg(winner.line);
            if (winner.typed)
                entry += QStringLiteral("  手动输入，不在名单中");
            if (winner.voided)
                entry += QStringLiteral("  已作废（第 %1 行，%2）").arg(winner.voidLine).arg(winner.voidStamp);
            line(entry);
            lastChain = winner.chain;
        }
        if (!lastChain.isEmpty())
            line(QStringLiteral("  最后一位中奖者那一行的链值：") + lastChain);
        if (draw.replayed)
            line(QStringLiteral("  已按这份名单重演每一位中奖者%1。")
                     .arg(draw.chained ? QString() : QStringLiteral("（这次抽奖有些行没有链值）")));
        line(QString());
    }
    if (index == 0)
        line(QStringLiteral("日志里没有中奖者。\n"));

    line(v.head.isEmpty() ? QStringLiteral("日志链头：没有（日志里没有带链值的行）")
                          : QStringLiteral("日志链头：%1（第 %2 行，%3）")
                                .arg(v.head)
                                .arg(v.headLine)
                                .arg(v.headEvent));
    if (!v.comparedHead.isEmpty() && v.comparedHeadLine > 0) {
        line(QStringLiteral("比对的链值 %1：在第 %2 行。").arg(v.comparedHead).arg(v.comparedHeadLine));
        if (v.afterComparedHead.isEmpty())
            line(QStringLiteral("  在它之后，日志里没有再记中奖、作废或新的抽奖。"));
        else
            line(QStringLiteral("  在它之后，日志里还记了（拍照之后发生的，请当场核实）："));
        for (const QString &after : v.afterComparedHead)
            line(QStringLiteral("    ") + after);
    }

    if (!v.notes.isEmpty()) {
        line(QString());
        line(QStringLiteral("说明："));
        const qsizetype shown = qMin<qsizetype>(v.notes.size(), 20);
        for (qsizetype i = 0; i < shown; ++i)
            line(QStringLiteral("  ") + v.notes[i]);
        if (v.notes.size() > shown)
            line(QStringLiteral("  ……还有 %1 条").arg(v.notes.size() - shown));
    }
    if (!v.faults.isEmpty()) {
        line(QString());
        line(QStringLiteral("问题（按行号）："));
        const qsizetype shown = qMin<qsizetype>(v.faults.size(), 50);
        for (qsizetype i = 0; i < shown; ++i)
            line(QStringLiteral("  ") + v.faults[i].text);
        if (v.faults.size() > shown)
            line(QStringLiteral("  ……还有 %1 个问题").arg(v.faults.size() - shown));
    }
    line(QString());
    switch (v.exitStatus()) {
    case 0:
        line(QStringLiteral("结论：通过（VERIFIED）。每一行完整，链环环相扣，每次抽奖都按名单重演无误。"));
        break;
    case 2:
        line(QStringLiteral("结论：日志完整、重演无误，但有 %1 名中奖者是手动输入的，不是从名单中抽出的"
                            "（VERIFIED, WITH TYPED WINNERS）。")
                 .arg(v.typedWinners));
        break;
    default: {
        const VerifyFault &first = v.faults.first();
        line(QStringLiteral("结论：不通过（FAILED）。%1")
                 .arg(first.line > 0 ? QStringLiteral("第一个问题在第 %1 行。").arg(first.line)
                                     : QString()));
        break;
    }
    }
    return text;
}
