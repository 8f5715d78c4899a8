#include "shortcutkeys.h"

#include <Qt>

namespace {

enum class KeyKind { Other, TypedCharacter, PageDown };

KeyKind kindOf(int key)
{
    switch (key) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyKind::TypedCharacter;
    case Qt::Key_PageDown:
        return KeyKind::PageDown;
    default:
        return KeyKind::Other;
    }
}

} // namespace

ShortcutKeys::Verdict ShortcutKeys::keyEvent(bool press, int key, int modifiers, quint64 timestamp,
                                             bool autoRepeat)
{
    const KeyKind kind = kindOf(key);
    const int held = modifiers & ~Qt::KeypadModifier;
    const bool shortcut = (kind == KeyKind::TypedCharacter && (held & ~Qt::ShiftModifier) == 0) ||
                          (kind == KeyKind::PageDown && held == 0);
    if (kind == KeyKind::Other || (kind == KeyKind::PageDown && !shortcut))
        return Verdict::NotShortcut;
    if (!press) {
        lastReleasedKey_ = key;
        lastReleaseTime_ = timestamp;
        return Verdict::Swallow;
    }
    const bool repeat =
        autoRepeat || (timestamp != 0 && key == lastReleasedKey_ && timestamp == lastReleaseTime_);
    return shortcut && !repeat ? Verdict::Run : Verdict::Swallow;
}
