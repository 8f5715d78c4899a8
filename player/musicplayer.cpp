#include "musicplayer.h"

#include "audioworker.h"
#include "mediabackend.h"

#include <QDeadlineTimer>
#ifdef Q_OS_WIN
#include <QAudioDevice>
#include <QMediaDevices>
#endif

#include <utility>

namespace {

// How long the program's end waits for the sound to close its device.
constexpr int ClosingMs = 1500;

} // namespace

MusicPlayer::MusicPlayer(QObject *parent)
    : QObject(parent), thread_(new QThread), worker_(new AudioWorker)
{
    thread_->setObjectName(QStringLiteral("sound"));
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &AudioWorker::problem, this, &MusicPlayer::problem);
    connect(worker_, &AudioWorker::deviceAvailable, this, &MusicPlayer::deviceAvailable);
    thread_->start();
}

MusicPlayer::~MusicPlayer()
{
    // A sound driver that does not let go (seen under Wine without any sound device) must
    // not keep the program from ending: the thread is then left to the process's end.
    thread_->quit();
    if (thread_->wait(QDeadlineTimer(ClosingMs)))
        delete thread_;
}

void MusicPlayer::start(const QString &directory)
{
    if (started_)
        return;
    started_ = true;
#ifdef Q_OS_WIN
    // Qt's media devices are made by whichever thread asks first, and on Windows they are COM
    // objects of that thread: made here, the program's end tears them down where they were
    // made, not in the sound's thread, which has ended by then. Linux's sound does not use
    // them.
    QMediaDevices::audioOutputs();
#endif
    // Plugins are looked for here, in the main thread, as Qt itself does.
    const bool backend = mediaBackendPresent();
    QMetaObject::invokeMethod(
        worker_, [worker = worker_, directory, backend] { worker->start(directory, backend); });
    for (const SoundCue &cue : std::exchange(waiting_, {}))
        apply(cue);
}

void MusicPlayer::apply(const SoundCue &cue)
{
    // A press before the sound was started still counts: a mute, above all, must not be lost.
    if (!started_) {
        waiting_.append(cue);
        return;
    }
    QMetaObject::invokeMethod(worker_, [worker = worker_, cue] { worker->apply(cue); });
}
