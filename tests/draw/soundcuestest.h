#pragma once

#include <QObject>

// When what plays: each row is a night's sequence of events and what the speaker must do
// after its last one.
class SoundCuesTest : public QObject {
    Q_OBJECT

private slots:
    void lastEventCues_data();
    void lastEventCues();
};
