#pragma once

#include "soundcues.h"

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
    void start(const QString &directory);
    void apply(const SoundCue &cue);

signals:
    void problem(const QString &text);
    // Whether a sound device takes the program's sound; the draw goes on either way.
    void deviceAvailable(bool available);

private:
    QThread *thread_;
    AudioWorker *worker_ = nullptr;
};
