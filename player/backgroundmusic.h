#pragma once

#include "streamresampler.h"

#include <QObject>
#include <QString>

#include <vector>

class QAudioDecoder;
class SoundMixer;

// The operator's music between rolls, decoded as it plays (an evening's mix need not fit in
// memory) into the mixer, which ducks it under the roll music and the fanfare. It loops: the
// next pass is decoded while the end of the last still plays. One stream to the device for
// all the program's sound, and no second player with its own timers: the music costs
// little more than its decoding.
class BackgroundMusic : public QObject {
    Q_OBJECT
public:
    // Without `mediaBackend` (see mediaBackendPresent()) every file fails.
    BackgroundMusic(SoundMixer &mixer, bool mediaBackend, QObject *parent = nullptr);

    // Starts `path` from its beginning; an empty path stops the music.
    void play(const QString &path);
    void stop();
    // Keeps the mixer a second ahead; called as the device plays.
    void topUp();

signals:
    // The file cannot be played; `reason` is short and in Chinese.
    void failed(const QString &path, const QString &reason);

private:
    void decodeFromStart();
    void dropDecoder();
    void read(qsizetype aheadFrames);
    void passEnded();
    void fail(const QString &reason, QString path);

    SoundMixer &mixer_;
    bool mediaBackend_;
    QAudioDecoder *decoder_ = nullptr;
    QMetaObject::Connection bufferReady_;
    QString path_;
    // The file's frames at the mixer's rate; a pass runs into the next without a seam.
    StreamResampler resampler_;
    std::vector<qint16> converted_;
    // Counts the decoders made: a signal of one replaced meanwhile is not acted on.
    int pass_ = 0;
    // Frames decoded in this pass: a file that gives none ends the music instead of being
    // read again and again.
    qsizetype passFrames_ = 0;
};
