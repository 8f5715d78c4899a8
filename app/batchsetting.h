#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class Form1;
class Notifier;
class QAction;
class QWidget;

// How many winners one press draws, per tier, set from the main window without a control
// of its own: "每次抽取人数…" in the context menu of the window's background and of the
// results log, beside "导入名单…". Refused while a tier rolls. The window (batch/) edits
// the four numbers; OK keeps them in 每次抽取人数.txt beside the program and gives them to
// the draw at once. A file that cannot be written is said, and the numbers hold for this
// run all the same.
class BatchSetting : public QObject {
    Q_OBJECT
public:
    BatchSetting(Form1 &window, Notifier &notifier, const QString &programDirectory);

    void chooseAndApply();
    QAction *action() const { return action_; }
    // Asks for the numbers; the window of batch/ unless a test puts its own. No answer
    // changes nothing.
    using Ask = std::function<std::optional<std::array<int, 4>>(
        QWidget *parent, const std::array<int, 4> &sizes, const std::array<qint32, 4> &quotas)>;
    Ask ask;

private:
    Form1 &window_;
    Notifier &notifier_;
    QString programDirectory_;
    QAction *action_ = nullptr;
};
