#include "soundcues.h"

SoundCue SoundCues::on(SoundEvent event)
{
    SoundCue cue;
    switch (event) {
    case SoundEvent::RollStarted:
        // A switch of tiers keeps the roll, and its music runs on without a restart.
        if (!rolling_)
            cue.roll = SoundCue::Roll::Start;
        rolling_ = true;
        break;
    case SoundEvent::RollStopped:
        if (rolling_)
            cue.roll = SoundCue::Roll::FadeOut;
        rolling_ = false;
        break;
    case SoundEvent::WinnerRecorded:
        // A winner confirmed after a question comes when the roll has long stopped.
        if (rolling_)
            cue.roll = SoundCue::Roll::FadeOut;
        rolling_ = false;
        cue.fanfare = true;
        break;
    case SoundEvent::Reset:
        cue.roll = SoundCue::Roll::Stop;
        cue.silenceAll = true;
        cue.reloadMusic = true;
        rolling_ = false;
        break;
    case SoundEvent::MuteToggled:
        muted_ = !muted_;
        cue.muteChanged = true;
        cue.muted = muted_;
        break;
    case SoundEvent::Voided:
    case SoundEvent::StageShown:
    case SoundEvent::StageHidden:
        // A void is quiet; the projector shows the draw, the hall hears it the same.
        break;
    }
    return cue;
}
