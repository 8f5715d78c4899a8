#include "backgroundmusic.h"

#include "mediabackend.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

namespace {

// Under the roll music the background stays faintly there, as a hall's music does when
// the host speaks.
constexpr double DuckedVolume = 0.2;
constexpr int RampStepMs = 30;
// A full swing of the volume in about a third of a second.
constexpr double RampStep = 0.1;

} // namespace

BackgroundMusic::BackgroundMusic(bool mediaBackend, QObject *parent)
    : QObject(parent), mediaBackend_(mediaBackend), ramp_(new QTimer(this))
{
    ramp_->setInterval(RampStepMs);
    connect(ramp_, &QTimer::timeout, this, &BackgroundMusic::step);
}

// Made at the first file: without one, nothing of Qt's media backend is loaded.
void BackgroundMusic::makePlayer()
{
    player_ = new QMediaPlayer(this);
    output_ = new QAudioOutput(this);
    player_->setAudioOutput(output_);
    player_->setLoops(QMediaPlayer::Infinite);
    connect(player_, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error) {
        if (error == QMediaPlayer::NoError || path_.isEmpty())
            return;
        const QString path = path_;
        stop();
        // A device that went (unplugged, the sound server restarted) is no fault of the
        // file: the music stops quietly, and the next 初始化 starts it again.
        if (error == QMediaPlayer::FormatError || error == QMediaPlayer::AccessDeniedError)
            emit failed(path, error == QMediaPlayer::FormatError
                                  ? QStringLiteral("文件已损坏，或不是这台电脑能播放的格式")
                                  : QStringLiteral("没有读取它的权限"));
    });
}

void BackgroundMusic::play(const QString &path)
{
    stop();
    if (path.isEmpty())
        return;
    if (!mediaBackend_) {
        emit failed(path, missingBackendText());
        return;
    }
    if (!player_)
        makePlayer();
    path_ = path;
    volume_ = target();
    output_->setVolume(float(volume_));
    player_->setSource(QUrl::fromLocalFile(path));
    player_->play();
}

void BackgroundMusic::stop()
{
    path_.clear();
    ramp_->stop();
    if (!player_)
        return;
    player_->stop();
    player_->setSource(QUrl());
}

void BackgroundMusic::setDucked(bool ducked)
{
    if (ducked == ducked_)
        return;
    ducked_ = ducked;
    if (!path_.isEmpty())
        ramp_->start();
}

void BackgroundMusic::setMuted(bool muted)
{
    muted_ = muted;
    if (!path_.isEmpty())
        ramp_->start();
}

double BackgroundMusic::target() const
{
    if (muted_)
        return 0.0;
    return ducked_ ? DuckedVolume : 1.0;
}

void BackgroundMusic::step()
{
    const double goal = target();
    volume_ = volume_ < goal ? qMin(goal, volume_ + RampStep) : qMax(goal, volume_ - RampStep);
    output_->setVolume(float(volume_));
    if (volume_ == goal)
        ramp_->stop();
}
