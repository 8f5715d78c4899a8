#include "batchsetting.h"

#include "batchdialog.h"
#include "batchfile.h"
#include "form1.h"
#include "notifier.h"
#include "programpaths.h"

#include <QAction>
#include <QPlainTextEdit>

namespace {

std::optional<std::array<int, 4>> askWithDialog(QWidget *parent, const std::array<int, 4> &sizes,
                                                const std::array<qint32, 4> &quotas)
{
    BatchDialog dialog(sizes, quotas, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.sizes();
}

} // namespace

BatchSetting::BatchSetting(Form1 &window, Notifier &notifier, const QString &programDirectory)
    : QObject(&window), ask(askWithDialog), window_(window), notifier_(notifier),
      programDirectory_(programDirectory)
{
    setObjectName(QStringLiteral("BatchSetting"));
    action_ = new QAction(QStringLiteral("每次抽取人数…"), this);
    action_->setObjectName(QStringLiteral("batchAction"));
    connect(action_, &QAction::triggered, this, &BatchSetting::chooseAndApply);
    // Beside the import, in the background's menu and the log's.
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
    window.addAction(action_);
    window.controls().T1->addAction(action_);
}

void BatchSetting::chooseAndApply()
{
    const DrawState &state = window_.engine().state();
    if (state.captions != DrawState::startCaptions()) {
        notifier_.information(QStringLiteral("提示"),
                              QStringLiteral("正在抽奖，不能改每次抽取人数。请先停止抽奖。"));
        return;
    }
    const std::optional<std::array<int, 4>> sizes = ask(&window_, state.batchSize, state.quota);
    // A tier may not have started meanwhile (the window is modal), but the check is cheap.
    if (!sizes || window_.engine().state().captions != DrawState::startCaptions())
        return;
    window_.setBatchSizes(*sizes);
    const QString path = writerPath(programDirectory_, BatchFileName, nativeSeparator());
    if (const FileResult written = writeBatchFile(path, *sizes); !written.ok())
        notifier_.warning(QStringLiteral("提示"),
                          written.error + QStringLiteral("\n\n这次运行照新的人数抽取；"
                                                         "程序重新启动后恢复原来的设定。"));
}
