#pragma once

#include "appfixture.h"

#include <QObject>

#include <memory>
#include <optional>

// The winners report and its three triggers, the reset, and the windows' life: the
// settings window, the re-created main window, and when the program ends.
class TestReportResetSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void reportHoldsTheDrawByteForByte();
    void reportWithoutDrawHoldsOnlyTheFrame();
    void saveTwiceReplacesTheReport();
    void exitWritesOnceAndEnds();
    void closeRequestWritesTheReport();
    void failedSaveWarnsAndKeepsResults();
    void failedReportOnLeavingLetsTheOperatorChoose();
    void resetWhileRollingStopsWithoutWinner();
    void resetRestoresPoolTiersAndRereadsFiles();
    void resetWithEmptiedListKeepsThePool();
    void settingsButtonOpensOneWindow();
    void settingsSaveStartsAFreshDrawWithoutReport();
    void programEndsWithItsLastWindow();

private:
    Form1 &drawOne(Form1 &window, double r);

    std::optional<AppFixture> fixture_;
    std::unique_ptr<Form1> window_;
};
