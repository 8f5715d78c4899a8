#pragma once

#include "journal.h"
#include "journalwriter.h"
#include "operatorboxes.h"
#include "programlock.h"
#include "soundcues.h"

#include <QObject>
#include <QString>

#include <functional>

class Form1;
class Form2;
class Notifier;
class RandomSource;

// Owns the program's windows: the main window, re-created after a settings save, and the
// one settings window, opened without an owner. The program ends at Exit, or when its
// last window has closed. It keeps the draw journal: a run starts and ends there, and a
// run that ended in the middle of a draw is offered for resuming at the next start.
class ProgramHost : public QObject {
    Q_OBJECT
public:
    ProgramHost(Notifier &notifier, RandomSource &random, const QString &programDirectory);
    ~ProgramHost() override;

    // Creates the main window and shows it centred on the screen, continuing the last
    // run's draw if it was interrupted and the operator wants that. False, after telling
    // the operator, when the folder's program already runs: nothing was shown or written.
    bool start();

    Form1 *mainWindow() const { return mainWindow_; }
    // Where the program's boxes open: for the operator, never over the stage's names.
    const BoxPlacement &boxPlacement() const { return boxes_; }
    Form2 *settingsWindow() const { return settingsWindow_; }
    // Where every main window's sound cues go, this one's and those that replace it.
    void setSoundOutput(std::function<void(const SoundCue &)> output)
    {
        soundOutput_ = std::move(output);
    }
    // Whether a sound device takes the sound, for this main window and those after it.
    void setSoundDeviceAvailable(bool available);

signals:
    void programEnded();

private:
    void showNewMainWindow();
    void openSettingsWindow();
    void replaceMainWindow();
    void windowGone(QObject *window);
    void end();

    Notifier &notifier_;
    RandomSource &random_;
    QString programDirectory_;
    ProgramLock lock_;
    Journal journal_;
    JournalWriter journalWriter_;
    Form1 *mainWindow_ = nullptr;
    Form2 *settingsWindow_ = nullptr;
    // The report the main window wrote as it went; empty when it could not write one.
    QString report_;
    std::function<void(const SoundCue &)> soundOutput_;
    bool soundDeviceAvailable_ = true;
    OperatorBoxes boxes_{[this] { return mainWindow_; }};
};
