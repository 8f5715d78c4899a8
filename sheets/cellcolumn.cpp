#include "cellcolumn.h"

void CellColumn::setOther(Block &block, std::size_t at, quint32 reference)
{
    if (!block.wide.empty()) {
        block.wide[at] = reference;
        return;
    }
    if (block.narrow.empty()) {
        if (reference == 0)
            return;
        // The first reference stands in the middle of the range, as the next ones may lie
        // before it (a repeated text) or after it (a new one).
        block.base = reference > 0x8000 ? reference - 0x8000 : 0;
        block.narrow.assign(BlockRows, 0);
    }
    if (reference == 0) {
        block.narrow[at] = 0;
        return;
    }
    if (reference > block.base && reference - block.base <= 0xFFFF) {
        block.narrow[at] = quint16(reference - block.base);
        return;
    }
    block.wide.resize(BlockRows);
    for (std::size_t i = 0; i < BlockRows; ++i)
        block.wide[i] = block.narrow[i] == 0 ? 0 : block.base + block.narrow[i];
    block.wide[at] = reference;
    block.narrow = {};
}
