#pragma once

#include "appfixture.h"

#include <QObject>

#include <memory>
#include <optional>

// What the platform shows of the main window: an empty title bar, the window centred
// with its frame, the status line wrapping, and the web link on a real click only.
class TestWindowFrame : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void nativeTitleIsEmpty();
    void wholeWindowIsCentred();
    void statusLineWrapsInANarrowWindow();
    void webLinkOpensOncePerClick_data();
    void webLinkOpensOncePerClick();

private:
    std::optional<AppFixture> fixture_;
    std::unique_ptr<Form1> window_;
};
