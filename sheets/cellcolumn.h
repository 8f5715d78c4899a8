#pragma once

#include <QtGlobal>

#include <vector>

// One column's cell references, one for each row from row 0 (0 for an empty cell), in
// blocks of 256 rows. A block takes two bytes a row, beside a base, while its references
// lie within 32,767 of its first one: texts added row by row, the few repeated texts of a
// department, shared strings in the order a sheet first uses them. A block where they lie
// farther apart takes four bytes a row; a block without a text holds no rows at all. A
// million rows of three columns are then 6 MB, not 12.
class CellColumn {
public:
    qsizetype size() const { return size_; }
    // Rows up to `rows`, the new ones empty; a column never shrinks.
    void grow(qsizetype rows);
    // 0 past the column's end.
    quint32 at(qsizetype row) const
    {
        if (row < 0 || row >= size_)
            return 0;
        const Block &block = blocks_[std::size_t(row >> BlockBits)];
        const std::size_t at = std::size_t(row) & (BlockRows - 1);
        if (!block.narrow.empty()) {
            const quint16 offset = block.narrow[at];
            return offset == 0 ? 0 : block.base + offset;
        }
        return block.wide.empty() ? 0 : block.wide[at];
    }
    // `row` is below size().
    void set(qsizetype row, quint32 reference);

private:
    static constexpr int BlockBits = 8;
    static constexpr std::size_t BlockRows = std::size_t(1) << BlockBits;
    struct Block {
        quint32 base = 0;
        std::vector<quint16> narrow; // 0 empty, else the reference less base
        std::vector<quint32> wide;   // once a reference fell outside the narrow range
    };

    std::vector<Block> blocks_;
    qsizetype size_ = 0;
};
