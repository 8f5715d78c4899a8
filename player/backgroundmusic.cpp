#include "backgroundmusic.h"

#include "mediabackend.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace {

// Under the roll music the background stays faintly there, as a hall's music does when
// the host speaks.
constexpr double DuckedVolume = 0.2;
constexpr int RampStepMs = 30;
// A full swing of the volume in about a third of a second.
constexpr double RampStep = 0.1;
// Music lost with its device is tried again after a second, then ever less often: with no
// device all evening, a try every half minute costs nothing worth counting.
constexpr int FirstRetryMs = 1000;
constexpr int LongestRetryMs = 32000;

} // namespace

BackgroundMusic::BackgroundMusic(bool mediaBackend, QObject *parent)
    : QObject(parent), mediaBackend_(mediaBackend), ramp_(new QTimer(this)),
      retry_(new QTimer(this))
{
    ramp_->setInterval(RampStepMs);
    connect(ramp_, &QTimer::timeout, this, &BackgroundMusic::step);
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, &BackgroundMusic::retryLost);
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
        halt();
        if (error == QMediaPlayer::FormatError || error == QMediaPlayer::AccessDeniedError) {
            emit failed(path, error == QMediaPlayer::FormatError
                                  ? QStringLiteral("文件已损坏，或不是这台电脑能播放的格式")
                                  : QStringLiteral("没有读取它的权限"));
            return;
        }
        // A device that went (unplugged, the sound server restarted) is no fault of the
        // file: the music pauses quietly until a device takes it again.
        lost_ = path;
        retry_->start(retryMs_);
        retryMs_ = qMin(2 * retryMs_, LongestRetryMs);
    });
}

void BackgroundMusic::play(const QString &path)
{
    stop();
    retryMs_ = FirstRetryMs;
    begin(path);
}

void BackgroundMusic::retryLost()
{
    if (lost_.isEmpty())
        return;
    retry_->stop();
    begin(std::exchange(lost_, QString()));
}

void BackgroundMusic::begin(const QString &path)
{
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
    // Whatever device is the default now: the one of the last start may have gone.
    output_->setDevice(QMediaDevices::defaultAudioOutput());
    player_->setSource(QUrl::fromLocalFile(path));
    player_->play();
}

void BackgroundMusic::stop()
{
    lost_.clear();
    retry_->stop();
    halt();
}

void BackgroundMusic::halt()
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
