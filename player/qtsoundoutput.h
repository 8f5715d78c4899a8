#pragma once

#include "soundoutput.h"

#include <QAudio>
#include <QAudioDevice>
#include <QElapsedTimer>

class MixerDevice;
class QAudioSink;
class QMediaDevices;

// The mixer through Qt's audio sink, which pulls it on the sound's thread.
class QtSoundOutput : public SoundOutput {
    Q_OBJECT
public:
    explicit QtSoundOutput(SoundMixer &mixer);
    ~QtSoundOutput() override;

    void open() override;
    void close() override;
    bool plays() const override;
    void watch() override;

private:
    void sinkStateChanged(QAudio::State state);

    SoundMixer &mixer_;
    QMediaDevices *devices_;
    QAudioDevice device_;
    QAudioSink *sink_ = nullptr;
    MixerDevice *stream_ = nullptr;
    // How far the device had played at the last watch, and since when it stands there.
    qint64 playedUs_ = -1;
    QElapsedTimer stalled_;
};
