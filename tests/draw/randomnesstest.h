#pragma once

#include <QObject>

// The pick itself: the index formula, the clock-seeded source, the spread of picks
// over the pool, and a whole event run from the keyboard.
class RandomnessTest : public QObject {
    Q_OBJECT

private slots:
    void pickIndexStaysInsideThePool_data();
    void pickIndexStaysInsideThePool();
    void clockSeededValuesHave53BitsBelowOne();
    void picksAreUniform();
    void uniformityCheckCatchesABiasedSource();
    void wholeEventFromTheKeyboard();
};
