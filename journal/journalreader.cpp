#include "journalreader.h"

#include "fileaccess.h"
#include "journal.h"
#include "journalfields.h"
#include "journalline.h"
#include "textcodec.h"
#include "winnervoid.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace {

using ReadAt = JournalReadAt;

// Hands out a journal's lines from the last to the first, without their CR LF. The bytes
// after the last CR LF, if any, come first: a line whose end never reached the disk.
class LinesFromTheEnd {
public:
    LinesFromTheEnd(qint64 size, ReadAt readAt) : unread_(size), readAt_(std::move(readAt)) {}

    std::optional<QByteArray> next()
    {
        if (done_)
            return std::nullopt;
        for (;;) {
            const qsizetype end = pending_.lastIndexOf("\r\n");
            if (end >= 0) {
                QByteArray line = pending_.sliced(end + 2);
                pending_.truncate(end);
                return line;
            }
            if (unread_ == 0) {
                done_ = true;
                if (pending_.startsWith("\xEF\xBB\xBF")) // an editor's UTF-8 byte-order mark
                    pending_.remove(0, 3);
                return pending_;
            }
            // A block grows while no line end turns up, so one long line costs linear time.
            const qint64 size = qMin(unread_, block_);
            unread_ -= size;
            pending_.prepend(readAt_(unread_, size));
            if (pending_.lastIndexOf("\r\n") < 0)
                block_ *= 2;
        }
    }

private:
    qint64 unread_;
    ReadAt readAt_;
    qint64 block_ = 64 * 1024;
    QByteArray pending_;
    bool done_ = false;
};

bool isEvent(const QStringList &line, const QString &event)
{
    return line.size() >= 2 && line[1] == event;
}

QString fieldValue(const QStringList &line, const QString &key)
{
    for (const QString &field : line)
        if (field.startsWith(key))
            return field.mid(key.size());
    return {};
}

// A line of a run as the reader keeps it: its timestamp and fields (none for a line left
// out, torn or garbled) and its chain value, if it carries one.
struct RunLine {
    QStringList fields;
    QByteArray chain;
};

// `line` is a whole line: its timestamp, then its fields.
std::optional<JournalWinner> winnerOf(const RunLine &read)
{
    const QStringList &line = read.fields;
    if (!isEvent(line, JournalEvent::Winner) || line.size() < 4)
        return std::nullopt;
    const QStringList fields = line.mid(1);
    return JournalWinner{line[2],
                         unescapeJournalField(line[3]),
                         line.indexOf(TypedField, 4) > 0,
                         QString::fromLatin1(journalLineCheck(line[0], fields)),
                         {line[0], fields},
                         QString::fromLatin1(read.chain.left(ChainCodeDigits)),
                         pressPlaceOf(line.value(6)).position};
}

// The draw as far as it has been read, with its winners found by their lines' checks.
struct DrawBeingRead {
    InterruptedDraw draw;
    QHash<QString, qsizetype> placeOfLine;
    QSet<qsizetype> voidedPlaces;
    QSet<QString> lostLinesVoided;

    // `newerCopy`: a line written again after a failed write names the winner by its
    // chain from then on; a resume's copy keeps the code the winner was drawn with.
    void addWinner(const JournalWinner &winner, bool newerCopy = true)
    {
        // The same line twice is one winner whose write was repeated after a failure.
        if (const qsizetype place = placeOfLine.value(winner.check); place > 0) {
            if (newerCopy && !winner.code.isEmpty())
                draw.winners[place - 1].code = winner.code;
            return;
        }
        draw.winners.append(winner);
        placeOfLine.insert(winner.check, draw.winners.size());
    }

