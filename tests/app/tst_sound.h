#pragma once

#include "appfixture.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

// What the real main window tells the sound as the operator drives it: roll music with
// the names, a fanfare for each recorded stop only, F8 muting from the window and the
// stage, and the mark that shows it, and whether a sound device plays it; and the sound's
// start, which waits for the window's first paint.
class TestSound : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void operatorStepsCueTheSound_data();
    void operatorStepsCueTheSound();
    void markShowsTheSoundAsItIs_data();
    void markShowsTheSoundAsItIs();
    void markLooksDifferForEachState();
    void settingsSaveKeepsTheSoundState();
    void soundStartsOnceTheWindowIsPainted_data();
    void soundStartsOnceTheWindowIsPainted();

private:
    std::optional<AppFixture> fixture_;
    std::unique_ptr<Form1> window_;
    QStringList cues_;
};
