#pragma once

#include "appfixture.h"

#include <QObject>

#include <memory>
#include <optional>

// Key events as the platforms deliver them, fed to the real main window: a held key is
// one press, Shift+Space and Shift+Enter are the shortcut, and no shortcut key reaches
// the focused control.
class TestShortcutKeys : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void eachPressDrivesTheShortcutOnce_data();
    void eachPressDrivesTheShortcutOnce();

private:
    std::optional<AppFixture> fixture_;
    std::unique_ptr<Form1> window_;
};
