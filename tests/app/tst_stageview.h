#pragma once

#include "appfixture.h"

#include <QObject>

#include <memory>
#include <optional>

// The stage view through the real main window: F5 opens it full screen and F5 or Esc
// closes it, and a draw driven from it is the draw driven from the main window.
class TestStageView : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void f5OpensAndClosesIt_data();
    void f5OpensAndClosesIt();
    void drawDrivenFromItIsTheSameDraw();

private:
    std::optional<AppFixture> fixture_;
    std::unique_ptr<Form1> window_;
};
