// Form1's results and where they are kept: voiding the winner on the caret's line when
// that person is not there, the report routine, the journal's lines and the resume.
#include "form1.h"

#include "stageview.h"

#include "journalfields.h"
#include "journaltexts.h"
#include "notifier.h"
#include "programpaths.h"
#include "reportfile.h"
#include "reportkeeping.h"
#include "resultsheet.h"
#include "resumeblock.h"
#include "winnervoid.h"

#include <QAction>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextBlock>

namespace {

const QString Notice = QStringLiteral("提示");
const QString ReportNotice = QStringLiteral("提示:");

// The question after the report failed on the way out. With the journal behind as well,
// closing now leaves the results in no file at all, and the question says so.
QString failedReportQuestion(const QString &error, qsizetype journalBehind)
{
    QString text = error + QStringLiteral("\n\n");
    if (journalBehind > 0)
        text += QStringLiteral("抽奖日志也写不进去：现在关闭，这次抽奖的结果就不会留在任何文件里。"
                               "请把获奖名单另存到其他文件夹（例如桌面或 U 盘）。\n\n");
    return text + QStringLiteral("“重试”再次保存获奖名单；“") + SaveElsewhereCaption +
           QStringLiteral("”把获奖名单保存到您选择的文件夹（默认是桌面）；"
                          "“不保存，关闭”放弃保存并关闭；“取消”保留窗口和全部抽奖结果。");
}

} // namespace

void Form1::setUpVoiding()
{
    auto *voidLine = new QAction(QStringLiteral("作废（未到场）"), c_.T1);
    connect(voidLine, &QAction::triggered, this, &Form1::voidAtCaret);
    c_.T1->addAction(voidLine);
    // The log is read-only, so its menu holds its own items (this one, and the import of
    // listimport.cpp); a right click first puts the caret on the line clicked, the line
    // the void acts on.
    c_.T1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(c_.T1, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        c_.T1->setTextCursor(c_.T1->cursorForPosition(at));
        QMenu menu(c_.T1);
        menu.addActions(c_.T1->actions());
        menu.exec(c_.T1->viewport()->mapToGlobal(at));
    });
}

