#pragma once

class QWidget;

// The proportional layout scaler. RecordLayout keeps the window's client size and the
// rectangle of every control it holds, at every nesting level; ScaleLayout moves every
// control to its recorded rectangle times the ratio of the current client size to the
// recorded one, width and height independently. The title labels L2 and L3 are left
// where they are. Controls are the named descendants of the window; Qt's own
// sub-widgets (names starting with "qt_") follow their parents by themselves.
namespace Module1 {
void RecordLayout(QWidget &window);
void ScaleLayout(QWidget &window);

// The client size at the last RecordLayout, in pixels; 0 before the first one.
int OrigScaleWidth();
int OrigScaleHeight();
} // namespace Module1
