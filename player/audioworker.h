#pragma once

#include "musicfiles.h"
#include "soundclip.h"
#include "soundcues.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class BackgroundMusic;
class QThread;
class QTimer;
class SoundMixer;
class SoundOutput;

// Everything that makes sound, on a thread of its own so that neither the draw waits for
// the sound nor the sound for a busy window: the mixer of roll music and fanfare, the audio
// device it plays into, the music files' decoding and the background music. No device, a
// device pulled out, a file that cannot be played: the draw goes on, silent or with the
// built-in sound, and a file is named once in a message.
class AudioWorker : public QObject {
    Q_OBJECT
public:
    AudioWorker();
    ~AudioWorker() override;

    // Called on the worker's thread (queued): the device, then the music of `directory`.
    // `mediaBackend`: whether Qt has a media backend to load (see mediaBackendPresent()).
    void start(const QString &directory, bool mediaBackend);
    void apply(const SoundCue &cue);

signals:
    void problem(const QString &text);
    // Whether a device takes the sound: sent at the start and whenever that changes.
    void deviceAvailable(bool available);

private:
    void loadMusic();
    void useClip(MusicRole role, SoundClip clip);
    void decode(MusicRole role, const QString &path);
    void openOutput();
    void rest();
    void wake();
    void watch();
    bool devicePlays() const;
    void reportDevice();

    QString directory_;
    bool mediaBackend_ = false;
    std::unique_ptr<SoundMixer> mixer_;
    std::unique_ptr<SoundOutput> output_; // plays mixer_, so it goes first
    BackgroundMusic *background_ = nullptr;
    QThread *decoding_ = nullptr; // the roll music's and the fanfare's files are read there
    QTimer *watch_ = nullptr;
    QTimer *reopen_ = nullptr;
    int silentWatches_ = 0;
    // What deviceAvailable() said last: -1 before the first.
    int reportedDevice_ = -1;
    // Where the mixer renders while no device takes its sound: its fades and fanfares
    // keep time, so nothing is left half-played or ducked for good.
    std::vector<qint16> unheard_;
    // Decodings started before the last reset are dropped when they end.
    int generation_ = 0;
};
