#include "audioworker.h"

#include "backgroundmusic.h"
#include "builtinsounds.h"
#include "clipdecoder.h"
#include "mixerdevice.h"
#include "soundmixer.h"

#include <QAudioSink>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <utility>

namespace {

constexpr int SampleRate = 48000;
// The roll music and the fanfare are held in memory; four minutes of either is plenty
// and keeps a long file from taking half a gigabyte.
constexpr qsizetype MostFrames = qsizetype(4) * 60 * SampleRate;
// What the device holds ahead of the mixer: small, so a key is heard within a tenth of
// a second, yet three of the 20 ms periods in which Qt's PulseAudio output pulls: with
// less, its first pull does not fill PulseAudio's pre-buffer and the stream never starts.
constexpr int BufferMs = 60;
constexpr int WatchMs = 50;
// After this long without a sound the device is let go until the next cue.
constexpr int SilentWatchesBeforeRest = 1000 / WatchMs;
constexpr int ReopenMs = 2000;
// A device that takes nothing for this long while it should play has gone.
constexpr int StalledWatchesBeforeReopen = 500 / WatchMs;
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
    if (sink_)
        sink_->stop();
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
    devices_ = new QMediaDevices(this);
    background_ = new BackgroundMusic(*mixer_, mediaBackend, this);
    watch_ = new QTimer(this);
    watch_->setInterval(WatchMs);
    reopen_ = new QTimer(this);
    reopen_->setSingleShot(true);
    reopen_->setInterval(ReopenMs);
    connect(watch_, &QTimer::timeout, this, &AudioWorker::watch);
    connect(reopen_, &QTimer::timeout, this, &AudioWorker::openSink);
    // A device plugged in or out: play on whatever is the default now.
    connect(devices_, &QMediaDevices::audioOutputsChanged, this, [this] {
        if (QMediaDevices::defaultAudioOutput() != device_)
            openSink();
    });
    connect(background_, &BackgroundMusic::failed, this,
            [this](const QString &path, const QString &reason) {
                emit problem(unplayableText(path, reason, false));
            });
    openSink();
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

void AudioWorker::closeSink()
{
    if (!sink_)
        return;
    sink_->disconnect(this);
    sink_->stop();
    sink_->deleteLater();
    sink_ = nullptr;
}

void AudioWorker::openSink()
{
    closeSink();
    device_ = QMediaDevices::defaultAudioOutput();
    if (device_.isNull()) {
        reportDevice(); // silent until a device comes
        return;
    }
    QAudioFormat format;
    format.setSampleRate(SampleRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    sink_ = new QAudioSink(device_, format, this);
    sink_->setBufferSize(format.bytesForDuration(BufferMs * 1000));
    connect(sink_, &QAudioSink::stateChanged, this, &AudioWorker::sinkStateChanged);
    if (!stream_) {
        stream_ = new MixerDevice(*mixer_, this);
        stream_->open(QIODevice::ReadOnly);
    }
    sink_->start(stream_);
    silentWatches_ = 0;
    playedUs_ = -1;
    stalledWatches_ = 0;
    reportDevice();
    // Opened for a device plugged in or at the start, it rests again after a silent second.
    watch_->start();
}

bool AudioWorker::devicePlays() const
{
    return sink_ && (sink_->state() == QAudio::ActiveState || sink_->state() == QAudio::IdleState);
}

// Called only while a sink is open or has just been tried: a resting device, let go on
// purpose, says nothing of whether one is there.
void AudioWorker::reportDevice()
{
    const int available = devicePlays() ? 1 : 0;
    if (available == reportedDevice_)
        return;
    reportedDevice_ = available;
    emit deviceAvailable(available == 1);
}

void AudioWorker::sinkStateChanged(QAudio::State state)
{
    reportDevice();
    // A device that failed (unplugged, taken by another program) is tried again later;
    // the mixer keeps its state meanwhile.
    if (state == QAudio::StoppedState && sink_ && sink_->error() != QAudio::NoError)
        reopen_->start();
}

void AudioWorker::wake()
{
    silentWatches_ = 0;
    watch_->start();
    // Resting, or a device lost earlier that may be back: opened now, not seconds into the
    // roll, on whatever device is the default now.
    if (!devicePlays() && !reopen_->isActive())
        openSink();
}

void AudioWorker::watch()
{
    // A stream that the sound server dropped (its device unplugged) stays active in Qt's
    // PulseAudio output but takes nothing more: its time stands still.
    if (sink_ && sink_->state() == QAudio::ActiveState) {
        const qint64 played = sink_->processedUSecs();
        stalledWatches_ = played == playedUs_ ? stalledWatches_ + 1 : 0;
        playedUs_ = played;
        if (stalledWatches_ >= StalledWatchesBeforeReopen)
            openSink();
    }
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
    // Let go, not suspended: Qt's PulseAudio output aborts the whole program when it resumes
    // a stream that the server dropped meanwhile (its device unplugged between rolls), and a
    // new stream at the next cue is ready as soon.
    closeSink();
}
