#pragma once

#include <QtGlobal>

// F5 opens and closes the stage view, as it starts a show in presentation programs and
// on a presenter remote's "play" button. A held F5 must not make the view flicker on and
// off, so its repeats are told from a new press as the shortcut's are (see ShortcutKeys):
// marked, or a press stamped like the last release of F5.
class StageKey {
public:
    enum class Verdict {
        NotStageKey, // let the event go on
        Swallow,     // consume it: a release or a repeat
        Toggle,      // a new press: open or close the stage view
    };

    Verdict keyEvent(bool press, int key, int modifiers, quint64 timestamp, bool autoRepeat);

private:
    quint64 lastReleaseTime_ = 0;
};
