#include "mediabackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>

bool mediaBackendPresent()
{
    // The backend Qt will load: the one named in QT_MEDIA_BACKEND, else any.
    const QString wanted = qEnvironmentVariable("QT_MEDIA_BACKEND");
    for (const QString &path : QCoreApplication::libraryPaths()) {
        const QDir folder(path + QStringLiteral("/multimedia"));
        for (const QString &name : folder.entryList(QDir::Files)) {
            const QJsonObject meta = QPluginLoader(folder.filePath(name)).metaData();
            if (meta.value(QStringLiteral("IID")).toString() !=
                QLatin1String("org.qt-project.Qt.QPlatformMediaPlugin"))
                continue;
            const QJsonArray keys = meta.value(QStringLiteral("MetaData"))
                                        .toObject()
                                        .value(QStringLiteral("Keys"))
                                        .toArray();
            if (wanted.isEmpty() || keys.contains(wanted))
                return true;
        }
    }
    return false;
}

QString missingBackendText()
{
    return QStringLiteral("程序文件夹里缺少播放它的组件 multimedia，请把程序文件夹完整复制过来");
}

QString openMusicFile(QFile &file)
{
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("无法打开：%1").arg(file.errorString());
    if (file.size() == 0)
        return QStringLiteral("文件是空的");
    return {};
}

QString undecodableText()
{
    return QStringLiteral("文件已损坏，或不是这台电脑能播放的格式");
}
