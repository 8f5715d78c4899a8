#pragma once

#include <QtGlobal>

#include <array>
#include <utility>
#include <vector>

// A stable radix sort on bits [from, to) of each item's 64-bit key: items with equal keys
// keep their order. A comparison sort of a million items takes several times as long; this
// one takes a second array of the items' size while it sorts.
template <typename T, typename Key> void radixSort(std::vector<T> &items, int from, int to, Key key)
{
    constexpr int DigitBits = 11;
    constexpr quint64 DigitMask = (quint64(1) << DigitBits) - 1;
    std::vector<T> sorted(items.size());
    for (int shift = from; shift < to; shift += DigitBits) {
        std::array<std::size_t, std::size_t(1) << DigitBits> offsets{};
        for (const T &item : items)
            ++offsets[(key(item) >> shift) & DigitMask];
        std::size_t total = 0;
        for (std::size_t &offset : offsets)
            total += std::exchange(offset, total);
        for (const T &item : items)
            sorted[offsets[(key(item) >> shift) & DigitMask]++] = item;
        items.swap(sorted);
    }
}
