#include "clipdecoder.h"

#include "mediabackend.h"
#include "wavfile.h"

#include <QAudioBuffer>
#include <QAudioDecoder>
#include <QFile>
#include <QUrl>

#include <utility>

namespace {

// A WAV file is read up to this much: four minutes of CD-quality stereo and more. A longer
// or richer file is cut shorter than four minutes, rather than taking its size in memory.
constexpr qint64 MostWavBytes = qint64(64) << 20;

} // namespace

ClipDecoder::ClipDecoder(const QString &path, int sampleRate, qsizetype maxFrames,
                         bool platformDecoder, QObject *parent)
    : QObject(parent), path_(path), sampleRate_(sampleRate), maxFrames_(maxFrames),
      platformDecoder_(platformDecoder)
{
    clip_.sampleRate = sampleRate;
}

void ClipDecoder::start()
{
    QFile file(path_);
    const QString unreadable = openMusicFile(file);
    if (!unreadable.isEmpty())
        return fail(unreadable);
    // A WAV file is known by its content, whatever its name says.
    if (file.peek(12).startsWith("RIFF") && file.peek(12).mid(8) == "WAVE") {
        QString error;
        const std::optional<SoundClip> clip =
            readWav(file.read(MostWavBytes), sampleRate_, maxFrames_, &error);
        if (!clip)
            return fail(error);
        if (clip->isEmpty())
            return fail(QStringLiteral("文件里没有声音"));
        done_ = true;
        emit decoded(std::make_shared<SoundClip>(std::move(*clip)));
        return;
    }
    file.close();

    if (!platformDecoder_)
        return fail(missingBackendText());
    decoder_ = new QAudioDecoder(this);
    if (!decoder_->isSupported())
        return fail(QStringLiteral("这台电脑不能播放这种格式"));
    QAudioFormat format;
    format.setSampleRate(sampleRate_);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    decoder_->setAudioFormat(format);
    connect(decoder_, &QAudioDecoder::bufferReady, this, &ClipDecoder::readBuffers);
    connect(decoder_, &QAudioDecoder::finished, this, &ClipDecoder::finish);
    connect(decoder_, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), this,
            [this](QAudioDecoder::Error) { fail(undecodableText()); });
    decoder_->setSource(QUrl::fromLocalFile(path_));
    decoder_->start();
}

void ClipDecoder::readBuffers()
{
    while (!done_ && decoder_->bufferAvailable()) {
        const QAudioBuffer buffer = decoder_->read();
        const QAudioFormat format = buffer.format();
        const qsizetype left = maxFrames_ - clip_.frames();
        SoundClip part;
        // The backend may not honour the format asked for: take what it gives.
        if (format.sampleFormat() == QAudioFormat::Float)
            part = toStereoClip(buffer.constData<float>(), buffer.frameCount(),
                                format.channelCount(), format.sampleRate(), sampleRate_, left);
        else if (format.sampleFormat() == QAudioFormat::Int16)
            part = toStereoClip(buffer.constData<qint16>(), buffer.frameCount(),
                                format.channelCount(), format.sampleRate(), sampleRate_, left);
        else
            return fail(QStringLiteral("解码器给出的声音格式无法使用"));
        clip_.samples.insert(clip_.samples.end(), part.samples.begin(), part.samples.end());
        if (clip_.frames() >= maxFrames_) {
            decoder_->stop();
            return finish();
        }
    }
}

void ClipDecoder::finish()
{
    if (done_)
        return;
    if (clip_.isEmpty())
        return fail(QStringLiteral("文件里没有声音"));
    done_ = true;
    emit decoded(std::make_shared<SoundClip>(std::move(clip_)));
}

void ClipDecoder::fail(const QString &reason)
{
    if (done_)
        return;
    done_ = true;
    if (decoder_)
        decoder_->stop();
    emit failed(reason);
}
