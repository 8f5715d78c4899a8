#pragma once

#include "boxplacement.h"

#include <functional>

class Form1;

// The program's boxes are for the operator. With the stage view on a projector they open
// over the main window, on the operator's screen; with the stage on the operator's only
// screen they open above it, clear of the title and the name. Other windows (settings)
// keep their own boxes.
class OperatorBoxes : public BoxPlacement {
public:
    explicit OperatorBoxes(std::function<Form1 *()> mainWindow) : mainWindow_(std::move(mainWindow))
    {
    }

    QWidget *owner(QWidget *active) const override;
    QRect keepClear(QWidget *owner) const override;

private:
    std::function<Form1 *()> mainWindow_;
};
