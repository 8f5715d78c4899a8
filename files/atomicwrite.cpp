#include "atomicwrite.h"

#include "fileaccess.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <cerrno>

namespace {

#ifdef Q_OS_WIN
// Virus scanners and search indexers open a freshly written file for a moment; the rename
// over the target is then refused (access denied, sharing violation) and works a little
// later. Qt does not say which system error refused it, so every refused rename is tried
// again: a lasting cause costs the operator half a second.
constexpr int RenameAttempts = 5;
#else
constexpr int RenameAttempts = 1;
#endif
constexpr unsigned long RenamePauseMs = 100;

// Qt keeps no reason when the system writes only part of the bytes: the file says
// "Unknown error" or nothing. Writing the rest once more makes the system refuse it
// outright, and that refusal names the cause (disk full, file too large).
QString shortWriteReason(QSaveFile &file, const QByteArray &bytes, qint64 written)
{
    if (written >= 0 && written < bytes.size())
        file.write(bytes.constData() + written, bytes.size() - written);
    file.flush();
    const QString reason = file.errorString();
    if (file.error() == QFileDevice::NoError || reason.isEmpty() ||
        reason == QLatin1String("Unknown error"))
        return QStringLiteral("只写入了部分内容");
    return reason;
}

// Qt says "Unknown error" where the system refused with a reason of its own (a name too
// long for the system, say); the system's reason is what the operator needs.
QString failureReason(const QSaveFile &file)
{
    const QString reason = file.errorString();
    if (errno != 0 && (reason.isEmpty() || reason == QLatin1String("Unknown error")))
        return qt_error_string(errno);
    return reason;
}

struct Attempt {
    FileResult result;
    bool renameRefused = false;
};

Attempt writeOnce(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Never fall back to writing over the old file in place: that is what loses it.
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return {{writeError(path, failureReason(file))}};
    // QSaveFile takes neither a short write() nor a failed flush of its buffer as an
    // error: commit() would put the truncated file in place. Both are checked here.
    const qint64 written = file.write(bytes);
    if (written != bytes.size() || !file.flush()) {
        const QString reason = shortWriteReason(file, bytes, written);
        file.cancelWriting();
        return {{writeError(path, reason)}};
    }
    errno = 0;
    if (!file.commit())
        return {{writeError(path, failureReason(file))}, file.error() == QFileDevice::RenameError};
    return {};
}

} // namespace

FileResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (QFileInfo(path).isDir())
        return {writeError(path, folderReason())};

    for (int attempt = 1;; ++attempt) {
        const Attempt result = writeOnce(path, bytes);
        if (!result.renameRefused || attempt >= RenameAttempts)
            return result.result;
        QThread::msleep(RenamePauseMs);
    }
}
