#pragma once

#include <QObject>

// What the stage shows follows the draw: the tiers before the first winner, the rolling
// tier and name, then the newest winner and the winners of that tier alone.
class StageSceneTest : public QObject {
    Q_OBJECT

private slots:
    void sceneFollowsTheDraw_data();
    void sceneFollowsTheDraw();
};
