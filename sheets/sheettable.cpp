#include "sheettable.h"

#include "invisiblecharacters.h"

#include <algorithm>
#include <utility>

quint32 StringPool::add(QStringView text)
{
    starts_.push_back(quint32(text_.size()));
    text_.append(text);
    return quint32(starts_.size() - 1);
}

void StringPool::reserve(qsizetype texts, qsizetype characters)
{
    starts_.reserve(std::size_t(texts));
    text_.reserve(characters);
}

quint32 CellTexts::append(QStringView text)
{
    const qsizetype length = text.size();
    const qsizetype units = length + (length < 0x8000 ? 1 : 2);
    if (chunks_.empty() || qsizetype(chunks_.back().size()) + units > ChunkUnits) {
        chunks_.emplace_back();
        chunks_.back().reserve(std::size_t(std::max(units, ChunkUnits)));
    }
    std::vector<char16_t> &chunk = chunks_.back();
    const quint32 place = quint32(((chunks_.size() - 1) << ChunkBits) + chunk.size());
    if (length < 0x8000) {
        chunk.push_back(char16_t(length));
    } else {
        chunk.push_back(char16_t(0x8000 | (length >> 16)));
        chunk.push_back(char16_t(length & 0xFFFF));
    }
    chunk.insert(chunk.end(), text.utf16(), text.utf16() + length);
    return place;
}

// The text's place when `repeats` holds it; else the free slot it would take.
std::optional<quint32> CellTexts::repeated(Repeats &repeats, QStringView text, quint32 *slot)
{
    const std::size_t mask = repeats.places.size() - 1;
    for (std::size_t i = qHash(text) & mask;; i = (i + 1) & mask) {
        const quint32 held = repeats.places[i];
        if (held == 0) {
            *slot = quint32(i);
            return std::nullopt;
        }
        if (at(held - 1) == text)
            return held - 1;
    }
}

quint32 CellTexts::add(int column, QStringView text)
{
    Repeats &repeats = repeats_[column];
    if (repeats.tooMany)
        return append(text);
    if (repeats.places.empty())
        repeats.places.resize(64, 0);
    quint32 slot = 0;
    if (const std::optional<quint32> place = repeated(repeats, text, &slot))
        return *place;
    const quint32 place = append(text);
    if (++repeats.count > MostRepeated) {
        repeats = {{}, 0, true};
        return place;
    }
    repeats.places[slot] = place + 1;
    // Kept at most half full, so that a search ends soon at a free slot.
    if (repeats.count * 2 > qsizetype(repeats.places.size())) {
        std::vector<quint32> old(repeats.places.size() * 2, 0);
        old.swap(repeats.places);
        for (quint32 held : old) {
            if (held != 0 && !repeated(repeats, at(held - 1), &slot))
                repeats.places[slot] = held;
        }
    }
    return place;
}

SheetTable::SheetTable() : d_(emptyData()) {}

SheetTable::SheetTable(std::shared_ptr<const StringPool> shared) : d_(new Data)
{
    d_->shared = std::move(shared);
}

SheetTable::SheetTable(SheetTable &&other) noexcept : d_(std::move(other.d_))
{
    other.d_ = emptyData();
}

SheetTable &SheetTable::operator=(SheetTable &&other) noexcept
{
    d_ = std::move(other.d_);
    other.d_ = emptyData();
    return *this;
}

const QSharedDataPointer<SheetTable::Data> &SheetTable::emptyData()
{
    static const QSharedDataPointer<Data> empty(new Data);
    return empty;
}

QList<int> SheetTable::columns() const
{
    QList<int> columns;
    for (const auto &[column, cells] : d_->cells)
        columns.append(column);
    return columns;
}

QStringView SheetTable::cell(qsizetype row, int column) const
{
    const auto found = d_->cells.find(column);
    return found == d_->cells.end() ? QStringView() : text(*d_, found->second.at(row));
}

SheetTable::ColumnCells SheetTable::columnCells(int column) const
{
    ColumnCells cells;
    const auto found = d_->cells.find(column);
    if (found != d_->cells.end()) {
        cells.data_ = d_.data();
        cells.cells_ = &found->second;
    }
    return cells;
}

bool SheetTable::grow(Data &d, CellColumn &cells, qsizetype rows)
{
    const qsizetype more = rows - cells.size();
    if (more <= 0)
        return true;
    if (d.slotsUsed + more > d.budget + 16 * d.texts) {
        d.overBudget = true;
        return false;
    }
    cells.grow(rows);
    d.slotsUsed += more;
    return true;
}

