#include "journal.h"

#include "atomicwrite.h"
#include "fileaccess.h"
#include "journalline.h"
#include "textcodec.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

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
    if (!synced)
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

bool isUtf16(const QByteArray &start)
{
    return start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF");
}

// An editor's "Unicode" save turns the journal into UTF-16, where lines of ours cannot
// follow. The file as the editor left it is kept beside it under a name that says what it
// is, and the journal goes on in GB18030 with the same text.
FileResult convertFromUtf16(const QString &path)
{
    FileResult read;
    const QByteArray bytes = readFileBytes(path, read);
    if (!read.ok())
        return read;
    const QFileInfo info(path);
    const QString kept = info.dir().filePath(
        info.completeBaseName() +
        QStringLiteral("（编辑器另存的原件，%1）.")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))) +
        info.suffix());
    const FileResult copied = writeFileAtomically(kept, bytes);
    if (!copied.ok())
        return copied;
    return writeFileAtomically(path, encodeText(decodeText(bytes)));
}

QString escapeLineBreaks(QString field)
{
    field.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    field.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return field;
}

} // namespace

FileResult Journal::appendAll(const QList<QStringList> &lines)
{
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QByteArray bytes;
    for (const QStringList &fields : lines) {
        QStringList oneLine;
        for (const QString &field : fields)
            oneLine << escapeLineBreaks(field);
        bytes += journalLineBytes(stamp, oneLine);
    }

    QFile file(path_);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return {writeError(path_, file.errorString())};
    if (file.size() >= 2 && file.seek(0) && isUtf16(file.read(2))) {
        file.close();
        if (const FileResult converted = convertFromUtf16(path_); !converted.ok())
            return converted;
        if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
            return {writeError(path_, file.errorString())};
    }
    // Whatever an unfinished write left at the end stays a line of its own, never the
    // start of ours.
    if (file.size() > 0 && (!file.seek(file.size() - 2) || file.read(2) != "\r\n"))
        bytes.prepend("\r\n");

    errno = 0;
    if (file.write(bytes) != bytes.size())
        return {writeError(path_, writeReason(file))};
    QString reason;
    if (!syncToDisk(file, &reason))
        return {writeError(path_, reason)};
    return {};
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
