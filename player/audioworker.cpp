#include "audioworker.h"

#include "backgroundmusic.h"
#include "builtinsounds.h"
#include "clipdecoder.h"
#include "soundmixer.h"
#include "soundoutput.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <utility>

namespace {

constexpr int SampleRate = 48000;
// The roll music and the fanfare are held in memory; four minutes of either is plenty
// and keeps a long file from taking half a gigabyte.
constexpr qsizetype MostFrames = qsizetype(4) * 60 * SampleRate;
constexpr int WatchMs = 50;
// After this long without a sound the device is let go until the next cue.
constexpr int SilentWatchesBeforeRest = 1000 / WatchMs;
constexpr int ReopenMs = 2000;
// How long the worker's end waits for a decoding to let go.
constexpr int DecodingClosingMs = 1000;

QString unplayableText(const QString &path, const QString &reason, bool builtIn)
{
    const QString name = QFileInfo(path).fileName();
    return builtIn
               ? QStringLiteral("无法播放音乐文件“%1”（%2），改用程序内置的声音。")
                     .arg(name, reason)
               : QStringLiteral("无法播放音乐文件“%1”（%2），不播放背景音乐。").arg(name, reason);
}

} // namespace

AudioWorker::AudioWorker() = default;

AudioWorker::~AudioWorker()
{
    if (!decoding_)
        return;
    // A platform decoder that does not let go must not keep the program from ending: the
    // thread is then left to the process's end.
    decoding_->quit();
    if (decoding_->wait(QDeadlineTimer(DecodingClosingMs)))
        delete decoding_;
}

void AudioWorker::start(const QString &directory, bool mediaBackend)
{
    directory_ = directory;
    mediaBackend_ = mediaBackend;
    mixer_ = std::make_unique<SoundMixer>(SampleRate);
    // Music files are read whole, as fast as the decoder goes: on a thread of their own, or
    // the device would wait for this one meanwhile and the background music break up.
    decoding_ = new QThread;
    decoding_->setObjectName(QStringLiteral("decoding"));
    decoding_->start();
    unheard_.resize(size_t(2 * SampleRate * WatchMs / 1000));
    output_ = makeSoundOutput(*mixer_);
    background_ = new BackgroundMusic(*mixer_, mediaBackend, this);
    watch_ = new QTimer(this);
    watch_->setInterval(WatchMs);
    reopen_ = new QTimer(this);
    reopen_->setSingleShot(true);
    reopen_->setInterval(ReopenMs);
    connect(watch_, &QTimer::timeout, this, &AudioWorker::watch);
    connect(reopen_, &QTimer::timeout, this, &AudioWorker::openOutput);
    connect(output_.get(), &SoundOutput::playsChanged, this, &AudioWorker::reportDevice);
    // A device that failed (unplugged, taken by another program) is tried again later; the
    // mixer keeps its state meanwhile.
    connect(output_.get(), &SoundOutput::failed, reopen_, qOverload<>(&QTimer::start));
    connect(background_, &BackgroundMusic::failed, this,
            [this](const QString &path, const QString &reason) {
                emit problem(unplayableText(path, reason, false));
            });
    openOutput();
    loadMusic();
}

void AudioWorker::loadMusic()
{
    ++generation_;
    useClip(MusicRole::Roll, builtinRollMusic(SampleRate));
    useClip(MusicRole::Fanfare, builtinFanfare(SampleRate));
    for (MusicRole role : {MusicRole::Roll, MusicRole::Fanfare}) {
        const QString path = findMusicFile(directory_, role);
        if (!path.isEmpty())
            decode(role, path);
    }
    background_->play(findMusicFile(directory_, MusicRole::Background));
}

void AudioWorker::useClip(MusicRole role, SoundClip clip)
{
    if (role == MusicRole::Roll)
        mixer_->setRollMusic(std::move(clip));
    else
        mixer_->setFanfare(std::move(clip));
}

void AudioWorker::decode(MusicRole role, const QString &path)
{
    auto *decoder = new ClipDecoder(path, SampleRate, MostFrames, mediaBackend_);
    decoder->moveToThread(decoding_);
    connect(decoding_, &QThread::finished, decoder, &QObject::deleteLater);
    const int generation = generation_;
    connect(decoder, &ClipDecoder::decoded, this,
            [this, decoder, role, generation](const std::shared_ptr<SoundClip> &clip) {
                if (generation == generation_)
                    useClip(role, std::move(*clip));
                decoder->deleteLater();
            });
    connect(decoder, &ClipDecoder::failed, this,
            [this, decoder, path, generation](const QString &reason) {
                if (generation == generation_)
                    emit problem(unplayableText(path, reason, true));
                decoder->deleteLater();
            });
    QMetaObject::invokeMethod(decoder, &ClipDecoder::start);
}

void AudioWorker::apply(const SoundCue &cue)
{
    if (!mixer_)
        return;
    switch (cue.roll) {
    case SoundCue::Roll::Keep:
        break;
    case SoundCue::Roll::Start:
        mixer_->startRoll();
        break;
    case SoundCue::Roll::FadeOut:
        mixer_->fadeOutRoll();
        break;
    case SoundCue::Roll::Stop:
        mixer_->stopAll();
        break;
    }
    if (cue.silenceAll) {
        mixer_->stopAll();
        background_->stop();
    }
    if (cue.fanfare)
        mixer_->playFanfare();
    if (cue.muteChanged)
        mixer_->setMuted(cue.muted);
    if (cue.reloadMusic)
        loadMusic();
    wake();
}

void AudioWorker::openOutput()
{
    output_->open();
    silentWatches_ = 0;
    reportDevice();
    // Opened for a device plugged in or at the start, it rests again after a silent second.
    watch_->start();
}

bool AudioWorker::devicePlays() const
{
    return output_ && output_->plays();
}

// Called only while the output is open or has just been tried: a resting device, let go on
// purpose, says nothing of whether one is there.
void AudioWorker::reportDevice()
{
    const int available = devicePlays() ? 1 : 0;
    if (available == reportedDevice_)
        return;
    reportedDevice_ = available;
    emit deviceAvailable(available == 1);
}

void AudioWorker::wake()
{
    silentWatches_ = 0;
    watch_->start();
    // Resting, or a device lost earlier that may be back: opened now, not seconds into the
    // roll, on whatever device is the default now.
    if (!devicePlays() && !reopen_->isActive())
        openOutput();
}

void AudioWorker::watch()
{
    output_->watch();
    if (!devicePlays()) {
        // Tried again every few seconds while there is something to hear.
        if (!reopen_->isActive())
            reopen_->start();
        mixer_->render(unheard_.data(), qsizetype(unheard_.size() / 2));
    }
    background_->topUp();
    if (mixer_->isSounding()) {
        silentWatches_ = 0;
        return;
    }
    // Nothing more to hear until the next cue: the device rests, and so does this timer.
    if (++silentWatches_ >= SilentWatchesBeforeRest)
        rest();
}

void AudioWorker::rest()
{
    watch_->stop();
    reopen_->stop();
    // Let go, not suspended: a device unplugged between rolls leaves no stream behind to
    // resume (Qt's PulseAudio output aborted the program there), and a new stream at the
    // next cue is ready as soon.
    output_->close();
}
