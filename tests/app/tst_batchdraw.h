#pragma once

#include <QObject>

// Presses that draw several winners, through the real main window: what they leave in the
// results log, the journal, the report and the quotas is what drawing the same names one
// at a time leaves; the setting's own window; the display while a batch rolls; the stage.
class TestBatchDraw : public QObject {
    Q_OBJECT
private slots:
    void batchLeavesWhatSingleStopsLeave_data();
    void batchLeavesWhatSingleStopsLeave();
    void killedMidBatchRollResumesThePressesBefore();
    void settingWindowKeepsTheSizesBesideTheProgram();
    void typingIntoARollingBatchIsRefused();
    void stageShowsTheBatchTogether();
};
