#include "qtsoundoutput.h"

#include "mixerdevice.h"
#include "soundmixer.h"

#include <QAudioSink>
#include <QMediaDevices>

namespace {

// What the device holds ahead of the mixer: small, so a key is heard within a tenth of a
// second, yet three of the 20 ms periods in which Qt's PulseAudio output pulls: with less,
// its first pull does not fill PulseAudio's pre-buffer and the stream never starts.
constexpr int BufferMs = 60;
// A device that takes nothing for this long while it should play has gone.
constexpr int StalledMs = 500;

} // namespace

QtSoundOutput::QtSoundOutput(SoundMixer &mixer) : mixer_(mixer), devices_(new QMediaDevices(this))
{
    // A device plugged in or out: play on whatever is the default now.
    connect(devices_, &QMediaDevices::audioOutputsChanged, this, [this] {
        if (sink_ && QMediaDevices::defaultAudioOutput() != device_)
            open();
    });
}

QtSoundOutput::~QtSoundOutput()
{
    if (sink_)
        sink_->stop();
}

void QtSoundOutput::open()
{
    close();
    device_ = QMediaDevices::defaultAudioOutput();
    if (device_.isNull()) {
        emit playsChanged(); // silent until a device comes
        return;
    }
    QAudioFormat format;
    format.setSampleRate(mixer_.sampleRate());
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    sink_ = new QAudioSink(device_, format, this);
    sink_->setBufferSize(format.bytesForDuration(BufferMs * 1000));
    connect(sink_, &QAudioSink::stateChanged, this, &QtSoundOutput::sinkStateChanged);
    if (!stream_) {
        stream_ = new MixerDevice(mixer_, this);
        stream_->open(QIODevice::ReadOnly);
    }
    sink_->start(stream_);
    playedUs_ = -1;
    stalled_.start();
    emit playsChanged();
}

void QtSoundOutput::close()
{
    if (!sink_)
        return;
    sink_->disconnect(this);
    sink_->stop();
    sink_->deleteLater();
    sink_ = nullptr;
}

bool QtSoundOutput::plays() const
{
    return sink_ && (sink_->state() == QAudio::ActiveState || sink_->state() == QAudio::IdleState);
}

void QtSoundOutput::watch()
{
    // A stream that the sound server dropped (its device unplugged) stays active in Qt's
    // PulseAudio output but takes nothing more: its time stands still.
    if (!sink_ || sink_->state() != QAudio::ActiveState)
        return;
    const qint64 played = sink_->processedUSecs();
    if (played != playedUs_) {
        playedUs_ = played;
        stalled_.start();
    } else if (stalled_.hasExpired(StalledMs)) {
        open();
    }
}

void QtSoundOutput::sinkStateChanged(QAudio::State state)
{
    emit playsChanged();
    // A device that failed (unplugged, taken by another program) is tried again later.
    if (state == QAudio::StoppedState && sink_ && sink_->error() != QAudio::NoError)
        emit failed();
}

std::unique_ptr<SoundOutput> makeSoundOutput(SoundMixer &mixer)
{
    return std::make_unique<QtSoundOutput>(mixer);
}
