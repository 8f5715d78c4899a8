#include "importdialog.h"

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
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int PreviewRows = 12;
constexpr int ShownDuplicates = 5;
constexpr int ShownExamples = 3;

QString number(qsizetype n)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(qint64(n));
}

QString columnTitle(const SheetTable &table, int column, std::optional<qsizetype> header)
{
    QString title = SheetTable::columnName(column);
    if (header) {
        const QStringView text = table.cell(*header, column);
        if (!text.isEmpty())
            title += QStringLiteral("：") + text.left(20).toString();
    }
    return title;
}

} // namespace

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
    headerBox_ = new QCheckBox(QStringLiteral("第一行是表头，不导入"), this);
    headerBox_->setObjectName(QStringLiteral("headerBox"));
    form->addRow(QString(), headerBox_);
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

    for (QWidget *w : {static_cast<QWidget *>(sheetBox_), static_cast<QWidget *>(nameBox_),
                       static_cast<QWidget *>(detailBox_), static_cast<QWidget *>(headerBox_)})
        w->setEnabled(false);
    connect(sheetBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!updating_ && index >= 0 && index != sheet_)
            startReading(index);
    });
    connect(nameBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (updating_)
            return;
        // A new choice of column: its header is looked for afresh.
        header_ = recognisedHeaderRow(table_, nameBox_->currentData().toInt(),
                                      detailBox_->currentData().toInt());
        updating_ = true;
        headerBox_->setChecked(header_.has_value());
        updating_ = false;
        choiceChanged();
    });
    connect(detailBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (!updating_)
            choiceChanged();
    });
    connect(headerBox_, &QCheckBox::toggled, this, [this] {
        if (!updating_)
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
    const bool workbook = source_->description().startsWith(u"Excel");
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
    headerBox_->setChecked(header_.has_value());
    for (QWidget *w : {static_cast<QWidget *>(sheetBox_), static_cast<QWidget *>(nameBox_),
                       static_cast<QWidget *>(detailBox_), static_cast<QWidget *>(headerBox_)})
        w->setEnabled(!table_.isEmpty() || w == sheetBox_);
    updating_ = false;
    choiceChanged();
}

void ImportDialog::choiceChanged()
{
    columns_.name = nameBox_->currentData().toInt();
    columns_.detail = detailBox_->currentData().toInt();
    if (columns_.detail == columns_.name)
        columns_.detail = -1;
    // Left out: the recognised header and the rows above it, or the first row with text
    // when the operator says it is a header.
    const std::optional<qsizetype> first = firstTextRow(table_);
    const std::optional<qsizetype> header = header_ ? header_ : first;
    columns_.firstRow = headerBox_->isChecked() && header ? *header + 1 : 0;
    if (header_)
        headerBox_->setText(*header_ > (first ? *first : 0)
                                ? QStringLiteral("第 %1–%2 行是标题和表头，不导入")
                                      .arg(*first + 1)
                                      .arg(*header_ + 1)
                                : QStringLiteral("第 %1 行是表头，不导入").arg(*header_ + 1));
    else
        headerBox_->setText(first ? QStringLiteral("第 %1 行是表头，不导入").arg(*first + 1)
                                  : QStringLiteral("第一行是表头，不导入"));

    if (!updating_)
        names_ = importNames(table_, columns_);
    fillPreview();

    QString text;
    const qsizetype count = names_.names.size();
    if (table_.isEmpty()) {
        text = QStringLiteral("这个工作表是空的，请选择另一个工作表。");
    } else if (count == 0) {
        text = QStringLiteral("这一列没有名字，请选择另一列。");
    } else {
        QStringList examples;
        for (qsizetype i = 0; i < std::min<qsizetype>(count, ShownExamples); ++i)
            examples << names_.names.at(i).toString().toHtmlEscaped();
        text = QStringLiteral("将导入 <b>%1</b> 个名字，例如：%2%3。")
                   .arg(number(count), examples.join(QStringLiteral("、")),
                        count > ShownExamples ? QStringLiteral("……") : QString());
        text += names_.emptyRows > 0
                    ? QStringLiteral("跳过空行 %1 行。").arg(number(names_.emptyRows))
                    : QStringLiteral("没有空行。");
        if (names_.duplicates.isEmpty()) {
            text += QStringLiteral("没有重复的名字。");
        } else {
            QStringList shown;
            for (qsizetype i = 0;
                 i < std::min<qsizetype>(names_.duplicates.size(), ShownDuplicates); ++i) {
                const DuplicateName &d = names_.duplicates[i];
                shown << QStringLiteral("%1（%2 次）")
                             .arg(d.name.toHtmlEscaped())
                             .arg(d.lineNumbers.size());
            }
            text +=
                QStringLiteral("<br><span style=\"color:#b00000\">有 %1 个名字重复：%2%3。</span>"
                               "同一个名字在奖池里出现几次，中奖机会就是几倍；如果是不同的人，"
                               "请在括号里加上部门或工号来区分。")
                    .arg(number(names_.duplicates.size()), shown.join(QStringLiteral("、")),
                         names_.duplicates.size() > ShownDuplicates ? QStringLiteral("……")
                                                                    : QString());
        }
    }
    summary_->setText(text);
    for (QAbstractButton *button : buttons_->buttons()) {
        if (buttons_->buttonRole(button) == QDialogButtonBox::AcceptRole)
            button->setEnabled(count > 0);
    }
}

void ImportDialog::fillPreview()
{
    const QList<int> columns = table_.columns();
    preview_->clear();
    preview_->setColumnCount(int(columns.size()));
    QStringList titles;
    for (int column : columns)
        titles << columnTitle(table_, column, header_);
    preview_->setHorizontalHeaderLabels(titles);
    // A few columns share the width; many keep theirs and scroll.
    preview_->horizontalHeader()->setSectionResizeMode(
        columns.size() <= 5 ? QHeaderView::Stretch : QHeaderView::Interactive);
    const qsizetype first = firstTextRow(table_).value_or(0);
    QStringList rowNames;
    QList<qsizetype> rows;
    for (qsizetype row = first; row < table_.rowCount() && rows.size() < PreviewRows; ++row)
        rows.append(row);
    preview_->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const qsizetype row = rows[r];
        rowNames << QString::number(row + 1);
        const bool leftOut = row < columns_.firstRow;
        for (int c = 0; c < columns.size(); ++c) {
            auto *item = new QTableWidgetItem(table_.cell(row, columns[c]).toString());
            const bool chosen = columns[c] == columns_.name || columns[c] == columns_.detail;
            if (leftOut) {
                item->setForeground(QColor(0x80, 0x80, 0x80));
                QFont font = item->font();
                font.setItalic(true);
                item->setFont(font);
            } else if (chosen) {
                item->setBackground(QColor(0xE0, 0xF0, 0xFF));
            }
            preview_->setItem(r, c, item);
        }
    }
    preview_->setVerticalHeaderLabels(rowNames);
}
