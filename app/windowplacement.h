#pragma once

class QWidget;

// Shows a top-level window with its whole frame, title bar included, centred on the
// available area of its screen. Windows knows the frame as soon as the platform window
// exists; an X11 window manager adds it only when the window is mapped, so there the
// window is centred once more at its first expose.
void showCentred(QWidget *window);
