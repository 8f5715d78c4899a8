#pragma once

#include "drawengine.h"
#include "drawproof.h"
#include "form1controls.h"
#include "heldnotices.h"
#include "journalwriter.h"
#include "shortcutkeys.h"
#include "soundcues.h"
#include "togglekey.h"

#include <QFont>
#include <QWidget>

#include <functional>

class QKeyEvent;
struct CandidatePool;
struct InterruptedDraw;

class Notifier;
class SoundMark;
class StagePictureLoader;
struct StagePicture;
class StageView;

// The main window the audience sees. Form1Controls builds its controls; a DrawEngine
// holds the draw and its rules, and Form1 only renders the engine's state and wires the
// events: tier clicks, the Space/Enter shortcut (ShortcutKeys tells its key events and a
// held key's repeats) and the 30 ms tick go to the engine; the load routine reads bt.txt
// and cjk.txt through files/ and the journal through journal/; `bt` centres the title on the
// banner; Module1 rescales the controls on resize. The report, the reset and the web link are
// handlers here; every recorded winner, report and start goes into the draw journal first. Voiding
// a winner who is not there (Delete or the log's menu) is in form1log.cpp. ProgramHost owns the
// windows and opens the settings window (Form2). F5 opens the stage view, which Form1 owns and
// keeps in step with the draw. A press that draws several winners at once (the operator's
// setting, BatchSetting) is in form1batch.cpp. What the hall hears (SoundCues decides it,
// F8 mutes) is in form1sound.cpp.
class Form1 : public QWidget {
    Q_OBJECT
public:
    Form1(Notifier &notifier, RandomSource &random, JournalWriter &journal,
          const QString &programDirectory, QWidget *parent = nullptr);
    ~Form1() override;

    // Read at every report: while it answers true (a settings save is re-creating the
    // main window) the report routine writes nothing.
    void setReportSuppressed(std::function<bool()> ys) { ys_ = std::move(ys); }

    const DrawEngine &engine() const { return engine_; }
    const Form1Controls &controls() const { return c_; }
    // The stage view once F5 has opened it (it may be closed again since).
    StageView *stageView() const { return stage_; }
    // Opens the stage view, with the operator's picture if one stands beside the program.
    void openStage();

    // One tick of Timer1; the timer calls it every 30 ms while a tier rolls.
    void tick();

    // Continues a draw that the last run left without a clean end: its winners go back
    // into the log, the counters and out of the pool, as their stops did.
    void resume(const InterruptedDraw &draw);

    // The list's fingerprint, the journal's chain head and the newest winner's chain code
    // as they stand (form1proof.cpp).
    DrawProof drawProof() const;

    // How many winners one press draws, per tier, from now on (form1batch.cpp).
    void setBatchSizes(const std::array<int, 4> &sizes);

    // Where the sound's cues go (form1sound.cpp); without one the draw is silent.
    void setSoundOutput(std::function<void(const SoundCue &)> output);
    bool soundMuted() const { return soundCues_.muted(); }
    // F8: all sound off, or on again.
    void toggleSound();
    // A music file that cannot be played: told once the roll is over.
    void soundProblem(const QString &text);
    // Whether a sound device takes the sound: shown by the loudspeaker mark alone.
    void setSoundDeviceAvailable(bool available);

signals:
    // drawProof() may have changed: emitted after the event that wrote the journal.
    void proofChanged();
    void settingsRequested();
    // Exit has written the report (or the operator chose to leave without it).
    void exitRequested();
    // The window is about to go; `report` is the report just written for it, empty when
    // none was.
    void leaving(const QString &report);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum class ReportOutcome { Written, Suppressed, Failed };

    void load();
    void bt();
    void T1setup();
    void clickTier(PrizeTier tier);
    void runShortcut();
    void handle(DrawOutcome outcome, PrizeTier tier);
    void journalDrawStart(const QString &event, const QString &listPath, const CandidatePool &list);

    // A stop's winners, one or a batch (form1batch.cpp): journalled in one write, then
    // shown in the log and the status line.
    void recordedStop(PrizeTier tier);
    void loadBatchSizes();
    // A batch's display is a list, not to be typed into; `restyle` (a roll starts, a
    // reset) sets its size: to fit the batch, or the display's own.
    void renderDisplayMode(bool restyle);
    void setUpVoiding();
    bool voidKey(QObject *watched, const QKeyEvent &key);
    void voidAtCaret();
    // Asks to void the winner on that line of the log (0: the newest).
    void voidOnLine(int line);
    void Format();
    ReportOutcome sava(QString *error = nullptr);
    ReportOutcome saveReport(const QString &path, const QString &sheetPath, QString *error);
    bool writeReportBeforeLeaving();
    bool saveElsewhere();
    void Exit();
    void openWebLink();
    void toggleStage();
    void showProofOnStage();
    void showStagePicture(const StagePicture &picture);
    void stageHidden();

    void setUpSound();
    void sound(SoundEvent event);
    void placeSoundMark();

    void renderButtons();
    void renderTexts();
    void syncTimer();
    // The roll's own text in the display; any other change of it is the operator's.
    void showInDisplay(const QString &text);
    void displayChanged(const QString &text);
    // Notices that need no answer wait while a tier rolls.
    void holdNotices();
    void releaseNoticesUnlessRolling();

    // The proof of the draw: form1proof.cpp.
    void setUpProof();
    void noteDrawStart(const QString &listPath, const CandidatePool &list);
    void showProof();
    void saveResultSheet(const QString &path);

    Notifier &notifier_;
    JournalWriter &journal_;
    QString programDirectory_;
    DrawEngine engine_;
    Form1Controls c_;
    std::function<bool()> ys_;
    bool leaving_ = false;
    QString lastReport_;
    // Where the last report that the program's folder could not take went.
    QString elsewhere_;
    bool loaded_ = false;
    bool showingRoll_ = false;
    HeldNotices laterNotices_{notifier_};
    ShortcutKeys keys_;
    ToggleKey stageKey_{Qt::Key_F5};
    ToggleKey soundKey_{Qt::Key_F8};
    SoundCues soundCues_;
    std::function<void(const SoundCue &)> soundOutput_;
    SoundMark *soundMark_ = nullptr;
    StageView *stage_ = nullptr;
    StagePictureLoader *pictureLoader_ = nullptr;
    // Why the stage's picture could not be read, kept while the stage covers the operator's
    // screen: the hall sees every box there.
    QString pictureWarning_;
    QString listSha256_;
    QFont displayFont_;
};
