#include "listimport.h"

#include "form1.h"
#include "importdialog.h"
#include "importnames.h"
#include "journal.h"
#include "journalwriter.h"
#include "notifier.h"
#include "programpaths.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

namespace {

const QString Notice = QStringLiteral("提示");
// The journal's line for an import; the resume reads past it.
const QString ImportEvent = QStringLiteral("导入名单");

QString number(qsizetype n)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(qint64(n));
}

// The one local file a drag carries, or nothing.
QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files << QDir::toNativeSeparators(url.toLocalFile());
    }
    return files;
}

QString chooseWithDialog(QWidget *parent)
{
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("导入名单"),
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).exists()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
            : QDir::homePath(),
        QStringLiteral("名单文件 (*.xlsx *.xlsm *.xls *.et *.ods *.csv *.txt);;"
                       "Excel 工作簿 (*.xlsx *.xlsm *.xls);;WPS 表格 (*.et);;"
                       "OpenDocument 表格 (*.ods);;文本文件 (*.csv *.txt);;所有文件 (*)"));
}

} // namespace

ListImport::ListImport(Form1 &window, Notifier &notifier, JournalWriter &journal,
                       const QString &programDirectory)
    : QObject(&window), window_(window), notifier_(notifier), journal_(journal),
      programDirectory_(programDirectory)
{
    chooseFile = chooseWithDialog;
    setObjectName(QStringLiteral("ListImport"));
    action_ = new QAction(QStringLiteral("导入名单…"), this);
    action_->setObjectName(QStringLiteral("importAction"));
    connect(action_, &QAction::triggered, this, &ListImport::chooseAndImport);

    // The window's background: a right click on any part of it that has no menu of its own.
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
    window.addAction(action_);
    // The results log's menu shows the log's actions.
    window.controls().T1->addAction(action_);

    // A file dropped anywhere on the window: no control takes a drop for itself.
    for (QWidget *child : window.findChildren<QWidget *>())
        child->setAcceptDrops(false);
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

bool ListImport::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &window_)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!localFiles(drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList files = localFiles(drop->mimeData());
        if (files.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        // The dialog opens after the drop has ended: the dragging program waits for it.
        QPointer<ListImport> self(this);
        QTimer::singleShot(0, this, [self, files] {
            if (!self)
                return;
            if (files.size() > 1)
                self->notifier_.information(
                    Notice, QStringLiteral("一次只能导入一个文件，请只拖入名单文件。"));
            else
                self->importFile(files.first());
        });
        return true;
    }
    default:
        return false;
    }
}

bool ListImport::mayImport()
{
    const DrawState &state = window_.engine().state();
    if (state.captions != DrawState::startCaptions()) {
        notifier_.information(Notice,
                              QStringLiteral("正在抽奖，不能导入名单。请先停止抽奖，再导入。"));
        return false;
    }
    if (!state.winners.isEmpty()) {
        const QString question =
            QStringLiteral("已经抽出 %1 位中奖者。导入新名单会让抽奖重新开始：中奖记录清空，"
                           "计数器归零，所有奖项恢复可用（抽奖日志仍保留每一位中奖者）。"
                           "要留下中奖结果，请先取消，点“保存获奖数据”。\n\n继续导入吗？")
                .arg(state.winners.size());
        if (!notifier_.confirm(Notice, question))
            return false;
    }
    return true;
}

void ListImport::chooseAndImport()
{
    if (busy_ || !mayImport())
        return;
    const QString path = chooseFile ? chooseFile(&window_) : QString();
    if (path.isEmpty())
        return;
    importFile(path, false);
}

void ListImport::importFile(const QString &path)
{
    importFile(path, true);
}

void ListImport::importFile(const QString &path, bool ask)
{
    if (busy_ || (ask && !mayImport()))
        return;
    // One import at a time: a drop while the dialog is open is ignored.
    const QScopedValueRollback busy(busy_, true);

    auto dialog = std::make_unique<ImportDialog>(path, &window_);
    if (dialog->exec() != QDialog::Accepted) {
        const ReadFailure &failure = dialog->failure();
        if (!failure.ok() && failure.kind != ReadFailure::Kind::Cancelled)
            notifier_.warning(Notice,
                              listSourceFailureText(QDir::toNativeSeparators(path), failure) +
                                  QStringLiteral("\n\n名单（cjk.txt）没有改变。"));
        return;
    }
    // A tier may not have started meanwhile (the dialog is modal), but the check is cheap.
    const DrawState &state = window_.engine().state();
    if (state.captions != DrawState::startCaptions())
        return;

    const QString listPath = writerPath(programDirectory_, CandidateFileName, nativeSeparator());
    const QString source = dialog->sourceName();
    const qsizetype count = dialog->names().names.size();
    QString kept;
    FileResult written;
    {
        const QByteArray bytes = importedListBytes(dialog->names().names);
        // The sheet and its names go before the old list is read for its copy, and before
        // the draw reads the new one: a million rows are not held beside both.
        dialog.reset();
        written = writeImportedList(listPath, bytes, &kept);
    }
    if (!written.ok()) {
        notifier_.warning(Notice, written.error + QStringLiteral("\n\n名单（cjk.txt）没有改变。"));
        return;
    }
    QStringList fields{ImportEvent, escapeJournalField(QDir::toNativeSeparators(path)),
                       escapeJournalField(source), QStringLiteral("人数=%1").arg(count)};
    if (!kept.isEmpty())
        fields << QStringLiteral("原名单=") + escapeJournalField(kept);
    journal_.write(fields);

    QString text =
        QStringLiteral("已从 %1 导入 %2 个名字，写入 %3。").arg(source, number(count), listPath);
    if (!kept.isEmpty())
        text += QStringLiteral("\n原来的名单保存为 %1。").arg(kept);
    text += QStringLiteral("\n\n现在初始化抽奖，奖池换成新名单。");
    notifier_.information(Notice, text);
    // The reset as the operator runs it: both files read afresh, the results
    // emptied, its own confirmation.
    window_.controls().Format->click();
}
