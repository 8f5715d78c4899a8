#include "form1.h"

#include "batchsetting.h"
#include "candidatefile.h"
#include "clickwatcher.h"
#include "cutshort.h"
#include "journal.h"
#include "listimport.h"
#include "module1.h"
#include "notifier.h"
#include "programpaths.h"
#include "settingsfile.h"
#include "shownline.h"
#include "stageview.h"
#include "webaddress.h"
#include "windowtitle.h"
#include "winnervoid.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

const QString Notice = QStringLiteral("提示");
const QString ReportNotice = QStringLiteral("提示:");

} // namespace

Form1::Form1(Notifier &notifier, RandomSource &random, JournalWriter &journal,
             const QString &programDirectory, QWidget *parent)
    : QWidget(parent), notifier_(notifier), journal_(journal), programDirectory_(programDirectory),
      engine_(random), c_(buildForm1Controls(this))
{
    setWindowTitle(QString());
    resize(Form1ClientWidth, Form1ClientHeight);

    for (PrizeTier tier : AllTiers)
        connect(c_.tierButtons[tierIndex(tier)], &QPushButton::clicked, this,
                [this, tier] { clickTier(tier); });
    connect(c_.Timer1, &QTimer::timeout, this, &Form1::tick);
    // Every change the program did not make is the operator's: a key, a paste, a drop, an
    // input method, the box's own menu, an undo.
    connect(c_.Text1, &QLineEdit::textChanged, this, &Form1::displayChanged);
    connect(c_.settxt, &QPushButton::clicked, this, &Form1::settingsRequested);
    connect(c_.Format, &QPushButton::clicked, this, &Form1::Format);
    connect(c_.sava, &QPushButton::clicked, this, [this] {
        QString error;
        if (sava(&error) == ReportOutcome::Failed)
            notifier_.warning(ReportNotice, error);
    });
    connect(c_.Exit, &QPushButton::clicked, this, &Form1::Exit);

    auto *links = new ClickWatcher([this] { openWebLink(); }, this);
    for (QWidget *linked : {static_cast<QWidget *>(c_.L2), static_cast<QWidget *>(c_.L3),
                            static_cast<QWidget *>(c_.Image1), static_cast<QWidget *>(c_.Image2)})
        links->watch(linked);

    // Key preview: the window sees Space and Enter before whichever control has the focus.
    qApp->installEventFilter(this);
    c_.tierButtons[0]->setFocus();
    setUpVoiding();
    setUpProof();
    setUpSound();
    new ListImport(*this, notifier_, journal_, programDirectory_);
    new BatchSetting(*this, notifier_, programDirectory_);
    displayFont_ = c_.Text1->font();
    load();
}

Form1::~Form1()
{
    qApp->removeEventFilter(this);
    journal_.notices().release();
    journal_.clearWrittenListener(this);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        if (event->type() == QEvent::Hide && stage_ && watched == stage_)
            stageHidden();
        return false;
    }
    // Keys of every window are seen: a held key's repeat may have closed a message box,
    // and the next repeat that comes here must still count as the same press.
    const auto &key = static_cast<const QKeyEvent &>(*event);
    const bool press = key.type() == QEvent::KeyPress;
    const int modifiers = key.modifiers().toInt();
    const ShortcutKeys::Verdict verdict =
        keys_.keyEvent(press, key.key(), modifiers, key.timestamp(), key.isAutoRepeat());
    const ToggleKey::Verdict stageVerdict =
        stageKey_.keyEvent(press, key.key(), modifiers, key.timestamp(), key.isAutoRepeat());
    const ToggleKey::Verdict soundVerdict =
        soundKey_.keyEvent(press, key.key(), modifiers, key.timestamp(), key.isAutoRepeat());
    if (voidKey(watched, key))
        return true;
    // The stage view's keys are this window's: a presenter remote drives the draw there.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || (widget->window() != this && (!stage_ || widget->window() != stage_)))
        return false;
    if (stageVerdict != ToggleKey::Verdict::NotThisKey) {
        if (stageVerdict == ToggleKey::Verdict::Toggle)
            toggleStage();
        return true;
    }
    if (soundVerdict != ToggleKey::Verdict::NotThisKey) {
        if (soundVerdict == ToggleKey::Verdict::Toggle)
            toggleSound();
        return true;
    }
    if (verdict == ShortcutKeys::Verdict::NotShortcut)
        return false;
    // Consumed either way: a focused button or the display must not react as well.
    if (verdict == ShortcutKeys::Verdict::Run)
        runShortcut();
    return true;
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    clearNativeWindowTitle(this);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Module1::ScaleLayout(*this);
    bt();
    placeSoundMark();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (leaving_ || writeReportBeforeLeaving())
        event->accept();
    else
        event->ignore();
}

void Form1::load()
{
    engine_.clearTexts();
    renderTexts();
    const QChar separator = nativeSeparator();
    const QString settingsPath = readerPath(programDirectory_, SettingsFileName, separator);
    const QString candidatesPath = readerPath(programDirectory_, CandidateFileName, separator);

    const SettingsLines settings = readSettingsFile(settingsPath);
    engine_.applySettings(settings.title(), settings.quotas());
    for (QLabel *title : {c_.L2, c_.L3}) {
        title->setText(shownLine(settings.title()));
        title->adjustSize();
    }
    bt();

    CandidatePool list = readCandidatePool(candidatesPath);
    journalDrawStart(loaded_ ? JournalEvent::Reset : JournalEvent::DrawStart, candidatesPath, list);
    loaded_ = true;
    engine_.state().candidates.fill(std::move(list.names));
    Module1::RecordLayout(*this);

    for (const FileResult &result : {settings.result, list.result})
        if (!result.ok())
            notifier_.warning(Notice, result.error);
    loadBatchSizes();
}

