#pragma once

#include "appfixture.h"

#include <QObject>

#include <memory>
#include <optional>

// The stage view through the real main window: F5 opens it full screen and F5 or Esc
// closes it, a draw driven from it is the draw driven from the main window, and a
// settings save, which replaces the main window, leaves a stage on the projector.
class TestStageView : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void f5OpensAndClosesIt_data();
    void f5OpensAndClosesIt();
    void drawDrivenFromItIsTheSameDraw();
    void settingsSaveKeepsAStageOpen();
    void codesAreLargeAndOfWhatIsShown_data();
    void codesAreLargeAndOfWhatIsShown();
    void hundredWinnersTurnPagesAndARollKeepsItsSize();
    void pictureFollowsTheStage_data();
    void pictureFollowsTheStage();

private:
    std::optional<AppFixture> fixture_;
    std::unique_ptr<Form1> window_;
};
