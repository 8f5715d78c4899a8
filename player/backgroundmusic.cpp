#include "backgroundmusic.h"

#include "mediabackend.h"
#include "soundmixer.h"

#include <QAudioBuffer>
#include <QAudioDecoder>
#include <QFile>
#include <QUrl>

#include <limits>
#include <utility>

namespace {

// How far the decoding keeps ahead of the device: enough to hide the decoder's restart at
// the end of each pass and a busy moment of the machine, and only a fifth of a megabyte.
constexpr int AheadMs = 1000;
constexpr int DecodedRate = 44100;

} // namespace

BackgroundMusic::BackgroundMusic(SoundMixer &mixer, bool mediaBackend, QObject *parent)
    : QObject(parent), mixer_(mixer), mediaBackend_(mediaBackend), resampler_(mixer.sampleRate())
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
    resampler_.reset();
    mixer_.startBackground();
    decodeFromStart();
}

void BackgroundMusic::stop()
{
    path_.clear();
    ++pass_;
    mixer_.stopBackground();
    dropDecoder();
}

void BackgroundMusic::dropDecoder()
{
    if (!decoder_)
        return;
    disconnect(std::exchange(bufferReady_, {}));
    decoder_->stop();
    decoder_->deleteLater();
    decoder_ = nullptr;
}

// A new decoder for each pass: a decoder that has reached the end is not read again the same
// way by every platform's backend.
void BackgroundMusic::decodeFromStart()
{
    dropDecoder();
    passFrames_ = 0;
    const int pass = ++pass_;
    // At CD rate, which nearly every MP3 and AAC file has: the platform then passes it through,
    // where its resampler would cost more than the decoding, and ours takes it to the mixer's
    // rate for a fraction of that. (Qt 6.4 cannot hand over a file's own format: GStreamer's
    // MP3 decoder gives planar samples that its player refuses.)
    decoder_ = new QAudioDecoder(this);
    QAudioFormat format;
    format.setSampleRate(DecodedRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    decoder_->setAudioFormat(format);
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
    // The decoder holds a few buffers and then waits until they are read: it decodes only
    // as fast as the music plays.
    topUp();
}

void BackgroundMusic::topUp()
{
    const qsizetype ahead = qsizetype(mixer_.sampleRate()) * AheadMs / 1000;
    read(ahead);
    // Behind (at the start, or a file that comes in small buffers), each buffer is read as it
    // comes; ahead, only as the device plays, which wakes this thread half as often.
    const bool behind = decoder_ && mixer_.backgroundQueued() < ahead / 2;
    if (behind && !bufferReady_)
        bufferReady_ =
            connect(decoder_, &QAudioDecoder::bufferReady, this, &BackgroundMusic::topUp);
    else if (!behind && bufferReady_)
        disconnect(std::exchange(bufferReady_, {}));
}

void BackgroundMusic::read(qsizetype aheadFrames)
{
    while (decoder_ && mixer_.backgroundQueued() < aheadFrames && decoder_->bufferAvailable()) {
        const QAudioBuffer buffer = decoder_->read();
        const QAudioFormat format = buffer.format();
        converted_.clear();
        const auto convert = [&](const auto *samples) {
            resampler_.convert(samples, buffer.frameCount(), format.channelCount(),
                               format.sampleRate(), converted_);
        };
        switch (format.sampleFormat()) {
        case QAudioFormat::UInt8:
            convert(buffer.constData<quint8>());
            break;
        case QAudioFormat::Int16:
            convert(buffer.constData<qint16>());
            break;
        case QAudioFormat::Int32:
            convert(buffer.constData<qint32>());
            break;
        case QAudioFormat::Float:
            convert(buffer.constData<float>());
            break;
        default:
            return fail(QStringLiteral("解码器给出的声音格式无法使用"), path_);
        }
        const qsizetype frames = qsizetype(converted_.size() / 2);
        mixer_.queueBackground(converted_.data(), frames);
        passFrames_ += frames;
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
