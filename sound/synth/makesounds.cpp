// Writes the program's built-in sounds, roll.wav and fanfare.wav, into the folder given as
// the first argument. Run at build time; the library embeds what it writes.
#include "soundsynth.h"
#include "wavfile.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool write(const QString &path, const SoundClip &clip)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(wavBytes(clip)) < 0 ||
        !file.flush()) {
        std::fprintf(stderr, "makesounds: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makesounds <output folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    // Peaks at -3 dBFS leave room for the sum with the background music.
    synth::Track roll = synth::rollMusic();
    synth::Track fanfare = synth::fanfare();
    const bool written =
        write(folder.filePath(QStringLiteral("roll.wav")), synth::finish(roll, -3.0f)) &&
        write(folder.filePath(QStringLiteral("fanfare.wav")), synth::finish(fanfare, -3.0f));
    return written ? 0 : 1;
}
