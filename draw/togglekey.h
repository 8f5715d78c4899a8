#pragma once

#include <QtGlobal>

// A function key that switches something on and off: F5 the stage view (as it starts a
// show in presentation programs and on a presenter remote's "play" button), F8 the sound.
// A held key must not make the view or the sound flicker on and off, so its repeats are
// told from a new press as the shortcut's are (see ShortcutKeys): marked, or a press
// stamped like the last release of the key.
class ToggleKey {
public:
    enum class Verdict {
        NotThisKey, // let the event go on
        Swallow,    // consume it: a release or a repeat
        Toggle,     // a new press: switch
    };

    explicit ToggleKey(int key) : key_(key) {}

    Verdict keyEvent(bool press, int key, int modifiers, quint64 timestamp, bool autoRepeat);

private:
    int key_;
    quint64 lastReleaseTime_ = 0;
};
