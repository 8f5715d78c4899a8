#pragma once

#include <QObject>
#include <QStringList>

// Recording stays right with a pool of a million names: the removal, the log, the
// counts and the status line, winner after winner.
class MillionRecordingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void recordingRemovesExactlyTheMatchingNames_data();
    void recordingRemovesExactlyTheMatchingNames();
    void anEveningOfWinnersKeepsLogCountsAndPool();

private:
    QStringList names_;
};