    // A void line counts when it names a winner of the draw, as that winner's line stood,
    // not voided before. One that names its winner's line by its check counts too when
    // that line is lost: the place stays open and the name out of the pool.
    bool addVoid(const QStringList &line)
    {
        if (!isEvent(line, JournalEvent::Void) || line.size() < 5)
            return false;
        JournalVoid voided{line[2], unescapeJournalField(line[3]), 0, {}, {line[0], line.mid(1)}};
        if (line[4].startsWith(VoidWinnerLineKey)) {
            voided.winnerLine = line[4].mid(VoidWinnerLineKey.size());
            voided.place = placeOfLine.value(voided.winnerLine);
            if (voided.place == 0) {
                if (lostLinesVoided.contains(voided.winnerLine))
                    return false;
                lostLinesVoided.insert(voided.winnerLine);
                draw.voids.append(voided);
                return true;
            }
        } else if (line[4].startsWith(VoidPlaceKey)) {
            bool ok = false;
            voided.place = line[4].mid(VoidPlaceKey.size()).toLongLong(&ok);
            if (!ok || voided.place < 1 || voided.place > draw.winners.size())
                return false;
        } else {
            return false;
        }
        const JournalWinner &winner = draw.winners[voided.place - 1];
        if (winner.logLabel != voided.logLabel || winner.name != voided.name ||
            voidedPlaces.contains(voided.place))
            return false;
        voidedPlaces.insert(voided.place);
        draw.voids.append(voided);
        return true;
    }
};

struct Run {
    bool endedCleanly = false;
    bool resumeUnfinished = false;
    InterruptedDraw draw;
};

// One run's lines, oldest first, its start line first; an empty one stands for a line
// left out, torn or garbled.
Run evaluate(const std::vector<RunLine> &lines)
{
    Run run;
    DrawBeingRead draw;
    const bool resuming = lines.front().fields.contains(ResumingField);
    bool resumed = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const QStringList &line = lines[i].fields;
        if (line.isEmpty()) {
            ++draw.draw.skippedLines;
        } else if (isEvent(line, JournalEvent::CleanEnd)) {
            run.endedCleanly = true;
        } else if (isEvent(line, JournalEvent::DrawStart) || isEvent(line, JournalEvent::Reset)) {
            draw = {};
            draw.draw.listSha256 = fieldValue(line, QStringLiteral("SHA-256="));
        } else if (isEvent(line, JournalEvent::Resumed)) {
            // The resumed winners, then their voids, follow in the same write; only all of
            // them count. A write the disk cut short is followed by the same write whole.
            const qsizetype count = fieldValue(line, QStringLiteral("人数=")).toLongLong();
            const qsizetype voids = fieldValue(line, ResumedVoidsKey).toLongLong();
            const QStringList codes = resumedCodes(line);
            DrawBeingRead attempt = draw;
            std::size_t next = i + 1;
            qsizetype found = 0;
            for (; found < count && next < lines.size(); ++found, ++next) {
                std::optional<JournalWinner> winner = winnerOf(lines[next]);
                if (!winner)
                    break;
                if (found < codes.size() && !codes[found].isEmpty())
                    winner->code = codes[found];
                attempt.addWinner(*winner, false);
            }
            qsizetype voided = 0;
            while (found == count && voided < voids && next < lines.size() &&
                   attempt.addVoid(lines[next].fields)) {
                ++voided;
                ++next;
            }
            if (found == count && voided == voids) {
                draw = std::move(attempt);
                resumed = true;
            }
            i = next - 1;
        } else if (const auto winner = winnerOf(lines[i])) {
            draw.addWinner(*winner);
        } else if (isEvent(line, JournalEvent::Void) && !draw.addVoid(line)) {
            ++draw.draw.skippedLines; // whole, but it names no winner of this draw
        }
    }
    run.draw = std::move(draw.draw);
    run.resumeUnfinished = resuming && !resumed;
    return run;
}

// A line as the reader takes it. The bytes after the last CR LF are a line whose end never
// reached the disk: an unchained one counts for nothing; a chained one lacks nothing but
// its CR LF, and the next write makes it a whole line (its chain runs through it).
RunLine readRunLine(QByteArrayView bytes, bool isTail)
{
    std::optional<JournalLine> line = readJournalLine(bytes);
    if (!line || (isTail && line->chain.isEmpty()))
        return {};
    return {std::move(line->fields), std::move(line->chain)};
}

// In a run of this version every line carries a chain value: a whole line without one
// after its first chained line is a line cut short just before its chain value, and counts
// as torn. (Lines of an earlier version before them keep counting.)
void leaveOutUnchained(std::vector<RunLine> &run)
{
    const auto chained = std::find_if(run.begin(), run.end(),
                                      [](const RunLine &line) { return !line.chain.isEmpty(); });
    for (auto line = chained; line != run.end(); ++line)
        if (line->chain.isEmpty())
            line->fields.clear();
}

qsizetype tornLines(const std::vector<RunLine> &run)
{
    return std::count_if(run.begin(), run.end(),
                         [](const RunLine &line) { return line.fields.isEmpty(); });
}

