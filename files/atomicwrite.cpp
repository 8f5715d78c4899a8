#include "atomicwrite.h"

#include "fileaccess.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

// A short write often leaves no error behind in QFile, only "Unknown error".
QString shortWriteReason(const QSaveFile &file)
{
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return QStringLiteral("只写入了部分内容");
}

} // namespace

FileResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (QFileInfo(path).isDir())
        return {writeError(path, folderReason())};

    QSaveFile file(path);
    // Never fall back to writing over the old file in place: that is what loses it.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return {writeError(path, file.errorString())};
    // QSaveFile takes neither a short write() nor a failed flush of its buffer as an
    // error: commit() would put the truncated file in place. Both are checked here.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = shortWriteReason(file);
        file.cancelWriting();
        return {writeError(path, reason)};
    }
    if (!file.commit())
        return {writeError(path, file.errorString())};
    return {};
}
