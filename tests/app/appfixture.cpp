#include "appfixture.h"

#include "form1.h"
#include "textcodec.h"

#include <QDir>
#include <QFile>

void AppFixture::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the test file %s", qPrintable(file.fileName()));
}

void AppFixture::writeSettings(const QString &title, const QStringList &quotas) const
{
    const QStringList lines = QStringList{title} + quotas;
    writeFile(QStringLiteral("bt.txt"),
              encodeText(lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n")));
}

void AppFixture::writeCandidates(const QStringList &names) const
{
    writeFile(QStringLiteral("cjk.txt"), encodeText(names.join(QLatin1String("\r\n"))));
}

QByteArray AppFixture::readFile(const QString &name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString AppFixture::programDirectory() const
{
    return QDir::toNativeSeparators(directory.path());
}

QString AppFixture::path(const QString &name) const
{
    return QDir::toNativeSeparators(directory.filePath(name));
}

std::unique_ptr<Form1> AppFixture::openMainWindow()
{
    auto window = std::make_unique<Form1>(notifier, random, journalWriter, programDirectory());
    window->show();
    return window;
}