InterruptedDraw find(qint64 size, ReadAt readAt)
{
    LinesFromTheEnd lines(size, std::move(readAt));
    int skipped = 0;          // in runs that set out to resume and did not finish
    std::vector<RunLine> run; // newest first until its start is found
    bool tail = true;
    while (const std::optional<QByteArray> bytes = lines.next()) {
        const bool isTail = std::exchange(tail, false);
        if (bytes->isEmpty())
            continue;
        RunLine line = readRunLine(*bytes, isTail);
        const bool start = isEvent(line.fields, JournalEvent::ProgramStart);
        run.push_back(std::move(line));
        if (!start)
            continue;
        std::reverse(run.begin(), run.end());
        leaveOutUnchained(run);
        Run evaluated = evaluate(run);
        if (evaluated.resumeUnfinished) {
            // The draw it set out to resume is still the one to offer.
            skipped += int(tornLines(run));
            run.clear();
            continue;
        }
        if (evaluated.endedCleanly)
            return {};
        evaluated.draw.skippedLines += skipped;
        return evaluated.draw;
    }
    // Not one whole line: whatever the file holds, it is no journal of ours.
    if (qsizetype(run.size()) == tornLines(run))
        return {};
    // The journal's first run lost its start line: what is left of it is still its draw.
    run.push_back({{QString(), JournalEvent::ProgramStart}, {}});
    std::reverse(run.begin(), run.end());
    leaveOutUnchained(run);
    Run evaluated = evaluate(run);
    if (evaluated.endedCleanly)
        return {};
    evaluated.draw.skippedLines += skipped;
    return evaluated.draw;
}

} // namespace

QByteArray chainHeadOf(qint64 size, JournalReadAt readAt)
{
    LinesFromTheEnd lines(size, std::move(readAt));
    // Whole lines without a chain value seen since the newest line: in a run of an earlier
    // version every line is such a one; in a chained run they are lines cut short.
    bool unchainedSeen = false;
    bool tail = true;
    while (const std::optional<QByteArray> bytes = lines.next()) {
        const std::optional<JournalLine> line = readJournalLine(*bytes);
        // The bytes after the last CR LF count only as a chained line (journal.cpp).
        if (!line || (std::exchange(tail, false) && line->chain.isEmpty()))
            continue;
        if (!line->chain.isEmpty())
            return line->chain;
        if (isEvent(line->fields, JournalEvent::ProgramStart)) {
            // A run of an earlier version: the chain starts afresh after it. A start line
            // alone was cut short before its chain value.
            if (unchainedSeen)
                return {};
            continue;
        }
        unchainedSeen = true;
    }
    return {};
}

bool endsInChainedLine(qint64 size, JournalReadAt readAt)
{
    LinesFromTheEnd lines(size, std::move(readAt));
    const std::optional<QByteArray> tail = lines.next();
    if (!tail)
        return false;
    const std::optional<JournalLine> line = readJournalLine(*tail);
    return line && !line->chain.isEmpty();
}

QStringList resumedCodes(const QStringList &resumedLine)
{
    const QString codes = fieldValue(resumedLine, ResumedCodesKey);
    return codes.isEmpty() ? QStringList() : codes.split(QLatin1Char(','));
}

qsizetype InterruptedDraw::voidsWithoutWinnerLine() const
{
    return std::count_if(voids.begin(), voids.end(),
                         [](const JournalVoid &voided) { return voided.place == 0; });
}

InterruptedDraw readInterruptedDraw(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        InterruptedDraw unread;
        unread.readError = readError(path, file.errorString());
        return unread;
    }
    if (QByteArray start = file.read(2); startsAsUtf16(start)) {
        // An editor's "Unicode" save holds the same text: its GB18030 bytes carry the checks.
        InterruptedDraw draw = findInterruptedDraw(encodeText(decodeText(start + file.readAll())));
        draw.savedAsUtf16 = true;
        return draw;
    }
    return find(file.size(), [&file](qint64 offset, qint64 size) {
        return file.seek(offset) ? file.read(size) : QByteArray();
    });
}

InterruptedDraw findInterruptedDraw(const QByteArray &journal)
{
    return find(journal.size(),
                [&journal](qint64 offset, qint64 size) { return journal.mid(offset, size); });
}
