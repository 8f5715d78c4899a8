#include "form2.h"

#include "notifier.h"
#include "programpaths.h"
#include "settingsfile.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>
#include <limits>

namespace {

const QString MessageTitle = QStringLiteral("提示");

// The window is laid out in twips (15 to a pixel) so the numbers read like the
// designer's; every value divides evenly.
constexpr QRect twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

QPushButton *addButton(QWidget *parent, const char *name, const QString &caption, QRect rect)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(rect);
    // Enter in a text box must not save and Esc must not cancel.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// Label1 is a control array: the labels share a name and differ by their index.
QLabel *addLabel(QWidget *parent, int index, const QString &caption, QRect rect)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QStringLiteral("Label1"));
    label->setProperty("index", index);
    label->setGeometry(rect);
    return label;
}

QLineEdit *addText(QWidget *parent, int index, QRect rect)
{
    auto *text = new QLineEdit(parent);
    text->setObjectName(QStringLiteral("Text%1").arg(index));
    text->setGeometry(rect);
    text->setMaxLength(std::numeric_limits<int>::max());
    return text;
}

} // namespace

Form2::Form2(Notifier &notifier, const QString &programDirectory, QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      notifier_(notifier), programDirectory_(programDirectory)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("设置软件标题和抽奖人数"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window would not keep the program running on its own; this one does, like
    // any other window of the program.
    setAttribute(Qt::WA_QuitOnClose);
    resize(twips(0, 0, 6300, 2445).size());

    command1_ =
        addButton(this, "Command1", QStringLiteral("保存设置"), twips(1680, 1920, 1215, 375));
    auto *frame1 = new QGroupBox(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(twips(240, 120, 5895, 1695));

    // The labels are made first so the text boxes they touch stay on top of them.
    auto *title =
        addLabel(frame1, 0, QStringLiteral("此次抽奖活动名称"), twips(240, 360, 735, 375));
    title->setWordWrap(true);
    // Its two lines must both show, also where the default font is taller than the one
    // the box was measured for.
    title->resize(title->width(), std::max(title->height(), title->heightForWidth(title->width())));
    addLabel(frame1, 1, QStringLiteral("设置获取3等奖人数"), twips(120, 960, 1815, 255));
    addLabel(frame1, 4, QStringLiteral("设置获得1等奖人数"), twips(120, 1320, 1695, 255));
    addLabel(frame1, 5, QStringLiteral("设置获取特等奖人数"), twips(2760, 1320, 1695, 255));
    addLabel(frame1, 2, QStringLiteral("设置获取2等奖人数"), twips(2880, 960, 1575, 255));

    texts_[0] = addText(frame1, 0, twips(1200, 360, 4455, 375));
    texts_[0]->setToolTip(QStringLiteral("在此输入活动标题，即软件显示的标题"));
    texts_[1] = addText(frame1, 1, twips(1800, 840, 975, 375));
    texts_[2] = addText(frame1, 2, twips(4440, 840, 975, 375));
    texts_[3] = addText(frame1, 3, twips(1800, 1200, 975, 375));
    texts_[4] = addText(frame1, 4, twips(4440, 1200, 975, 375));

    auto *command2 =
        addButton(this, "Command2", QStringLiteral("取　消"), twips(3720, 1920, 1095, 375));

    // The second-prize box is reached only after the cancel button.
    QWidget::setTabOrder(command1_, texts_[0]);
    QWidget::setTabOrder(texts_[0], texts_[1]);
    QWidget::setTabOrder(texts_[1], texts_[3]);
    QWidget::setTabOrder(texts_[3], texts_[4]);
    QWidget::setTabOrder(texts_[4], command2);
    QWidget::setTabOrder(command2, texts_[2]);

    connect(command1_, &QPushButton::clicked, this, &Form2::save);
    connect(command2, &QPushButton::clicked, this, &QWidget::close);

    load();
}

void Form2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only when the window opens, not when the system shows it again.
    if (!event->spontaneous())
        command1_->setFocus(Qt::ActiveWindowFocusReason);
}

void Form2::load()
{
    const QString path = readerPath(programDirectory_, SettingsFileName, nativeSeparator());
    SettingsLines file = readSettingsFile(path);
    if (!file.result.ok()) {
        // A missing file is no error here: the save creates it.
        if (QFileInfo::exists(path))
            notifier_.warning(MessageTitle, file.result.error);
        file = SettingsLines{};
    }
    const std::array<QString, 5> shown = file.settingsWindowTexts();
    for (std::size_t i = 0; i < texts_.size(); ++i)
        texts_[i]->setText(shown[i]);
}

void Form2::save()
{
    const QString path = writerPath(programDirectory_, SettingsFileName, nativeSeparator());
    std::array<QString, 5> typed;
    for (std::size_t i = 0; i < texts_.size(); ++i)
        typed[i] = texts_[i]->text();

    const FileResult written = writeSettingsFile(path, typed);
    if (!written.ok()) {
        // Nothing was replaced: keep the main window and the edits so the operator can
        // fix the cause and save again.
        notifier_.warning(MessageTitle, written.error);
        return;
    }

    ys_ = true;
    emit settingsSaved();
    notifier_.information(MessageTitle,
                          QStringLiteral("本次抽奖活动名称及设定获奖人数数据已保存在: ") + path);
    // The window is deleted later, from the event loop, so the flag can still be lowered.
    close();
    ys_ = false;
}
