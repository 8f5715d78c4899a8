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
    void grow(qsizetype rows)
    {
        if (rows <= size_)
            return;
        size_ = rows;
        const std::size_t blocks = std::size_t((rows + qsizetype(BlockRows) - 1) >> BlockBits);
        if (blocks > blocks_.size())
            blocks_.resize(blocks);
    }
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
    void set(qsizetype row, quint32 reference)
    {
        Block &block = blocks_[std::size_t(row >> BlockBits)];
        if (!block.narrow.empty() && reference > block.base && reference - block.base <= 0xFFFF)
            block.narrow[std::size_t(row) & (BlockRows - 1)] = quint16(reference - block.base);
        else
            setOther(block, std::size_t(row) & (BlockRows - 1), reference);
    }

private:
    static constexpr int BlockBits = 8;
    static constexpr std::size_t BlockRows = std::size_t(1) << BlockBits;
    struct Block {
        quint32 base = 0;
        std::vector<quint16> narrow; // 0 empty, else the reference less base
        std::vector<quint32> wide;   // once a reference fell outside the narrow range
    };

    // An empty cell, the block's first reference or one outside its narrow range.
    static void setOther(Block &block, std::size_t at, quint32 reference);

    std::vector<Block> blocks_;
    qsizetype size_ = 0;
};
