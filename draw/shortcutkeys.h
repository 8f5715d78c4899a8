#pragma once

#include <QtGlobal>

// Tells which key events drive the draw's shortcut, and a new press from a held key's
// repeat. Any window the audience sees feeds it the plain values of every key event,
// so Space, Enter and a remote's PageDown do the same there as in the main window.
//
// The shortcut answers the typed character: Space and Enter (Return or keypad Enter)
// without a modifier or with Shift, and PageDown alone. Space and Enter with Ctrl, Alt or
// Meta are swallowed and do nothing: Ctrl+Space belongs to the input method, and no
// focused button or text box may take these keys as its own.
//
// A held key sends repeats. Windows and Wayland mark them; on X11 the mark is a guess
// that fails under load, but each repeat comes as a release and a press carrying the
// same timestamp, so a press stamped like the last release of its key is a repeat.
// A timestamp of 0 means "unknown" (a synthesised event) and never matches.
class ShortcutKeys {
public:
    enum class Verdict {
        NotShortcut, // let the event go on to the control that has the focus
        Swallow,     // consume it and do nothing: a release, a repeat, Ctrl+Space
        Run,         // a new press: consume it and run the shortcut once
    };

    // key: a Qt::Key code; modifiers: Qt::KeyboardModifiers as an int; timestamp: the
    // event's time in milliseconds. Feed it releases as well as presses, and those that
    // went to other windows (a message box closed by a held key's repeat), acting only
    // on the verdicts for the window that owns the shortcut.
    Verdict keyEvent(bool press, int key, int modifiers, quint64 timestamp, bool autoRepeat);

private:
    int lastReleasedKey_ = 0;
    quint64 lastReleaseTime_ = 0;
};
