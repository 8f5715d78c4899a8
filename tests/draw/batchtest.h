#pragma once

#include <QObject>

// A press that draws several names: its picks are what stops one after another could have
// drawn, uniform over what each leaves, and its removal leaves what those stops would.
class BatchTest : public QObject {
    Q_OBJECT

private slots:
    void removalInTurnIsRemovalStopByStop_data();
    void removalInTurnIsRemovalStopByStop();
    void picksAreStopsOneAfterAnother_data();
    void picksAreStopsOneAfterAnother();
    void picksAreUniformOverWhatIsLeft();
    void batchNeverExceedsPlacesOrNames_data();
    void batchNeverExceedsPlacesOrNames();
};
