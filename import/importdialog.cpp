#include "importdialog.h"

#include "importtexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

ImportDialog::ImportDialog(const QString &path, QWidget *parent) : QDialog(parent), path_(path)
{
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("导入名单"));
    setModal(true);
    resize(760, 580);

    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    fileLabel_ = new QLabel(QDir::toNativeSeparators(path), this);
    fileLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fileLabel_->setWordWrap(true);
    form->addRow(QStringLiteral("文件："), fileLabel_);
    kindLabel_ = new QLabel(this);
    form->addRow(QStringLiteral("类型："), kindLabel_);

    sheetBox_ = new QComboBox(this);
    sheetBox_->setObjectName(QStringLiteral("sheetBox"));
    sheetLabel_ = new QLabel(QStringLiteral("工作表："), this);
    form->addRow(sheetLabel_, sheetBox_);

    auto *columnsRow = new QHBoxLayout;
    nameBox_ = new QComboBox(this);
    nameBox_->setObjectName(QStringLiteral("nameBox"));
    detailBox_ = new QComboBox(this);
    detailBox_->setObjectName(QStringLiteral("detailBox"));
    columnsRow->addWidget(nameBox_, 1);
    columnsRow->addWidget(new QLabel(QStringLiteral("括号里加上："), this));
    columnsRow->addWidget(detailBox_, 1);
    form->addRow(QStringLiteral("名字一列："), columnsRow);
    // The header: any row, or none; the rows up to it are left out, and the label says which.
    auto *headerRow = new QHBoxLayout;
    headerRow_ = new QSpinBox(this);
    headerRow_->setObjectName(QStringLiteral("headerRow"));
    headerRow_->setSpecialValueText(QStringLiteral("没有表头"));
    headerRow_->setPrefix(QStringLiteral("第 "));
    headerRow_->setSuffix(QStringLiteral(" 行"));
    headerRow_->setMinimumWidth(140);
    headerNote_ = new QLabel(this);
    headerNote_->setObjectName(QStringLiteral("headerNote"));
    headerRow->addWidget(headerRow_);
    headerRow->addWidget(headerNote_, 1);
    form->addRow(QStringLiteral("表头："), headerRow);
    notesBox_ = new QCheckBox(this);
    notesBox_->setObjectName(QStringLiteral("notesBox"));
    form->addRow(QString(), notesBox_);
    hiddenBox_ = new QCheckBox(this);
    hiddenBox_->setObjectName(QStringLiteral("hiddenBox"));
    form->addRow(QString(), hiddenBox_);
    layout->addLayout(form);

    preview_ = new QTableWidget(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview_->setSelectionMode(QAbstractItemView::NoSelection);
    preview_->horizontalHeader()->setDefaultSectionSize(130);
    layout->addWidget(preview_, 1);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setWordWrap(true);
    summary_->setTextFormat(Qt::RichText);
    layout->addWidget(summary_);

    readingLabel_ =
        new QLabel(QStringLiteral("正在读取 %1 …").arg(QFileInfo(path).fileName()), this);
    layout->addWidget(readingLabel_);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 1000);
    progress_->hide();
    layout->addWidget(progress_);

    auto *note =
        new QLabel(QStringLiteral("导入后，cjk.txt 换成这份名单（原来的名单另存一份放在它旁边），"
                                  "抽奖随即初始化。"),
                   this);
    note->setWordWrap(true);
    layout->addWidget(note);

    buttons_ = new QDialogButtonBox(this);
    QPushButton *ok = buttons_->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    QPushButton *cancel = buttons_->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    ok->setEnabled(false);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &ImportDialog::reject);

    setControlsEnabled(false);
    notesBox_->hide();
    hiddenBox_->hide();
    connect(sheetBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!updating_ && index >= 0 && index != sheet_)
            startReading(index);
    });
    connect(nameBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (!updating_)
            nameColumnChanged();
    });
    for (QCheckBox *box : {notesBox_, hiddenBox_}) {
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!updating_)
                choiceChanged();
        });
    }
    connect(detailBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (!updating_)
            choiceChanged();
    });
    connect(headerRow_, &QSpinBox::valueChanged, this, [this](int value) {
        if (updating_)
            return;
        header_ = value > 0 ? std::optional<qsizetype>(value - 1) : std::nullopt;
        // The columns' titles come from the header row.
        updating_ = true;
        for (QComboBox *box : {nameBox_, detailBox_}) {
            for (int i = 0; i < box->count(); ++i) {
                const int column = box->itemData(i).toInt();
                if (column >= 0)
                    box->setItemText(i, columnTitle(table_, column, header_));
            }
        }
        updating_ = false;
        choiceChanged();
    });

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(50);
    connect(progressTimer_, &QTimer::timeout, this, &ImportDialog::showProgress);
    startReading(-1);
}

