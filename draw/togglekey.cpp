#include "togglekey.h"

#include <Qt>

ToggleKey::Verdict ToggleKey::keyEvent(bool press, int key, int modifiers, quint64 timestamp,
                                       bool autoRepeat)
{
    // Shift+F5 and the like keep whatever meaning the focused control gives them.
    if (key != key_ || (modifiers & ~Qt::KeypadModifier) != 0)
        return Verdict::NotThisKey;
    if (!press) {
        lastReleaseTime_ = timestamp;
        return Verdict::Swallow;
    }
    const bool repeat = autoRepeat || (timestamp != 0 && timestamp == lastReleaseTime_);
    return repeat ? Verdict::Swallow : Verdict::Toggle;
}
