#pragma once

#include <functional>

class QObject;
class QWidget;

// Runs `then` once, just after `window` has first been painted, so that slow work started
// there never keeps the operator from seeing the window. A window that is not painted
// within `latestMs` (started minimised) does not hold the work back any longer, nor does
// one closed before. Nothing runs once `context` is gone.
void afterFirstPaint(QWidget *window, int latestMs, QObject *context, std::function<void()> then);
