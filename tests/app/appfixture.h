#pragma once

#include "form1.h"
#include "randomsource.h"
#include "recordingnotifier.h"
#include "scriptedrandom.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A program directory with bt.txt and cjk.txt, and a main window over it.
struct AppFixture {
    QTemporaryDir directory;
    RecordingNotifier notifier;
    ScriptedRandom random;
    Journal journal{directory.filePath(QStringLiteral("抽奖日志.txt"))};
    JournalWriter journalWriter{journal, notifier};

    void writeFile(const QString &name, const QByteArray &bytes) const;
    void writeSettings(const QString &title, const QStringList &quotas) const;
    void writeCandidates(const QStringList &names) const;
    QByteArray readFile(const QString &name) const;
    // The folder and its files as the program names them: with the system's separators.
    QString programDirectory() const;
    QString path(const QString &name) const;

    std::unique_ptr<Form1> openMainWindow();
};

// The button, line edit or other control of a window by its name.
template <typename T> T *control(QObject *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}
