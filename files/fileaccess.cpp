#include "fileaccess.h"

#include <QFile>
#include <QFileInfo>

QString readError(const QString &path, const QString &reason)
{
    return QStringLiteral("无法读取文件 ") + path + QStringLiteral("：") + reason;
}

QString writeError(const QString &path, const QString &reason)
{
    return QStringLiteral("无法保存文件 ") + path + QStringLiteral("：") + reason;
}

QString folderReason()
{
    return QStringLiteral("这是一个文件夹，不是文件");
}

QByteArray readFileBytes(const QString &path, FileResult &result)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        result.error = readError(path, folderReason());
        return {};
    }
    if (!info.exists()) {
        result.error = readError(path, QStringLiteral("文件不存在"));
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = readError(path, file.errorString());
        return {};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = readError(path, file.errorString());
        return {};
    }
    return bytes;
}
