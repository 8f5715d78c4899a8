#include "backgroundmusic.h"

#include "mediabackend.h"
#include "soundmixer.h"

#include <QAudioBuffer>
#include <QAudioDecoder>
#include <QFile>
#include <QUrl>

#include <limits>

namespace {

// How far the decoding keeps ahead of the device: enough to hide the decoder's restart at
// the end of each pass and a busy moment of the machine, and only a fifth of a megabyte.
constexpr int AheadMs = 1000;

} // namespace

BackgroundMusic::BackgroundMusic(SoundMixer &mixer, bool mediaBackend, QObject *parent)
    : QObject(parent), mixer_(mixer), mediaBackend_(mediaBackend)
{
}

void BackgroundMusic::play(const QString &path)
{
    stop();
    if (path.isEmpty())
        return;
    QFile file(path);
    const QString unreadable = openMusicFile(file);
    if (!unreadable.isEmpty())
        return fail(unreadable, path);
    if (!mediaBackend_)
        return fail(missingBackendText(), path);
    path_ = path;
    mixer_.startBackground();
    decodeFromStart();
}

void BackgroundMusic::stop()
{
    path_.clear();
    ++pass_;
    mixer_.stopBackground();
    if (decoder_) {
        decoder_->stop();
        decoder_->deleteLater();
        decoder_ = nullptr;
    }
}

// A new decoder for each pass: a decoder that has reached the end is not read again the same
// way by every platform's backend.
void BackgroundMusic::decodeFromStart()
{
    if (decoder_) {
        decoder_->stop();
        decoder_->deleteLater();
    }
    passFrames_ = 0;
    const int pass = ++pass_;
    decoder_ = new QAudioDecoder(this);
    QAudioFormat format;
    format.setSampleRate(mixer_.sampleRate());
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    decoder_->setAudioFormat(format);
    // The decoder holds a few buffers and then waits until they are read: it decodes only
    // as fast as the music plays.
    connect(decoder_, &QAudioDecoder::bufferReady, this, &BackgroundMusic::topUp);
    // Queued: the next decoder is not made from inside the last one's signal.
    connect(
        decoder_, &QAudioDecoder::finished, this,
        [this, pass] {
            if (pass == pass_)
                passEnded();
        },
        Qt::QueuedConnection);
    connect(decoder_, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), this,
            [this, pass](QAudioDecoder::Error) {
                if (pass == pass_)
                    fail(undecodableText(), path_);
            });
    decoder_->setSource(QUrl::fromLocalFile(path_));
    decoder_->start();
}

void BackgroundMusic::topUp()
{
    read(qsizetype(mixer_.sampleRate()) * AheadMs / 1000);
}

void BackgroundMusic::read(qsizetype aheadFrames)
{
    while (decoder_ && mixer_.backgroundQueued() < aheadFrames && decoder_->bufferAvailable()) {
        const QAudioBuffer buffer = decoder_->read();
        const QAudioFormat format = buffer.format();
        const qsizetype most = std::numeric_limits<qsizetype>::max();
        SoundClip part;
        // The backend may not honour the format asked for: take what it gives.
        if (format.sampleFormat() == QAudioFormat::Float)
            part =
                toStereoClip(buffer.constData<float>(), buffer.frameCount(), format.channelCount(),
                             format.sampleRate(), mixer_.sampleRate(), most);
        else if (format.sampleFormat() == QAudioFormat::Int16)
            part =
                toStereoClip(buffer.constData<qint16>(), buffer.frameCount(), format.channelCount(),
                             format.sampleRate(), mixer_.sampleRate(), most);
        else
            return fail(QStringLiteral("解码器给出的声音格式无法使用"), path_);
        mixer_.queueBackground(part.samples.data(), part.frames());
        passFrames_ += part.frames();
    }
}

void BackgroundMusic::passEnded()
{
    // Whatever the decoder still holds goes to the mixer before the next pass begins.
    read(std::numeric_limits<qsizetype>::max());
    if (passFrames_ == 0)
        return fail(QStringLiteral("文件里没有声音"), path_);
    decodeFromStart();
}

void BackgroundMusic::fail(const QString &reason, QString path)
{
    stop();
    emit failed(path, reason);
}
