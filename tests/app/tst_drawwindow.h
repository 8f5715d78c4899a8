#pragma once

#include "appfixture.h"

#include <QObject>

#include <memory>
#include <optional>

// The main window's controls and the draw as an operator drives it, by click and by key.
class TestDrawWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controlsStandWhereDesigned_data();
    void controlsStandWhereDesigned();
    void fontsColoursAndCaptions();
    void logoStandsWholeInTheWindow();
    void titleIsCentredOnTheBanner();
    void clicksStartSwitchAndStop();
    void spaceSpaceRecordsAThirdPrize();
    void shortcutTakesTheLowestEnabledTier();
    void shortcutKeysAreConsumed();
    void otherKeysDoNothing();
    void allTiersDoneIsSaidOnEveryKey();
    void singleCandidateStopsOnce();
    void stopOnEditedDisplayAsksFirst_data();
    void stopOnEditedDisplayAsksFirst();
    void emptyPoolRollsOnSilentlyAndItsStopSaysSo();
    void missingFilesAreNamedAndTheWindowWorks();
    void longLinesAreShownCutShortAndKeptWhole();
    void resizeScalesControlsAndRecentresTitle();
    void webLinkOnBannerTitleAndLogoOnly();

private:
    std::optional<AppFixture> fixture_;
    std::unique_ptr<Form1> window_;
};
