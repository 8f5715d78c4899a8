#include "journalreader.h"

#include "journal.h"
#include "journalline.h"
#include "winnervoid.h"

#include <QFile>

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

bool isEvent(const QStringList &fields, const QString &event)
{
    return fields.size() >= 2 && fields[1] == event;
}

QString fieldValue(const QStringList &fields, const QString &key)
{
    for (const QString &field : fields)
        if (field.startsWith(key))
            return field.mid(key.size());
    return {};
}

std::optional<JournalWinner> winnerOf(const QStringList &fields)
{
    if (!isEvent(fields, JournalEvent::Winner) || fields.size() < 4)
        return std::nullopt;
    return JournalWinner{fields[2], unescapeJournalField(fields[3]), fields.mid(1)};
}

// A void line counts when it names a winner of the draw, as that winner's line stood,
// not voided before.
bool addVoid(InterruptedDraw &draw, const QStringList &fields)
{
    if (!isEvent(fields, JournalEvent::Void) || fields.size() < 5 ||
        !fields[4].startsWith(VoidPlaceKey))
        return false;
    bool ok = false;
    const qsizetype place = fields[4].mid(VoidPlaceKey.size()).toLongLong(&ok);
    if (!ok || place < 1 || place > draw.winners.size())
        return false;
    const JournalWinner &winner = draw.winners[place - 1];
    const QString name = unescapeJournalField(fields[3]);
    if (winner.logLabel != fields[2] || winner.name != name ||
        std::any_of(draw.voids.begin(), draw.voids.end(),
                    [place](const JournalVoid &earlier) { return earlier.place == place; }))
        return false;
    draw.voids.append({fields[2], name, place, fields.mid(1)});
    return true;
}

struct Run {
    bool endedCleanly = false;
    bool resumeUnfinished = false;
    InterruptedDraw draw;
};

// One run's lines, oldest first, its start line first.
Run evaluate(const std::vector<QStringList> &lines)
{
    Run run;
    const bool resuming = lines.front().contains(ResumingField);
    bool resumed = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const QStringList &fields = lines[i];
        if (isEvent(fields, JournalEvent::CleanEnd)) {
            run.endedCleanly = true;
        } else if (isEvent(fields, JournalEvent::DrawStart) ||
                   isEvent(fields, JournalEvent::Reset)) {
            run.draw = {};
            run.draw.listSha256 = fieldValue(fields, QStringLiteral("SHA-256="));
        } else if (isEvent(fields, JournalEvent::Resumed)) {
            // The resumed winners, then their voids, follow in the same write; only all of
            // them count.
            const qsizetype count = fieldValue(fields, QStringLiteral("人数=")).toLongLong();
            const qsizetype voids = fieldValue(fields, ResumedVoidsKey).toLongLong();
            qsizetype found = 0;
            for (; found < count && i + 1 < lines.size(); ++found, ++i) {
                const std::optional<JournalWinner> winner = winnerOf(lines[i + 1]);
                if (!winner)
                    break;
                run.draw.winners.append(*winner);
            }
            qsizetype voided = 0;
            while (found == count && voided < voids && i + 1 < lines.size() &&
                   addVoid(run.draw, lines[i + 1])) {
                ++voided;
                ++i;
            }
            resumed = found == count && voided == voids;
        } else if (const auto winner = winnerOf(fields)) {
            run.draw.winners.append(*winner);
        } else if (isEvent(fields, JournalEvent::Void) && !addVoid(run.draw, fields)) {
            ++run.draw.skippedLines; // whole, but it names no winner of this draw
        }
    }
    run.resumeUnfinished = resuming && !resumed;
    return run;
}

InterruptedDraw find(qint64 size, ReadAt readAt)
{
    LinesFromTheEnd lines(size, std::move(readAt));
    int skipped = 0;
    std::vector<QStringList> run; // newest first until its start is found
    // The bytes after the last CR LF never are a whole line.
    bool tail = true;
    while (const std::optional<QByteArray> bytes = lines.next()) {
        const bool isTail = std::exchange(tail, false);
        if (bytes->isEmpty())
            continue;
        if (isTail) {
            ++skipped;
            continue;
        }
        std::optional<QStringList> fields = parseJournalLine(*bytes);
        if (!fields) {
            ++skipped;
            continue;
        }
        const bool start = isEvent(*fields, JournalEvent::ProgramStart);
        run.push_back(std::move(*fields));
        if (!start)
            continue;
        std::reverse(run.begin(), run.end());
        Run evaluated = evaluate(run);
        run.clear();
        if (evaluated.resumeUnfinished)
            continue; // the draw it set out to resume is still the one to offer
        if (evaluated.endedCleanly)
            evaluated.draw = {};
        evaluated.draw.skippedLines += skipped;
        return evaluated.draw;
    }
    InterruptedDraw none;
    none.skippedLines = skipped;
    return none;
}

} // namespace

InterruptedDraw readInterruptedDraw(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return find(file.size(), [&file](qint64 offset, qint64 size) {
        return file.seek(offset) ? file.read(size) : QByteArray();
    });
}

InterruptedDraw findInterruptedDraw(const QByteArray &journal)
{
    return find(journal.size(),
                [&journal](qint64 offset, qint64 size) { return journal.mid(offset, size); });
}
