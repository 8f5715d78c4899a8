#include "builtinsounds.h"
#include "wavfile.h"

#include <QFile>

// The resource lives in this static library; initialising it here spares every program
// that plays the sounds from doing so. Q_INIT_RESOURCE must stand outside a namespace.
static void initialiseSoundResource()
{
    Q_INIT_RESOURCE(sounds);
}

namespace {

SoundClip builtinSound(const QString &name, int rate)
{
    static const bool initialised = (initialiseSoundResource(), true);
    Q_UNUSED(initialised);
    QFile file(QStringLiteral(":/sounds/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Both sounds are a few seconds long; the cap only guards against a broken build.
    return readWav(file.readAll(), rate, qsizetype(rate) * 30, nullptr).value_or(SoundClip{});
}

} // namespace

SoundClip builtinRollMusic(int rate)
{
    return builtinSound(QStringLiteral("roll.wav"), rate);
}

SoundClip builtinFanfare(int rate)
{
    return builtinSound(QStringLiteral("fanfare.wav"), rate);
}