void Form1::bt()
{
    // Centred on the banner picture; L3 stands one pixel (15 twips) up and left of L2.
    const QRect banner = c_.Image1->geometry();
    const float top = banner.y() + (banner.height() - c_.L2->height()) / 2.0f;
    const float left = banner.x() + (banner.width() - c_.L2->width()) / 2.0f;
    c_.L2->move(qRound(left), qRound(top));
    c_.L3->move(c_.L2->x() - 1, c_.L2->y() - 1);
}

void Form1::T1setup()
{
    // The newest winner stands at the top: caret there, and that line in view.
    c_.T1->setFocus();
    c_.T1->moveCursor(QTextCursor::Start);
    c_.T1->ensureCursorVisible();
}

void Form1::showInDisplay(const QString &text)
{
    showingRoll_ = true;
    c_.Text1->setText(text);
    showingRoll_ = false;
}

void Form1::displayChanged(const QString &text)
{
    if (showingRoll_)
        return;
    // A batch's list takes no typing (the box is read-only then); whatever came is undone.
    if (engine_.batchRolls())
        return showInDisplay(engine_.state().display);
    engine_.editDisplay(text);
    if (stage_)
        stage_->showRollingName();
}

void Form1::holdNotices()
{
    journal_.notices().hold();
    laterNotices_.hold();
}

void Form1::releaseNoticesUnlessRolling()
{
    if (engine_.state().captions != DrawState::startCaptions())
        return;
    journal_.notices().release();
    laterNotices_.release();
}

void Form1::clickTier(PrizeTier tier)
{
    handle(engine_.click(tier), tier);
}

void Form1::runShortcut()
{
    // Which tier the shortcut drives is known before it acts; with every tier done the
    // tier is not used.
    const PrizeTier tier = engine_.shortcutTier().value_or(PrizeTier::Third);
    handle(engine_.shortcut(), tier);
}

void Form1::handle(DrawOutcome outcome, PrizeTier tier)
{
    renderButtons();
    syncTimer();
    renderDisplayMode(outcome == DrawOutcome::Started);
    const DrawState &state = engine_.state();
    switch (outcome) {
    case DrawOutcome::Started:
        holdNotices();
        journal_.catchUp();
        break;
    case DrawOutcome::Unlisted:
    case DrawOutcome::Edited:
        // The tier has stopped: declining leaves it idle with nothing recorded.
        if (notifier_.askRecordAnyway(Notice, outcome == DrawOutcome::Unlisted
                                                  ? unlistedStopText(tier, state.display)
                                                  : editedStopText(tier, state.display)))
            handle(engine_.recordTyped(), tier);
        break;
    case DrawOutcome::Recorded:
        recordedStop(tier);
        break;
    case DrawOutcome::NoWinner:
        break;
    case DrawOutcome::NoOneLeft:
        notifier_.information(Notice, QStringLiteral("名单中已没有可抽取的人"));
        break;
    case DrawOutcome::CounterFull:
        notifier_.warning(Notice, QStringLiteral("该奖项的中奖人数已达计数上限 %1，不能再记录。")
                                      .arg(std::numeric_limits<qint32>::max()));
        break;
    case DrawOutcome::AllTiersDone:
        notifier_.information(Notice, QStringLiteral("抽奖任务已完成"));
        break;
    }
    // The stop is recorded: what came meanwhile may take the keys now.
    releaseNoticesUnlessRolling();
}

void Form1::tick()
{
    switch (engine_.tick()) {
    case TickOutcome::Shown:
        showInDisplay(engine_.state().display);
        if (stage_)
            stage_->showRollingName();
        break;
    case TickOutcome::SingleCandidate:
        // The audience learns it on the stage while the operator reads the box.
        if (stage_)
            stage_->showDraw();
        notifier_.information(
            Notice, QStringLiteral("现在只剩下一人参与抽奖，中奖率为100%,抽奖已失去意义！"));
        engine_.singleCandidateNoticeClosed();
        syncTimer();
        break;
    case TickOutcome::Idle:
    case TickOutcome::EmptyPool:
        break;
    }
}

void Form1::Format()
{
    engine_.clearForReset();
    syncTimer();
    sound(SoundEvent::Reset);
    renderButtons();
    renderTexts();
    load();
    engine_.resetCaptions();
    renderButtons();
    renderDisplayMode(true);
    releaseNoticesUnlessRolling();
    notifier_.information(Notice, QStringLiteral("初始化完毕,计数器已清零"));
}

void Form1::Exit()
{
    if (!writeReportBeforeLeaving())
        return;
    leaving_ = true;
    emit exitRequested();
}

void Form1::openWebLink()
{
    notifier_.openUrl(QUrl(WebAddress));
}

void Form1::renderButtons()
{
    const DrawState &state = engine_.state();
    for (std::size_t i = 0; i < c_.tierButtons.size(); ++i) {
        c_.tierButtons[i]->setText(state.captions[i]);
        c_.tierButtons[i]->setEnabled(state.enabled[i]);
    }
    // Every step of the draw ends with the buttons rendered; the stage view follows.
    if (stage_)
        stage_->showDraw();
}

void Form1::renderTexts()
{
    const DrawState &state = engine_.state();
    showInDisplay(state.display);
    c_.T1->setPlainText(forDisplay(state.log));
    c_.Text2->setPlainText(state.status);
}

void Form1::syncTimer()
{
    const int interval = engine_.state().timerInterval;
    if (interval == 0)
        c_.Timer1->stop();
    else if (!c_.Timer1->isActive() || c_.Timer1->interval() != interval)
        c_.Timer1->start(interval);
    // The roll music runs with the names.
    sound(interval == 0 ? SoundEvent::RollStopped : SoundEvent::RollStarted);
}
