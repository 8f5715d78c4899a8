#include "journal.h"

#include "fileaccess.h"
#include "textcodec.h"

#include <QDateTime>
#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Waits until the bytes are on the disk, not just in the system's cache.
bool syncToDisk(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

} // namespace

FileResult Journal::append(const QStringList &fields)
{
    const QString line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
        QLatin1Char('\t') + fields.join(QLatin1Char('\t')) + QLatin1String("\r\n");
    const QByteArray bytes = encodeText(line);
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return {writeError(path_, file.errorString())};
    if (file.write(bytes) != bytes.size() || !syncToDisk(file))
        return {writeError(path_, file.errorString())};
    return {};
}

QString escapeJournalField(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return escaped;
}

QString unescapeJournalField(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size()) {
            ++i;
            plain += text[i] == QLatin1Char('t') ? QLatin1Char('\t') : text[i];
        } else {
            plain += text[i];
        }
    }
    return plain;
}

InterruptedDraw findInterruptedDraw(const QString &journalText)
{
    // Only the last run counts, and only the draw since its last start or reset.
    InterruptedDraw draw;
    for (const QString &line : splitLines(journalText)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 2)
            continue;
        const QString &event = fields[1];
        if (event == JournalEvent::ProgramStart || event == JournalEvent::CleanEnd) {
            draw = {};
        } else if (event == JournalEvent::DrawStart || event == JournalEvent::Reset) {
            draw = {};
            for (const QString &field : fields)
                if (field.startsWith(QLatin1String("SHA-256=")))
                    draw.listSha256 = field.mid(8);
        } else if (event == JournalEvent::Winner && fields.size() >= 4) {
            draw.winners.append({fields[2], unescapeJournalField(fields[3])});
        }
    }
    return draw;
}
