#include "musicplayer.h"

#include "audioworker.h"

MusicPlayer::MusicPlayer(QObject *parent) : QObject(parent), worker_(new AudioWorker)
{
    thread_.setObjectName(QStringLiteral("sound"));
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &AudioWorker::problem, this, &MusicPlayer::problem);
    thread_.start();
}

MusicPlayer::~MusicPlayer()
{
    thread_.quit();
    thread_.wait();
}

void MusicPlayer::start(const QString &directory)
{
    QMetaObject::invokeMethod(worker_, [worker = worker_, directory] { worker->start(directory); });
}

void MusicPlayer::apply(const SoundCue &cue)
{
    QMetaObject::invokeMethod(worker_, [worker = worker_, cue] { worker->apply(cue); });
}
