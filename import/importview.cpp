// What the dialog shows of the choice: the preview of the sheet, its start and its end,
// and the summary of what the import gives and leaves out.
#include "importdialog.h"
#include "importtexts.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

namespace {

constexpr int PreviewRows = 12;
// Rows shown from the end of a longer sheet, where the notes under a list stand.
constexpr int PreviewEndRows = 6;
constexpr int ShownDuplicates = 5;
constexpr int ShownExamples = 3;

} // namespace

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
    // From the header (and the row above it) on, the first rows, and the last ones of a
    // longer sheet after a row "⋮": a long preamble need not be scrolled past.
    const qsizetype first =
        std::max(firstTextRow(table_).value_or(0), header_ ? *header_ - 1 : qsizetype(0));
    QList<qsizetype> rows;
    for (qsizetype row = first; row < table_.rowCount() && rows.size() < PreviewRows; ++row)
        rows.append(row);
    const qsizetype tail =
        std::max(rows.isEmpty() ? 0 : rows.last() + 1, table_.rowCount() - PreviewEndRows);
    if (tail < table_.rowCount() && !rows.isEmpty() && tail > rows.last() + 1)
        rows.append(-1);
    for (qsizetype row = tail; row < table_.rowCount(); ++row)
        rows.append(row);

    const qsizetype end = columns_.endRow >= 0 ? columns_.endRow : table_.rowCount();
    preview_->setRowCount(int(rows.size()));
    QStringList rowNames;
    for (int r = 0; r < rows.size(); ++r) {
        const qsizetype row = rows[r];
        if (row < 0) {
            rowNames << QStringLiteral("⋮");
            continue;
        }
        const bool hidden = table_.isRowHidden(row);
        rowNames << (hidden ? QStringLiteral("%1（隐藏）").arg(row + 1) : QString::number(row + 1));
        const bool leftOut = row < columns_.firstRow || row >= end ||
                             (hidden && !columns_.hiddenRows) ||
                             isErrorValue(table_.cell(row, columns_.name));
        for (int c = 0; c < columns.size(); ++c) {
            auto *item = new QTableWidgetItem(table_.cell(row, columns[c]).toString());
            const bool chosen = columns[c] == columns_.name || columns[c] == columns_.detail;
            if (leftOut) {
                item->setForeground(QColor(0x80, 0x80, 0x80));
                QFont font = item->font();
                font.setItalic(true);
                font.setStrikeOut(row >= end || hidden);
                item->setFont(font);
            } else if (chosen) {
                item->setBackground(QColor(0xE0, 0xF0, 0xFF));
            }
            preview_->setItem(r, c, item);
        }
    }
    preview_->setVerticalHeaderLabels(rowNames);
    // The chosen columns in sight, in a roster of thirty columns too.
    const qsizetype detailAt = columns.indexOf(columns_.detail);
    const qsizetype nameAt = columns.indexOf(columns_.name);
    if (!rows.isEmpty()) {
        if (detailAt >= 0 && preview_->item(0, int(detailAt)))
            preview_->scrollToItem(preview_->item(0, int(detailAt)));
        if (nameAt >= 0 && preview_->item(0, int(nameAt)))
            preview_->scrollToItem(preview_->item(0, int(nameAt)));
    }
}

void ImportDialog::showSummary()
{
    QString text;
    const qsizetype count = names_.names.size();
    const QString nameColumn = SheetTable::columnName(columns_.name);
    const qsizetype unsaved = columns_.name >= 0 ? table_.unsavedFormulas(columns_.name) : 0;
    if (table_.isEmpty()) {
        text = QStringLiteral("这个工作表是空的，请选择另一个工作表。");
    } else if (count == 0 && unsaved > 0) {
        text = QStringLiteral("%1 列的公式没有保存结果：请在表格程序里打开并保存一次。")
                   .arg(nameColumn);
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
    // What was left out, and why.
    QStringList leftOut;
    if (names_.errorNames > 0)
        leftOut << QStringLiteral("%1 列有 %2 个单元格是错误值（如 #N/A、#REF!），没有导入")
                       .arg(nameColumn, number(names_.errorNames));
    if (names_.errorDetails > 0)
        leftOut << QStringLiteral("%1 列有 %2 个错误值，这些名字后面不加括号")
                       .arg(SheetTable::columnName(columns_.detail), number(names_.errorDetails));
    if (names_.hiddenRows > 0)
        leftOut << QStringLiteral("%1 行隐藏的行（在表格里隐藏或被筛选掉）没有导入")
                       .arg(number(names_.hiddenRows));
    if (names_.titles > 0)
        leftOut << QStringLiteral("%1 列有 %2 处是表头文字（如“姓名”），没有导入")
                       .arg(nameColumn, number(names_.titles));
    if (count > 0 && unsaved > 0)
        leftOut << QStringLiteral("%1 列另有 %2 个公式没有保存结果：请在表格程序里打开并保存一次")
                       .arg(nameColumn, number(unsaved));
    if (!leftOut.isEmpty())
        text += QStringLiteral("<br>") + leftOut.join(QStringLiteral("；")) + QStringLiteral("。");
    summary_->setText(text);
}
