#include "stagepictureloader.h"

#include <QThread>

StagePictureLoader::StagePictureLoader(QObject *parent) : QObject(parent) {}

StagePictureLoader::~StagePictureLoader()
{
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void StagePictureLoader::load(const QStringList &paths, QSize screen)
{
    if (thread_)
        next_ = Request{paths, screen};
    else
        start({paths, screen});
}

void StagePictureLoader::start(const Request &request)
{
    thread_ = QThread::create(
        [this, request] { read_ = readStagePicture(request.paths, request.screen); });
    connect(thread_, &QThread::finished, this, &StagePictureLoader::finished);
    thread_->start(QThread::LowPriority);
}

void StagePictureLoader::finished()
{
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    if (next_) {
        // The picture read is already out of date: the newer request's is shown instead.
        const Request request = *next_;
        next_.reset();
        start(request);
        return;
    }
    emit loaded(std::exchange(read_, {}));
}
