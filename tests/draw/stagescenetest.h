#pragma once

#include <QObject>

// What the stage shows is true of the draw at every step: each engine event leads to one
// screen, and no name stands under a heading it does not belong to.
class StageSceneTest : public QObject {
    Q_OBJECT

private slots:
    void eachEventShowsOneTrueScreen_data();
    void eachEventShowsOneTrueScreen();
};
