#include "programpaths.h"

#include <QCoreApplication>
#include <QDir>

QString programDirectory()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
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
