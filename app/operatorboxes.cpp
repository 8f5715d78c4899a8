#include "operatorboxes.h"

#include "form1.h"
#include "stageview.h"

namespace {

StageView *openStage(const Form1 *window)
{
    StageView *stage = window ? window->stageView() : nullptr;
    return stage && stage->isVisible() ? stage : nullptr;
}

} // namespace

QWidget *OperatorBoxes::owner(QWidget *active) const
{
    Form1 *window = mainWindow_();
    StageView *stage = openStage(window);
    if (!stage || (active && active != window && active != stage))
        return active;
    // On its own screen the stage stays the audience's; sharing the operator's, it is on
    // top of everything, and a box must be above it to be seen.
    return stage->screen() == window->screen() ? static_cast<QWidget *>(stage) : window;
}

QRect OperatorBoxes::keepClear(QWidget *owner) const
{
    StageView *stage = openStage(mainWindow_());
    if (!stage || !owner || stage->screen() != owner->screen())
        return {};
    const QRect names = stage->namesArea();
    return QRect(stage->mapToGlobal(names.topLeft()), names.size());
}