void ImportDialog::showSheet()
{
    updating_ = true;
    kindLabel_->setText(source_->description());
    const QStringList sheets = source_->sheetNames();
    const bool workbook = source_->isWorkbook();
    sheetLabel_->setVisible(workbook);
    sheetBox_->setVisible(workbook);
    if (sheetBox_->count() != sheets.size()) {
        sheetBox_->clear();
        for (int i = 0; i < sheets.size(); ++i)
            sheetBox_->addItem(source_->isHidden(i) ? sheets[i] + QStringLiteral("（隐藏）")
                                                    : sheets[i]);
    }
    sheetBox_->setCurrentIndex(sheet_);

    nameBox_->clear();
    detailBox_->clear();
    detailBox_->addItem(QStringLiteral("（不加）"), -1);
    for (int column : table_.columns()) {
        const QString title = columnTitle(table_, column, header_);
        nameBox_->addItem(title, column);
        detailBox_->addItem(title, column);
    }
    nameBox_->setCurrentIndex(std::max(0, nameBox_->findData(columns_.name)));
    detailBox_->setCurrentIndex(std::max(0, detailBox_->findData(columns_.detail)));
    headerRow_->setRange(0, int(std::min<qsizetype>(table_.rowCount(), 1'048'576)));
    headerRow_->setValue(header_ ? int(*header_ + 1) : 0);
    notesBox_->setChecked(true);
    hiddenBox_->setChecked(false);
    setControlsEnabled(true);
    updating_ = false;
    choiceChanged();
}

void ImportDialog::setControlsEnabled(bool enabled)
{
    for (QWidget *w : {static_cast<QWidget *>(sheetBox_), static_cast<QWidget *>(nameBox_),
                       static_cast<QWidget *>(detailBox_), static_cast<QWidget *>(headerRow_),
                       static_cast<QWidget *>(notesBox_), static_cast<QWidget *>(hiddenBox_)})
        w->setEnabled(enabled && (!table_.isEmpty() || w == sheetBox_));
}

void ImportDialog::nameColumnChanged()
{
    // The notes under the list are looked for afresh in the new column.
    ImportColumns columns;
    columns.name = nameBox_->currentData().toInt();
    columns.firstRow = header_ ? *header_ + 1 : 0;
    notes_ = notesStart(table_, columns);
    updating_ = true;
    notesBox_->setChecked(true);
    updating_ = false;
    choiceChanged();
}

void ImportDialog::choiceChanged()
{
    columns_.name = nameBox_->currentData().toInt();
    columns_.detail = detailBox_->currentData().toInt();
    if (columns_.detail == columns_.name)
        columns_.detail = -1;
    columns_.firstRow = header_ ? *header_ + 1 : 0;
    columns_.endRow =
        notes_ && notesBox_->isChecked() && *notes_ >= columns_.firstRow ? *notes_ : -1;
    columns_.hiddenRows = hiddenBox_->isChecked();

    const std::optional<qsizetype> first = firstTextRow(table_);
    if (!header_)
        headerNote_->setText(QStringLiteral("从第一行起都导入"));
    else if (first && *first < *header_)
        headerNote_->setText(
            QStringLiteral("第 %1–%2 行（标题和表头）不导入").arg(*first + 1).arg(*header_ + 1));
    else
        headerNote_->setText(QStringLiteral("第 %1 行（表头）不导入").arg(*header_ + 1));

    const bool notes = notes_ && *notes_ >= columns_.firstRow;
    notesBox_->setVisible(notes);
    if (notes) {
        const qsizetype last = table_.rowCount();
        const QString example = table_.cell(*notes_, columns_.name).left(20).toString();
        notesBox_->setText((last - *notes_ > 1
                                ? QStringLiteral("第 %1–%2 行").arg(*notes_ + 1).arg(last)
                                : QStringLiteral("第 %1 行").arg(last)) +
                           QStringLiteral("（“%1”）是名单下方的合计或签名，不导入").arg(example));
    }

    if (!updating_)
        names_ = importNames(table_, columns_);
    const qsizetype hidden = columns_.hiddenRows ? 0 : names_.hiddenRows;
    hiddenBox_->setVisible(hidden > 0 || columns_.hiddenRows);
    if (hidden > 0)
        hiddenBox_->setText(
            QStringLiteral("也导入隐藏的 %1 行（在表格里隐藏或被筛选掉的行）").arg(number(hidden)));
    fillPreview();
    showSummary();
    for (QAbstractButton *button : buttons_->buttons()) {
        if (buttons_->buttonRole(button) == QDialogButtonBox::AcceptRole)
            button->setEnabled(names_.names.size() > 0);
    }
}
