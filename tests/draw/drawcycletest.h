#pragma once

#include <QObject>

// Starting, switching and stopping tiers, the keyboard shortcut and the tick.
class DrawCycleTest : public QObject {
    Q_OBJECT

private slots:
    void startRollsTheClickedTier();
    void clickingAnotherTierSwitchesWithoutRecording();
    void stopRecordsTheShownName();
    void tickPicksTheEntryAtFloorOfRTimesN_data();
    void tickPicksTheEntryAtFloorOfRTimesN();
    void tickDoesNothingWhileStopped();
    void shortcutDrivesTheLowestEnabledTier_data();
    void shortcutDrivesTheLowestEnabledTier();
    void shortcutTakesOverFromAHigherRollingTier();
    void shortcutWithAllTiersDoneChangesNothing();
    void singleCandidateStopsOnceAfterTheNotice();
    void emptyPoolKeepsRolling_data();
    void emptyPoolKeepsRolling();
};
