#include "musicfiles.h"

#include <QDir>
#include <QFileInfo>

namespace {

// What the platforms' media backends read, most common first.
const QStringList KnownSuffixes = {
    QStringLiteral("wav"), QStringLiteral("mp3"), QStringLiteral("ogg"), QStringLiteral("flac"),
    QStringLiteral("m4a"), QStringLiteral("aac"), QStringLiteral("wma"), QStringLiteral("opus")};

int rank(const QFileInfo &file)
{
    const qsizetype known = KnownSuffixes.indexOf(file.suffix().toLower());
    return known < 0 ? int(KnownSuffixes.size()) : int(known);
}

} // namespace

QString musicBaseName(MusicRole role)
{
    switch (role) {
    case MusicRole::Roll:
        return QStringLiteral("抽奖音乐");
    case MusicRole::Fanfare:
        return QStringLiteral("中奖音乐");
    case MusicRole::Background:
        return QStringLiteral("背景音乐");
    }
    return {};
}

QString findMusicFile(const QString &directory, MusicRole role)
{
    const QString base = musicBaseName(role);
    // completeBaseName: "抽奖音乐.wav" has the base name, "抽奖音乐.old.mp3" does not.
    const QFileInfoList files = QDir(directory).entryInfoList(
        {base + QStringLiteral(".*")}, QDir::Files | QDir::Readable, QDir::Name);
    const QFileInfo *best = nullptr;
    for (const QFileInfo &file : files) {
        if (file.completeBaseName() != base)
            continue;
        if (!best || rank(file) < rank(*best))
            best = &file;
    }
    return best ? best->filePath() : QString();
}
