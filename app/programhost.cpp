#include "programhost.h"

#include "fileaccess.h"
#include "form1.h"
#include "form2.h"
#include "programpaths.h"
#include "textcodec.h"
#include "windowplacement.h"

#include <QGuiApplication>
#include <QScreen>

ProgramHost::ProgramHost(Notifier &notifier, RandomSource &random, const QString &programDirectory)
    : notifier_(notifier), random_(random), programDirectory_(programDirectory),
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

void ProgramHost::start()
{
    FileResult read;
    const InterruptedDraw interrupted =
        findInterruptedDraw(decodeText(readFileBytes(journal_.path(), read)));
    const bool resume =
        !interrupted.winners.isEmpty() &&
        notifier_.askResume(QStringLiteral("提示"),
                            QStringLiteral("上次抽奖没有正常结束。抽奖日志 %1 记录了 %2 "
                                           "名中奖者。\n要接着那次抽奖继续吗？选“重新开始”"
                                           "则从头抽奖，日志照旧保留。")
                                .arg(journal_.path())
                                .arg(interrupted.winners.size())) == Notifier::ResumeChoice::Resume;
    journalWriter_.write({JournalEvent::ProgramStart});
    showNewMainWindow();
    if (resume)
        mainWindow_->resume(interrupted);
}

void ProgramHost::showNewMainWindow()
{
    auto *window = new Form1(notifier_, random_, journalWriter_, programDirectory_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setReportSuppressed([this] { return settingsWindow_ && settingsWindow_->ys(); });
    connect(window, &Form1::settingsRequested, this, &ProgramHost::openSettingsWindow);
    connect(window, &Form1::exitRequested, this, &ProgramHost::end);
    connect(window, &QObject::destroyed, this, &ProgramHost::windowGone);
    mainWindow_ = window;

    showCentred(window);
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
    // state goes with it.
    if (Form1 *old = mainWindow_) {
        mainWindow_ = nullptr;
        old->close();
        delete old;
    }
    showNewMainWindow();
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
    emit programEnded();
}