void SheetTable::set(qsizetype row, int column, quint32 reference)
{
    Data &d = *d_;
    if (d.overBudget)
        return;
    CellColumn &cells = d.cells[column];
    if (!grow(d, cells, row + 1))
        return;
    cells.set(row, reference);
    ++d.texts;
    d.rowCount = std::max(d.rowCount, row + 1);
}

void SheetTable::setText(qsizetype row, int column, QStringView text)
{
    if (text.isEmpty() || overBudget())
        return;
    Data &d = *d_;
    if (!d.own.fits()) {
        d.overBudget = true;
        return;
    }
    set(row, column, d.own.add(column, text) + 1);
}

void SheetTable::setShared(qsizetype row, int column, quint32 sharedIndex)
{
    const std::shared_ptr<const StringPool> &shared = std::as_const(d_)->shared;
    if (shared && sharedIndex < shared->size() && !shared->at(sharedIndex).isEmpty())
        set(row, column, sharedIndex | SharedBit);
}

void SheetTable::fillMerged(qsizetype firstRow, int firstColumn, qsizetype lastRow, int lastColumn)
{
    Q_UNUSED(lastColumn);
    const auto found = std::as_const(d_)->cells.find(firstColumn);
    if (found == std::as_const(d_)->cells.end() || firstRow < 0 ||
        firstRow >= found->second.size() || found->second.at(firstRow) == 0)
        return;
    Data &d = *d_;
    CellColumn &cells = d.cells[firstColumn];
    const quint32 reference = cells.at(firstRow);
    lastRow = std::min(lastRow, d.rowCount - 1);
    if (!grow(d, cells, lastRow + 1))
        return;
    for (qsizetype row = firstRow + 1; row <= lastRow; ++row) {
        if (cells.at(row) == 0)
            cells.set(row, reference);
    }
}

void SheetTable::setRowHidden(qsizetype row)
{
    if (row < 0)
        return;
    std::vector<bool> &hidden = d_->hidden;
    if (row >= qsizetype(hidden.size()))
        hidden.resize(std::size_t(row) + 1, false);
    hidden[std::size_t(row)] = true;
}

qsizetype SheetTable::unsavedFormulas(int column) const
{
    const auto found = d_->unsavedFormulas.find(column);
    return found == d_->unsavedFormulas.end() ? 0 : found->second;
}

qsizetype SheetTable::unsavedFormulas() const
{
    qsizetype count = 0;
    for (const auto &[column, n] : d_->unsavedFormulas)
        count += n;
    return count;
}

QString SheetTable::columnName(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

namespace {

bool isBreak(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

// Whether a character may need more than trimming: a control character, a surrogate, or one
// of the invisible format characters (all of which stand in these few ranges).
bool mayNeedCleaning(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x00AD || c == 0x061C || c == 0x180E ||
           (c >= 0x2000 && c <= 0x206F) || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFEFF;
}

} // namespace

QString cellText(QStringView raw)
{
    bool clean = true;
    for (QChar c : raw) {
        if (mayNeedCleaning(c.unicode())) {
            clean = false;
            break;
        }
    }
    if (clean)
        return raw.trimmed().toString();

    // A surrogate without its pair (a broken UTF-16 file) is no character any encoding
    // can write: it becomes U+FFFD, as a broken byte does.
    QString fixed = raw.toString();
    for (qsizetype j = 0; j < fixed.size(); ++j) {
        const QChar d = fixed[j];
        if ((d.isHighSurrogate() && !(j + 1 < fixed.size() && fixed[j + 1].isLowSurrogate())) ||
            (d.isLowSurrogate() && !(j > 0 && fixed[j - 1].isHighSurrogate())))
            fixed[j] = QChar::ReplacementCharacter;
    }
    // Invisible characters go before anything else, so that look-alikes are one name.
    const QString visible = withoutInvisibleCharacters(fixed);
    QString text;
    text.reserve(visible.size());
    bool lastWasBreak = false;
    for (QChar c : visible) {
        if (isBreak(c)) {
            if (!lastWasBreak)
                text += u' ';
            lastWasBreak = true;
            continue;
        }
        lastWasBreak = false;
        text += c;
    }
    return text.trimmed();
}
