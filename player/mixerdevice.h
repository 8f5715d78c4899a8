#pragma once

#include <QIODevice>

class SoundMixer;

// The mixer as the audio sink pulls it: an endless stream of 16-bit stereo frames.
class MixerDevice : public QIODevice {
    Q_OBJECT
public:
    explicit MixerDevice(SoundMixer &mixer, QObject *parent = nullptr);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    SoundMixer &mixer_;
};
