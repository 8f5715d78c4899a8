#pragma once

// What the hall hears as the draw goes on. Roll music plays while a tier rolls and fades
// out at its stop; a fanfare greets each recorded stop, once, however many winners it
// drew; between rolls the operator's background music, if any, plays on under both. A
// stop that records nobody (declined, nobody shown, the pool empty) and a void play
// nothing. A reset silences everything and the music files are read again. Muting keeps
// time running, so unmuting mid-roll brings the roll music back where it is.
enum class SoundEvent {
    RollStarted,    // a tier began rolling, or another took over the roll
    RollStopped,    // the roll ended, whether or not it recorded anyone
    WinnerRecorded, // a stop recorded its winner(s)
    Voided,         // a winner was voided
    Reset,          // 初始化: counters cleared, files read again
    StageShown,
    StageHidden,
    MuteToggled,
};

// What the speaker is to do after an event. Each field is a change; none is "as before".
struct SoundCue {
    enum class Roll { Keep, Start, FadeOut, Stop };
    Roll roll = Roll::Keep;
    bool fanfare = false;     // play the fanfare from its start
    bool silenceAll = false;  // stop the fanfare and the background at once
    bool reloadMusic = false; // read the music files beside the program again
    bool muteChanged = false; // `muted` is new
    bool muted = false;

    bool operator==(const SoundCue &) const = default;
};

class SoundCues {
public:
    SoundCue on(SoundEvent event);

    bool rolling() const { return rolling_; }
    bool muted() const { return muted_; }

private:
    bool rolling_ = false;
    bool muted_ = false;
};
