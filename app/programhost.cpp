#include "programhost.h"

#include "form1.h"
#include "form2.h"
#include "journalreader.h"
#include "journaltexts.h"
#include "programpaths.h"
#include "stageview.h"
#include "windowplacement.h"

ProgramHost::ProgramHost(Notifier &notifier, RandomSource &random, const QString &programDirectory)
    : notifier_(notifier), random_(random), programDirectory_(programDirectory),
      lock_(programDirectory),
      journal_(writerPath(programDirectory, JournalFileName, nativeSeparator())),
      journalWriter_(journal_, notifier)
{
}

ProgramHost::~ProgramHost()
{
    // Windows still open when the program ends go without a report: Exit wrote it.
    for (QObject *window :
         {static_cast<QObject *>(mainWindow_), static_cast<QObject *>(settingsWindow_)}) {
        if (window) {
            disconnect(window, nullptr, this, nullptr);
            delete window;
        }
    }
}

bool ProgramHost::start()
{
    if (lock_.take() == ProgramLock::Outcome::HeldByAnother) {
        notifier_.warning(QStringLiteral("提示"), alreadyRunningText(programDirectory_));
        return false;
    }
    const InterruptedDraw interrupted = readInterruptedDraw(journal_.path());
    if (!interrupted.readError.isEmpty())
        notifier_.warning(QStringLiteral("提示"), journalUnreadableText(interrupted.readError));
    // Read as it is, then made fit to take this run's lines; the question says what that
    // did to the file.
    QString keptAside;
    const FileResult writable = journal_.prepare(&keptAside);
    bool resume = false;
    if (!interrupted.isEmpty()) {
        if (!writable.ok())
            journalWriter_.failureAlreadyTold();
        // Only a deliberate "start afresh" leaves the draw behind; closing the question
        // loses nothing.
        const QString question = resumeQuestionText(
            journal_.path(), interrupted, journalFileNote(interrupted, keptAside, writable));
        resume = notifier_.askResume(QStringLiteral("提示"), question) !=
                 Notifier::ResumeChoice::StartAfresh;
        if (!resume)
            notifier_.information(QStringLiteral("提示"),
                                  startedAfreshText(journal_.path(), interrupted));
    }
    // Until the resumed winners are written, the interrupted draw stays the one a next
    // start offers: this run's start says that it is resuming.
    journalWriter_.write(resume ? QStringList{JournalEvent::ProgramStart, ResumingField}
                                : QStringList{JournalEvent::ProgramStart});
    showNewMainWindow();
    if (resume)
        mainWindow_->resume(interrupted);
    return true;
}

void ProgramHost::showNewMainWindow()
{
    auto *window = new Form1(notifier_, random_, journalWriter_, programDirectory_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setReportSuppressed([this] { return settingsWindow_ && settingsWindow_->ys(); });
    connect(window, &Form1::settingsRequested, this, &ProgramHost::openSettingsWindow);
    connect(window, &Form1::exitRequested, this, &ProgramHost::end);
    connect(window, &Form1::leaving, this, [this](const QString &report) { report_ = report; });
    connect(window, &QObject::destroyed, this, &ProgramHost::windowGone);
    window->setSoundOutput(soundOutput_);
    window->setSoundDeviceAvailable(soundDeviceAvailable_);
    mainWindow_ = window;

    showCentred(window);
}

void ProgramHost::setSoundDeviceAvailable(bool available)
{
    soundDeviceAvailable_ = available;
    if (mainWindow_)
        mainWindow_->setSoundDeviceAvailable(available);
}

void ProgramHost::openSettingsWindow()
{
    // One settings window: a second click shows the same one, edits and all.
    if (!settingsWindow_) {
        settingsWindow_ = new Form2(notifier_, programDirectory_);
        connect(settingsWindow_, &Form2::settingsSaved, this, &ProgramHost::replaceMainWindow);
        connect(settingsWindow_, &QObject::destroyed, this, &ProgramHost::windowGone);
    }
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->activateWindow();
}

void ProgramHost::replaceMainWindow()
{
    journalWriter_.write(
        {JournalEvent::SettingsSaved,
         escapeJournalField(writerPath(programDirectory_, SettingsFileName, nativeSeparator()))});
    // The old window's close request finds ys raised and writes no report; its draw
    // state goes with it. A stage the old window showed is replaced by the new one's
    // before it goes, so the projector never shows the desktop.
    Form1 *old = mainWindow_;
    const bool staged = old && old->stageView() && old->stageView()->isVisible();
    showNewMainWindow();
    if (staged)
        mainWindow_->openStage();
    // F8's choice holds for the evening, not for one window.
    if (old && old->soundMuted())
        mainWindow_->toggleSound();
    if (old) {
        old->close();
        delete old;
    }
}

void ProgramHost::windowGone(QObject *window)
{
    if (window == mainWindow_)
        mainWindow_ = nullptr;
    if (window == settingsWindow_)
        settingsWindow_ = nullptr;
    if (!mainWindow_ && !settingsWindow_)
        end();
}

void ProgramHost::end()
{
    journalWriter_.write({JournalEvent::CleanEnd});
    if (const qsizetype behind = journalWriter_.linesBehind(); behind > 0)
        notifier_.warning(QStringLiteral("提示"),
                          journalStillBehindText(journal_.path(), behind, report_));
    emit programEnded();
}
