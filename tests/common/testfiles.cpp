#include "testfiles.h"

#include <QFile>
#include <QTextCodec>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

QByteArray gbk(const QString &text)
{
    return QTextCodec::codecForName("GBK")->fromUnicode(text);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool permissionsAreEnforced()
{
#ifdef Q_OS_UNIX
    return geteuid() != 0;
#else
    return false; // read-only flags on Windows folders do not stop new files
#endif
}
