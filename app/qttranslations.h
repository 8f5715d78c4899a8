#pragma once

class QCoreApplication;

// Qt's own texts (the file dialog, the buttons of its dialogs, a text field's menu) in
// Simplified Chinese, as the rest of the program: from the translations folder beside the
// program, where the portable folder carries them, else from Qt's own.
void installQtTranslations(QCoreApplication &app);
