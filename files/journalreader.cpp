#include "journalreader.h"

#include "fileaccess.h"
#include "journal.h"
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

// Reads `size` bytes at `offset`; the journal's bytes come from a file or from memory.
using ReadAt = std::function<QByteArray(qint64 offset, qint64 size)>;

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

// `line` is a whole line: its timestamp, then its fields.
std::optional<JournalWinner> winnerOf(const QStringList &line)
{
    if (!isEvent(line, JournalEvent::Winner) || line.size() < 4)
        return std::nullopt;
    const QStringList fields = line.mid(1);
    return JournalWinner{line[2],
                         unescapeJournalField(line[3]),
                         line.indexOf(TypedField, 4) > 0,
                         QString::fromLatin1(journalLineCheck(line[0], fields)),
                         {line[0], fields}};
}

// The draw as far as it has been read, with its winners found by their lines' checks.
struct DrawBeingRead {
    InterruptedDraw draw;
    QHash<QString, qsizetype> placeOfLine;
    QSet<qsizetype> voidedPlaces;
    QSet<QString> lostLinesVoided;

    void addWinner(const JournalWinner &winner)
    {
        // The same line twice is one winner whose write was repeated after a failure.
        if (placeOfLine.contains(winner.check))
            return;
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
Run evaluate(const std::vector<QStringList> &lines)
{
    Run run;
    DrawBeingRead draw;
    const bool resuming = lines.front().contains(ResumingField);
    bool resumed = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const QStringList &line = lines[i];
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
            DrawBeingRead attempt = draw;
            std::size_t next = i + 1;
            qsizetype found = 0;
            for (; found < count && next < lines.size(); ++found, ++next) {
                const std::optional<JournalWinner> winner = winnerOf(lines[next]);
                if (!winner)
                    break;
                attempt.addWinner(*winner);
            }
            qsizetype voided = 0;
            while (found == count && voided < voids && next < lines.size() &&
                   attempt.addVoid(lines[next])) {
                ++voided;
                ++next;
            }
            if (found == count && voided == voids) {
                draw = std::move(attempt);
                resumed = true;
            }
            i = next - 1;
        } else if (const auto winner = winnerOf(line)) {
            draw.addWinner(*winner);
        } else if (isEvent(line, JournalEvent::Void) && !draw.addVoid(line)) {
            ++draw.draw.skippedLines; // whole, but it names no winner of this draw
        }
    }
    run.draw = std::move(draw.draw);
    run.resumeUnfinished = resuming && !resumed;
    return run;
}

InterruptedDraw find(qint64 size, ReadAt readAt)
{
    LinesFromTheEnd lines(size, std::move(readAt));
    int skipped = 0;              // in runs that set out to resume and did not finish
    std::vector<QStringList> run; // newest first until its start is found
    // The bytes after the last CR LF never are a whole line.
    bool tail = true;
    while (const std::optional<QByteArray> bytes = lines.next()) {
        const bool isTail = std::exchange(tail, false);
        if (bytes->isEmpty())
            continue;
        std::optional<QStringList> fields = isTail ? std::nullopt : parseJournalLine(*bytes);
        if (!fields) {
            run.emplace_back();
            continue;
        }
        const bool start = isEvent(*fields, JournalEvent::ProgramStart);
        run.push_back(std::move(*fields));
        if (!start)
            continue;
        std::reverse(run.begin(), run.end());
        Run evaluated = evaluate(run);
        if (evaluated.resumeUnfinished) {
            // The draw it set out to resume is still the one to offer.
            skipped += int(std::count(run.begin(), run.end(), QStringList()));
            run.clear();
            continue;
        }
        if (evaluated.endedCleanly)
            return {};
        evaluated.draw.skippedLines += skipped;
        return evaluated.draw;
    }
    // Not one whole line: whatever the file holds, it is no journal of ours.
    if (std::all_of(run.begin(), run.end(), [](const QStringList &line) { return line.isEmpty(); }))
        return {};
    // The journal's first run lost its start line: what is left of it is still its draw.
    run.push_back({QString(), JournalEvent::ProgramStart});
    std::reverse(run.begin(), run.end());
    Run evaluated = evaluate(run);
    if (evaluated.endedCleanly)
        return {};
    evaluated.draw.skippedLines += skipped;
    return evaluated.draw;
}

} // namespace

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
