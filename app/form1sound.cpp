#include "form1.h"

#include "soundmark.h"

#include <QLabel>

namespace {

constexpr int MarkSize = 16;

} // namespace

void Form1::setUpSound()
{
    soundMark_ = new SoundMark(this);
    soundMark_->resize(MarkSize, MarkSize);
    placeSoundMark();
}

void Form1::setSoundOutput(std::function<void(const SoundCue &)> output)
{
    soundOutput_ = std::move(output);
}

void Form1::sound(SoundEvent event)
{
    const SoundCue cue = soundCues_.on(event);
    if (soundOutput_ && cue != SoundCue())
        soundOutput_(cue);
    if (cue.muteChanged)
        soundMark_->setMuted(cue.muted);
}

void Form1::toggleSound()
{
    sound(SoundEvent::MuteToggled);
}

void Form1::soundProblem(const QString &text)
{
    laterNotices_.warning(QStringLiteral("提示"), text);
}

void Form1::setSoundDeviceAvailable(bool available)
{
    soundMark_->setDeviceAvailable(available);
}

void Form1::placeSoundMark()
{
    if (!soundMark_)
        return;
    // In the title frame's margin, right of the banner, clear of every control.
    const QPoint bannerTopRight = c_.Image1->mapTo(this, QPoint(c_.Image1->width(), 0));
    soundMark_->move(bannerTopRight.x() + 1, bannerTopRight.y());
}
