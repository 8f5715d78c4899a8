#include "journal.h"

#include "atomicwrite.h"
#include "fileaccess.h"
#include "journalline.h"
#include "journalreader.h"
#include "textcodec.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Waits until the bytes are on the disk, not just in the system's cache. The system's
// reason is kept: Qt knows nothing of a failed sync and would say "Unknown error".
bool syncToDisk(QFile &file, QString *reason)
{
    errno = 0;
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    if (!synced && reason)
        *reason = qt_error_string(errno);
    return synced;
}

QString writeReason(const QFile &file)
{
    const QString reason = file.errorString();
    if (file.error() == QFileDevice::NoError || reason.isEmpty() ||
        reason == QLatin1String("Unknown error"))
        return errno != 0 ? qt_error_string(errno) : QStringLiteral("只写入了部分内容");
    return reason;
}

// An editor's "Unicode" save turns the journal into UTF-16, where lines of ours cannot
// follow. The file as the editor left it is kept beside it under a name that says what it
// is (named with the system's separators, as the operator is shown it), and the journal
// goes on in GB18030 with the same text.
FileResult convertFromUtf16(const QString &path, QString *keptAside)
{
    FileResult read;
    const QByteArray bytes = readFileBytes(path, read);
    if (!read.ok())
        return read;
    const QFileInfo info(path);
    const QString kept = QDir::toNativeSeparators(info.dir().filePath(
        info.completeBaseName() +
        QStringLiteral("（编辑器另存的原件，%1）.")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))) +
        info.suffix()));
    const FileResult copied = writeFileAtomically(kept, bytes);
    if (!copied.ok())
        return copied;
    if (keptAside)
        *keptAside = kept;
    return writeFileAtomically(path, encodeText(decodeText(bytes)));
}

// Qt names an open file with '/' everywhere; the operator is shown the path as the
// system writes it.
FileResult openForAppend(QFile &file, QString *keptAside)
{
    const QString path = QDir::toNativeSeparators(file.fileName());
    const auto open = [&file] {
        return file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered);
    };
    if (!open())
        return {writeError(path, file.errorString())};
    if (file.size() >= 2 && file.seek(0) && startsAsUtf16(file.read(2))) {
        file.close();
        if (const FileResult converted = convertFromUtf16(path, keptAside); !converted.ok())
            return converted;
        if (!open())
            return {writeError(path, file.errorString())};
    }
    return {};
}

QString escapeLineBreaks(QString field)
{
    field.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    field.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return field;
}

} // namespace

JournalRecord journalRecordNow(const QStringList &fields)
{
    JournalRecord record{
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), {}};
    for (const QString &field : fields)
        record.fields << escapeLineBreaks(field);
    return record;
}

FileResult Journal::appendAll(const QList<QStringList> &lines)
{
    QList<JournalRecord> records;
    for (const QStringList &fields : lines)
        records << journalRecordNow(fields);
    return appendRecords(records);
}

FileResult Journal::appendRecords(const QList<JournalRecord> &records)
{
    PendingWrite write;
    write.records = records;
    for (const JournalRecord &record : records)
        write.bodies.append(journalLineBody(record.stamp, record.fields));
    pending_.append(write);
    pendingLines_ += records.size();
    return catchUp();
}

FileResult Journal::catchUp()
{
    if (pending_.isEmpty())
        return {};
    QFile file(path_);
    if (const FileResult opened = openForAppend(file, nullptr); !opened.ok())
        return opened;
    const qint64 size = file.size();
    // Our own last write still ends the file: the chain goes on from its last line.
    // Otherwise (the first write of a run, or after a failed one) the newest whole line on
    // the disk says where it stands.
    QByteArray chain = head_.toLatin1();
    if (size != knownSize_)
        chain = chainHeadOf(size, [&file](qint64 offset, qint64 length) {
            return file.seek(offset) ? file.read(length) : QByteArray();
        });
    // Whatever an unfinished write left at the end stays a line of its own, never the
    // start of ours. Unless it is a chained line that lacks only its CR LF (which the resume
    // counts), a tab ends it first: a line of an earlier version that lacked only its CR LF
    // counted for nothing when it was read at this start, and counts for nothing after.
    QByteArray bytes;
    if (size > 0 && (!file.seek(size - 2) || file.read(2) != "\r\n")) {
        const bool chainedLine = endsInChainedLine(size, [&file](qint64 offset, qint64 length) {
            return file.seek(offset) ? file.read(length) : QByteArray();
        });
        bytes = chainedLine ? "\r\n" : "\t\r\n";
    }
    const qsizetype separator = bytes.size();
    QList<qsizetype> writeSizes;
    QList<WrittenJournalLine> lines;
    for (const PendingWrite &write : std::as_const(pending_)) {
        const qsizetype before = bytes.size();
        for (qsizetype i = 0; i < write.bodies.size(); ++i) {
            chain = journalChainValue(chain, write.bodies[i]);
            bytes += chainedJournalLine(write.bodies[i], chain);
            // The body ends in the line's check.
            lines.append({write.records[i], QString::fromLatin1(write.bodies[i].right(8)),
                          QString::fromLatin1(chain)});
        }
        writeSizes.append(bytes.size() - before);
    }
    // Windows appends where the file position stands.
    file.seek(size);

    errno = 0;
    const qint64 written = file.write(bytes);
    QString reason;
    if (written != bytes.size())
        reason = writeReason(file);
    const bool synced = written > 0 && syncToDisk(file, reason.isEmpty() ? &reason : nullptr);
    if (reason.isEmpty() && synced) {
        pending_.clear();
        pendingLines_ = 0;
        knownSize_ = size + bytes.size();
        if (!lines.isEmpty())
            head_ = lines.last().chain;
        written_ += lines;
        return {};
    }
    // The writes the disk took whole are done. One it cut short is written again whole,
    // on a line of its own, so the lines of one write still count all or none; where the
    // chain stands then is read back from the disk.
    knownSize_ = -1;
    qint64 done = synced ? written - separator : 0;
    qsizetype doneLines = 0;
    for (qsizetype w = 0; !pending_.isEmpty() && writeSizes[w] <= done; ++w) {
        done -= writeSizes[w];
        const qsizetype count = pending_.takeFirst().records.size();
        pendingLines_ -= count;
        doneLines += count;
    }
    if (doneLines > 0) {
        written_ += lines.first(doneLines);
        head_ = written_.last().chain;
    }
    return {writeError(path_, reason)};
}

FileResult Journal::prepare(QString *keptAside)
{
    QFile file(path_);
    return openForAppend(file, keptAside);
}

bool startsAsUtf16(QByteArrayView start)
{
    return start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF");
}

QString escapeJournalField(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return escapeLineBreaks(escaped);
}

QString unescapeJournalField(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size()) {
            ++i;
            switch (text[i].unicode()) {
            case u't':
                plain += QLatin1Char('\t');
                break;
            case u'r':
                plain += QLatin1Char('\r');
                break;
            case u'n':
                plain += QLatin1Char('\n');
                break;
            default:
                plain += text[i];
            }
        } else {
            plain += text[i];
        }
    }
    return plain;
}
