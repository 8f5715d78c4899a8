#pragma once

class QWidget;

// Qt writes the program's name into the title bar of a window whose title is empty. The
// main window's title bar stays empty (the event title is in the banner), so its native
// title is cleared after Qt has set it: through xcb on X11, SetWindowTextW on Windows.
// Other platforms keep what Qt gives them.
void clearNativeWindowTitle(QWidget *window);
