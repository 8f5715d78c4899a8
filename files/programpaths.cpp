#include "programpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

std::optional<QString> programDirectory()
{
    // Qt answers an empty path for a folder whose name it cannot convert; the root folder
    // it would then stand for is never the program's own.
    const QString directory = QCoreApplication::applicationDirPath();
    if (directory.isEmpty() || !QDir::isAbsolutePath(directory) || !QFileInfo(directory).isDir())
        return std::nullopt;
    return QDir::toNativeSeparators(directory);
}

QString noProgramDirectoryText(const QString &shownPath)
{
    return QStringLiteral("无法确定抽奖程序所在的文件夹（%1）：文件夹的名字含有系统无法转换的"
                          "字符，或者路径太长。程序只在自己的文件夹里读写文件，所以这次什么也"
                          "没有读写就退出了。请把程序的文件夹移到一个名字普通、路径较短的地方"
                          "（例如桌面）再启动。")
        .arg(shownPath);
}

QChar nativeSeparator()
{
    return QDir::separator();
}

QString readerPath(const QString &directory, const QString &fileName, QChar separator)
{
    if (directory.endsWith(separator))
        return directory + fileName;
    return directory + separator + fileName;
}

QString writerPath(const QString &directory, const QString &fileName, QChar separator)
{
    return directory + separator + fileName;
}