bool Form1::voidKey(QObject *watched, const QKeyEvent &key)
{
    // On the stage, Delete is for the winner just shown, the newest: the operator facing
    // the hall has no caret to place, and closing the stage to void would show the hall
    // the desktop.
    const auto *widget = qobject_cast<const QWidget *>(watched);
    const bool onStage = stage_ && widget && widget->window() == stage_;
    if ((watched != c_.T1 && !onStage) || key.key() != Qt::Key_Delete ||
        (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    // A held Delete asks once.
    if (key.type() == QEvent::KeyPress && !key.isAutoRepeat()) {
        if (onStage)
            voidOnLine(0);
        else
            voidAtCaret();
    }
    return true;
}

void Form1::voidAtCaret()
{
    // One log line is one line of the box (shownLine keeps a name to one), so the
    // caret's block is the log line.
    voidOnLine(c_.T1->textCursor().blockNumber());
}

void Form1::voidOnLine(int line)
{
    switch (engine_.checkVoid(line)) {
    case VoidOutcome::Rolling:
        notifier_.information(Notice, voidWhileRollingText());
        return;
    case VoidOutcome::EmptyLine:
        notifier_.information(Notice, voidOnEmptyLineText());
        return;
    case VoidOutcome::Voided:
        break;
    }
    const qsizetype place = *engine_.placeOnLine(line);
    const DrawnWinner winner = engine_.state().winners[place];
    if (!notifier_.confirm(Notice, voidQuestionText(winner.tier, winner.name)))
        return;
    // On the disk before it shows, as a winner is; the box was modal and no tier rolled,
    // so the line still holds that winner.
    journal_.write(voidJournalFields(winner.tier, winner.name, winner.journalLine,
                                     engine_.state().drawnCount));
    engine_.voidPlace(line);
    sound(SoundEvent::Voided);

    // Only that line leaves the box: the log is never rebuilt as a whole.
    const QTextBlock block = c_.T1->document()->findBlockByNumber(line);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + block.length(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    showInDisplay(engine_.state().display);
    c_.Text2->setPlainText(engine_.state().status);
    renderButtons();
    T1setup();
}

Form1::ReportOutcome Form1::sava(QString *error)
{
    return saveReport(writerPath(programDirectory_, ReportFileName, nativeSeparator()),
                      writerPath(programDirectory_, ResultSheetFileName, nativeSeparator()), error);
}

Form1::ReportOutcome Form1::saveReport(const QString &path, const QString &sheetPath,
                                       QString *error)
{
    if (ys_ && ys_())
        return ReportOutcome::Suppressed;
    const DrawState &state = engine_.state();
    QStringList typed, typedListed;
    qsizetype standing = 0;
    for (const DrawnWinner &winner : state.winners) {
        if (winner.voided)
            continue;
        ++standing;
        if (winner.typed)
            (winner.listed ? typedListed : typed) << logLine(winner.tier, winner.name);
    }
    // A report listing more winners is kept before this one replaces it.
    const KeptReport kept = keepFullerReport(path, standing, {sheetPath});
    FileResult result = kept.result;
    if (result.ok())
        result =
            writeReportFile(path, state.log, state.status, state.voidedLines, typed, typedListed);
    if (!result.ok()) {
        journal_.write({JournalEvent::ReportFailed, escapeJournalField(path),
                        escapeJournalField(result.error)});
        if (error)
            *error = result.error;
        return ReportOutcome::Failed;
    }
    saveResultSheet(sheetPath);
    journal_.write({JournalEvent::ReportSaved, escapeJournalField(path)});
    lastReport_ = path;
    notifier_.beep();
    notifier_.information(ReportNotice,
                          QStringLiteral("获奖数据已保存在") + path + keptReportText(kept));
    return ReportOutcome::Written;
}

bool Form1::writeReportBeforeLeaving()
{
    // The results are never dropped silently: a failed report asks before the window goes,
    // and offers another folder when the program's own cannot take it.
    lastReport_.clear();
    for (;;) {
        QString error;
        if (sava(&error) != ReportOutcome::Failed)
            break;
        switch (notifier_.askAfterFailedWrite(
            ReportNotice, failedReportQuestion(error, journal_.linesBehind()))) {
        case Notifier::FailedWriteChoice::Retry:
            continue;
        case Notifier::FailedWriteChoice::SaveElsewhere:
            if (saveElsewhere())
                break;
            continue;
        case Notifier::FailedWriteChoice::CloseWithoutReport:
            break;
        case Notifier::FailedWriteChoice::KeepWindowOpen:
            return false;
        }
        break;
    }
    emit leaving(lastReport_);
    return true;
}

bool Form1::saveElsewhere()
{
    if (elsewhere_.isEmpty()) {
        elsewhere_ = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (elsewhere_.isEmpty())
            elsewhere_ = QDir::homePath();
    }
    const std::optional<QString> folder =
        notifier_.chooseFolder(QStringLiteral("获奖名单保存到哪个文件夹"), elsewhere_);
    if (!folder)
        return false;
    elsewhere_ = *folder;
    const QChar separator = nativeSeparator();
    QString error;
    if (saveReport(readerPath(*folder, ReportFileName, separator),
                   readerPath(*folder, ResultSheetFileName, separator),
                   &error) == ReportOutcome::Written)
        return true;
    notifier_.warning(ReportNotice, error);
    return false;
}

void Form1::resume(const InterruptedDraw &draw)
{
    // The resumed winners and their voids go into the journal in one write, as they stood.
    const ResumePlan plan = planResume(draw);
    journal_.ledger().noteResumed(plan);
    journal_.writeRecords(resumedBlock(plan, engine_.restoreWinners(plan.winners, plan.voids)));
    renderButtons();
    renderTexts();
    T1setup();
    if (!draw.listSha256.isEmpty() && draw.listSha256 != listSha256_)
        notifier_.warning(Notice, listChangedText(readerPath(programDirectory_, CandidateFileName,
                                                             nativeSeparator())));
}

void Form1::journalDrawStart(const QString &event, const QString &listPath,
                             const CandidatePool &list)
{
    listSha256_ = QString::fromLatin1(list.sha256);
    noteDrawStart(listPath, list);
    const DrawState &state = engine_.state();
    journal_.write(drawStartJournalFields(event, state.eventTitle, state.quota, listPath, list));
}
