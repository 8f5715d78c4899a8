#include "xlsxinternals.h"

#include <QThread>

#include <array>
#include <future>

namespace xlsx {

SheetTable XlsxSource::readSheet(int index, const ReadProgress &progress, ReadFailure &failure)
{
    failure = {};
    if (index < 0 || index >= sheets_.size()) {
        failure = {ReadFailure::Kind::NoText, {}};
        return SheetTable(shared_);
    }
    const QString part = sheets_[index].part;
    const ZipArchive::Entry *entry = zip_.find(part);
    if (!entry) {
        failure = {ReadFailure::Kind::Damaged, QStringLiteral("缺少“%1”").arg(part)};
        return SheetTable(shared_);
    }
    const std::unique_ptr<ZipArchive::EntryDevice> device = zip_.openEntry(*entry);
    if (!device) {
        failure = fromZip(zip_.failure(), zip_.detail());
        return SheetTable(shared_);
    }
    const auto damaged = [&](const QString &what) {
        failure = {ReadFailure::Kind::Damaged, QStringLiteral("“%1”：%2").arg(part, what)};
        return SheetTable(shared_);
    };
    QByteArray buffer;
    bool ended = false;
    const auto readMore = [&] {
        const QByteArray block = device->read(BlockBytes);
        if (block.isEmpty()) {
            ended = true;
            return false;
        }
        buffer += block;
        return true;
    };
    const auto deviceFailed = [&] {
        if (device->failure() == ZipArchive::Failure::None)
            return false;
        failure = fromZip(device->failure(), device->detail());
        return true;
    };

    // Up to the rows: the sheet's start, in UTF-8 as every spreadsheet program writes it.
    bool emptySheet = false;
    for (;;) {
        const qsizetype at = buffer.indexOf("sheetData");
        const qsizetype end = at < 0 ? -1 : buffer.indexOf('>', at);
        if (end > 0) {
            const QByteArray start = buffer.left(at);
            const qsizetype encoding = start.indexOf("encoding=");
            if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF") ||
                (encoding >= 0 &&
                 start.mid(encoding + 10, 5).compare("utf-8", Qt::CaseInsensitive) != 0))
                return damaged(QStringLiteral("工作表不是 UTF-8 编码"));
            emptySheet = buffer[end - 1] == '/';
            buffer.remove(0, end + 1);
            break;
        }
        if (buffer.size() > MaxUnbrokenBytes || !readMore()) {
            if (deviceFailed())
                return SheetTable(shared_);
            return damaged(QStringLiteral("找不到工作表的数据（sheetData）"));
        }
    }

    SheetTable table(shared_);
    const CellContext context{&styles_, date1904_, shared_->size()};
    const int parallel = std::max(1, QThread::idealThreadCount());
    qsizetype row = -1;
    int nextColumn = 0;
    while (!emptySheet) {
        // A block per core, each of whole rows.
        QList<QByteArray> blocks;
        while (blocks.size() < parallel && !ended) {
            while (buffer.size() < BlockBytes && readMore()) {
            }
            const qsizetype cut = afterLastRow(buffer);
            if (cut == 0) {
                if (ended)
                    break;
                if (buffer.size() > MaxUnbrokenBytes)
                    return damaged(QStringLiteral("行太长"));
                if (!readMore())
                    break;
                continue;
            }
            blocks.append(buffer.left(cut));
            buffer.remove(0, cut);
        }
        if (deviceFailed())
            return SheetTable(shared_);
        if (blocks.isEmpty())
            break;
        std::vector<std::future<ParsedRows>> others;
        for (qsizetype i = 1; i < blocks.size(); ++i)
            others.push_back(std::async(std::launch::async, parseRows, std::cref(blocks[i]),
                                        std::cref(context)));
        std::vector<ParsedRows> parsed;
        parsed.push_back(parseRows(blocks[0], context));
        for (auto &other : others)
            parsed.push_back(other.get());
        for (const ParsedRows &rows : parsed) {
            if (!rows.error.isEmpty())
                return damaged(rows.error);
            for (const ParsedCell &cell : rows.cells) {
                if (cell.column == RowMark) {
                    row = cell.row >= 0 ? cell.row : row + 1;
                    if (row >= MaxRows)
                        return damaged(QStringLiteral("行号超出范围"));
                    nextColumn = 0;
                    if (cell.shared == HiddenRow)
                        table.setRowHidden(row);
                    continue;
                }
                const int column = cell.column >= 0 ? cell.column : nextColumn;
                if (column >= MaxColumns)
                    return damaged(QStringLiteral("列超出范围"));
                nextColumn = column + 1;
                const qsizetype at = cell.row >= 0 ? cell.row : std::max<qsizetype>(row, 0);
                if (cell.shared == UnsavedFormula)
                    table.noteUnsavedFormula(column);
                else if (cell.shared != NoShared)
                    table.setShared(at, column, cell.shared);
                else
                    table.setText(at, column,
                                  QStringView(rows.texts).sliced(cell.start, cell.length));
            }
        }
        if (table.overBudget()) {
            failure = {ReadFailure::Kind::TooLarge, QStringLiteral("单元格分布得太散")};
            return SheetTable(shared_);
        }
        if (!keepGoing(progress, failure))
            return SheetTable(shared_);
    }

    // After the rows: the end of <sheetData>, the merged cells, the end of the sheet.
    while (readMore()) {
        if (buffer.size() > MaxUnbrokenBytes)
            return damaged(QStringLiteral("工作表的结尾太长"));
    }
    if (deviceFailed())
        return SheetTable(shared_);
    qsizetype rest = 0;
    if (!emptySheet) {
        const qsizetype end = buffer.indexOf("sheetData>");
        if (end < 0)
            return damaged(QStringLiteral("工作表不完整"));
        rest = end + 10;
    }
    const qsizetype close = buffer.lastIndexOf("</");
    if (close < rest || !buffer.mid(close).trimmed().endsWith("worksheet>"))
        return damaged(QStringLiteral("工作表不完整"));
    QXmlStreamReader xml(QByteArray("<end>") + buffer.mid(rest, close - rest) +
                         QByteArray("</end>"));
    xml.setNamespaceProcessing(false);
    QList<std::array<qsizetype, 4>> merges;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement ||
            localName(xml.qualifiedName()) != u"mergeCell")
            continue;
        const QStringList range =
            xml.attributes().value(QLatin1String("ref")).toString().split(u':');
        const auto first = parseReference(range.value(0));
        const auto last = range.size() == 2 ? parseReference(range[1]) : first;
        if (first && last)
            merges.append({first->second, first->first, last->second, last->first});
    }
    if (xml.hasError())
        return damaged(xml.errorString());
    for (const auto &m : merges)
        table.fillMerged(m[0], int(m[1]), m[2], int(m[3]));
    if (table.overBudget()) {
        failure = {ReadFailure::Kind::TooLarge, QStringLiteral("单元格分布得太散")};
        return SheetTable(shared_);
    }
    return table;
}

} // namespace xlsx
