#pragma once

#include "soundcues.h"

#include <QList>
#include <QObject>
#include <QThread>

class AudioWorker;

// The program's sound, as the windows see it: cues go to the sound's own thread and are
// never waited for. Problems (a music file that cannot be played) come back as texts for
// the operator.
class MusicPlayer : public QObject {
    Q_OBJECT
public:
    explicit MusicPlayer(QObject *parent = nullptr);
    ~MusicPlayer() override;

    // Opens the device and reads the music files of `directory`, on the sound's thread.
    // On Windows Qt's media devices are made here, on the caller's thread, and a first
    // look for the platform's media plugins takes this long. Cues applied before are kept
    // and played in order.
    void start(const QString &directory);
    void apply(const SoundCue &cue);

signals:
    void problem(const QString &text);
    // Whether a sound device takes the program's sound; the draw goes on either way.
    void deviceAvailable(bool available);

private:
    QThread *thread_;
    AudioWorker *worker_ = nullptr;
    bool started_ = false;
    QList<SoundCue> waiting_;
};
