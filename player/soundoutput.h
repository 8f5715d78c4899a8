#pragma once

#include <QObject>

#include <memory>

class SoundMixer;

// Where the mixer's sound goes: the platform's default audio device. It lives on the sound's
// thread and never makes it wait for the sound server; whether a device takes the sound is
// told by plays() and playsChanged().
class SoundOutput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Plays the mixer on the default device, opened afresh.
    virtual void open() = 0;
    virtual void close() = 0;
    // Open, or being opened, on a device that has not failed.
    virtual bool plays() const = 0;
    // Called every few dozen milliseconds while the mixer sounds.
    virtual void watch() {}

signals:
    void playsChanged();
    // The device stopped taking the sound (unplugged, the server gone): open() again later.
    void failed();
};

// The output of this platform, defined with it: PulseAudio on Linux, Qt's audio sink on
// Windows.
std::unique_ptr<SoundOutput> makeSoundOutput(SoundMixer &mixer);
