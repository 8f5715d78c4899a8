#include "mixerdevice.h"

#include "soundmixer.h"

namespace {

constexpr qint64 FrameBytes = 2 * sizeof(qint16);

} // namespace

MixerDevice::MixerDevice(SoundMixer &mixer, QObject *parent) : QIODevice(parent), mixer_(mixer) {}

qint64 MixerDevice::bytesAvailable() const
{
    // Always a second's worth: the stream never runs dry, silence is rendered too.
    return mixer_.sampleRate() * FrameBytes + QIODevice::bytesAvailable();
}

qint64 MixerDevice::readData(char *data, qint64 maxSize)
{
    const qint64 frames = maxSize / FrameBytes;
    mixer_.render(reinterpret_cast<qint16 *>(data), frames);
    return frames * FrameBytes;
}
