#include "stagekey.h"

#include <Qt>

StageKey::Verdict StageKey::keyEvent(bool press, int key, int modifiers, quint64 timestamp,
                                     bool autoRepeat)
{
    // Shift+F5 and the like keep whatever meaning the focused control gives them.
    if (key != Qt::Key_F5 || (modifiers & ~Qt::KeypadModifier) != 0)
        return Verdict::NotStageKey;
    if (!press) {
        lastReleaseTime_ = timestamp;
        return Verdict::Swallow;
    }
    const bool repeat = autoRepeat || (timestamp != 0 && timestamp == lastReleaseTime_);
    return repeat ? Verdict::Swallow : Verdict::Toggle;
}
