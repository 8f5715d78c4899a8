#pragma once

#include "cellcolumn.h"

#include <QList>
#include <QSharedData>
#include <QString>
#include <QStringView>

#include <map>
#include <memory>
#include <optional>
#include <vector>

// Texts back to back in one string, each numbered from 0 in the order added: a million
// of them are a few allocations.
class StringPool {
public:
    quint32 add(QStringView text);
    QStringView at(quint32 id) const
    {
        const qsizetype start = starts_[id];
        const qsizetype end = id + 1 < starts_.size() ? starts_[id + 1] : text_.size();
        return QStringView(text_).sliced(start, end - start);
    }
    quint32 size() const { return quint32(starts_.size()); }
    void reserve(qsizetype texts, qsizetype characters);

private:
    QString text_;
    // Four bytes a text: a pool is made from a file of at most a gigabyte of text.
    std::vector<quint32> starts_;
};

// Texts back to back, each after its length (one UTF-16 unit, two for a text of 32,768 or
// more): a text is known by where it begins, with nothing beside it. They fill blocks of
// half a megabyte, so that a million of them are never copied to a larger block. A
// column's texts that repeat (a department, a title) are kept once while a column has few
// different ones; a column of names or numbers soon has too many to be worth it.
class CellTexts {
public:
    // Where the text is kept: its own place, or that of the same text earlier in `column`.
    quint32 add(int column, QStringView text);
    QStringView at(quint32 place) const
    {
        const char16_t *data =
            chunks_[place >> ChunkBits].data() + (place & quint32(ChunkUnits - 1));
        if (data[0] < 0x8000)
            return QStringView(data + 1, data[0]);
        return QStringView(data + 2, (qsizetype(data[0] & 0x7FFF) << 16) | data[1]);
    }
    // Whether another text still fits: places are counted in 31 bits.
    bool fits() const { return qsizetype(chunks_.size()) + 1 < (qsizetype(1) << (31 - ChunkBits)); }

private:
    static constexpr int ChunkBits = 18;
    static constexpr qsizetype ChunkUnits = qsizetype(1) << ChunkBits;
    static constexpr qsizetype MostRepeated = 4096;
    struct Repeats {
        std::vector<quint32> places; // 1 + place, 0 when free; a power of two in size
        qsizetype count = 0;
        bool tooMany = false;
    };
    quint32 append(QStringView text);
    std::optional<quint32> repeated(Repeats &repeats, QStringView text, quint32 *slot);

    // A place is a chunk's index above ChunkBits and where in it below; a text longer than
    // a chunk has one of its own.
    std::vector<std::vector<char16_t>> chunks_;
    std::map<int, Repeats> repeats_;
};

// The text of a sheet's cells, row by row and column by column, as a spreadsheet shows
// it; an empty cell has no text. A cell costs two or four bytes beside its text
// (cellcolumn.h), and texts of the workbook's shared string table are not copied. A copy
// shares the cells until either is changed: the names taken from a sheet keep it so,
// without a second copy of their texts.
class SheetTable {
    struct Data;

public:
    SheetTable();
    explicit SheetTable(std::shared_ptr<const StringPool> shared);
    SheetTable(const SheetTable &) = default;
    SheetTable &operator=(const SheetTable &) = default;
    // The table moved from is empty, and holds nothing of what it held.
    SheetTable(SheetTable &&other) noexcept;
    SheetTable &operator=(SheetTable &&other) noexcept;
    ~SheetTable() = default;

    // One more than the last row that holds a text (rows counted from 0).
    qsizetype rowCount() const { return d_->rowCount; }
    // The columns (0 is A) that hold a text in any row, ascending.
    QList<int> columns() const;
    QStringView cell(qsizetype row, int column) const;
    // One column's cells, for a pass over many rows without looking the column up each
    // time; valid while the table is neither changed nor gone.
    class ColumnCells {
    public:
        QStringView cell(qsizetype row) const;

    private:
        friend class SheetTable;
        const Data *data_ = nullptr;
        const CellColumn *cells_ = nullptr;
    };
    ColumnCells columnCells(int column) const;
    bool isEmpty() const { return d_->rowCount == 0; }

    // A sheet's cells are counted per row and column from its first row to its last text,
    // and cost up to four bytes each. A few cells placed far apart, as an attack would
    // place them, would cost gigabytes: beyond `baseSlots` plus 16 per text the table
    // holds, it takes no more texts and says it is over its budget.
    void setSlotBudget(qsizetype baseSlots) { d_->budget = baseSlots; }
    bool overBudget() const { return d_->overBudget; }

    // Empty text leaves the cell empty.
    void setText(qsizetype row, int column, QStringView text);
    void setShared(qsizetype row, int column, quint32 sharedIndex);
    // Merged cells: the text of the range's top-left cell stands in every row the range
    // spans (a department merged down over its people), in the range's first column only
    // (a name merged across two columns is no department of itself). Rows below the last
    // text are not filled.
    void fillMerged(qsizetype firstRow, int firstColumn, qsizetype lastRow, int lastColumn);

    // Rows hidden in the sheet, by the operator or by a filter.
    void setRowHidden(qsizetype row);
    bool isRowHidden(qsizetype row) const
    {
        const std::vector<bool> &hidden = d_->hidden;
        return row >= 0 && row < qsizetype(hidden.size()) && hidden[std::size_t(row)];
    }
    // A formula whose result was never saved (a file written by a program that does not
    // calculate): the cell shows nothing, but the operator must be told why.
    void noteUnsavedFormula(int column) { ++d_->unsavedFormulas[column]; }
    qsizetype unsavedFormulas(int column) const;
    qsizetype unsavedFormulas() const;

    // "A", "B", …, "Z", "AA", … for column 0, 1, ….
    static QString columnName(int column);

private:
    static constexpr quint32 SharedBit = 0x80000000u;
    struct Data : QSharedData {
        std::shared_ptr<const StringPool> shared;
        CellTexts own;
        // Per column, per row: 0 is empty; a reference with SharedBit is a shared string's
        // index, any other is 1 + a place in own.
        std::map<int, CellColumn> cells;
        std::vector<bool> hidden;
        std::map<int, qsizetype> unsavedFormulas;
        qsizetype rowCount = 0;
        qsizetype slotsUsed = 0;
        qsizetype budget = qsizetype(16) << 20;
        qsizetype texts = 0;
        bool overBudget = false;
    };
    // The one empty table that new and moved-from tables share until they are changed.
    static const QSharedDataPointer<Data> &emptyData();
    void set(qsizetype row, int column, quint32 reference);
    bool grow(Data &d, CellColumn &cells, qsizetype rows);
    static QStringView text(const Data &d, quint32 reference);

    QSharedDataPointer<Data> d_;
};

inline QStringView SheetTable::text(const Data &d, quint32 reference)
{
    if (reference == 0)
        return {};
    if (reference & SharedBit) {
        const quint32 index = reference & ~SharedBit;
        return d.shared && index < d.shared->size() ? d.shared->at(index) : QStringView();
    }
    return d.own.at(reference - 1);
}

inline QStringView SheetTable::ColumnCells::cell(qsizetype row) const
{
    return cells_ ? text(*data_, cells_->at(row)) : QStringView();
}

// A cell's text as one name can hold it: invisible format characters go first
// (formatcharacters.h), a line break, a tab or any other control character inside becomes
// one space, and spaces at either end (ideographic ones too) go.
QString cellText(QStringView raw);
