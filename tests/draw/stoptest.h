#pragma once

#include <QObject>

// A stop records a winner only when its roll has put a name into the display.
class StopTest : public QObject {
    Q_OBJECT

private slots:
    void stopRecordsOnlyANameTheRollShowed_data();
    void stopRecordsOnlyANameTheRollShowed();
};
