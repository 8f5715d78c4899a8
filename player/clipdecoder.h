#pragma once

#include "soundclip.h"

#include <QObject>
#include <QString>

#include <memory>

class QAudioDecoder;

// Reads one music file into memory, for playing at once and looping without a gap: WAV
// files with our own reader, everything else with the platform's decoder (GStreamer on
// Linux, Media Foundation on Windows), which reports back on this thread's event loop.
// Longer music is cut at `maxFrames`: a roll lasts seconds, not the whole album.
class ClipDecoder : public QObject {
    Q_OBJECT
public:
    // Without `platformDecoder` (no media backend) only WAV files are read.
    ClipDecoder(const QString &path, int sampleRate, qsizetype maxFrames,
                bool platformDecoder = true, QObject *parent = nullptr);

    // Emits exactly one of decoded() or failed(), possibly before returning.
    void start();

signals:
    // Shared, so that a long clip crosses to the sound's thread without a copy.
    void decoded(std::shared_ptr<SoundClip> clip);
    // `reason` is short and in Chinese, for the operator's message.
    void failed(const QString &reason);

private:
    void readBuffers();
    void finish();
    void fail(const QString &reason);

    QString path_;
    int sampleRate_;
    qsizetype maxFrames_;
    bool platformDecoder_;
    QAudioDecoder *decoder_ = nullptr;
    SoundClip clip_;
    bool done_ = false;
};
