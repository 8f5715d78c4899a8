#pragma once

#include <QObject>

// What a stop leaves behind: the pool, the log, the status line, the enabled tiers;
// and the reset that clears it again.
class RecordingTest : public QObject {
    Q_OBJECT

private slots:
    void removalTakesEveryEntryContainingTheWinner_data();
    void removalTakesEveryEntryContainingTheWinner();
    void fillKeepsThePoolWhenGivenNothing();
    void restoringManyAtOnceIsRecordingThemInTurn();
    void restoringVoidsAfterTheStopsIsVoidingInTurn();
    void logAndStatusAfterSeveralWinners();
    void quotaTests_data();
    void quotaTests();
    void quotaLargerThanThePoolKeepsTheTierEnabled();
    void fullCounterRefusesAndNeverWraps_data();
    void fullCounterRefusesAndNeverWraps();
    void resetClearsTheDrawButNotThePoolOrQuotas();
};
