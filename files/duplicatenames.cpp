#include "duplicatenames.h"

#include "radixsort.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// A name stands for its fingerprint here: a 64-bit hash and an independent 32-bit one.
// Two different names of a million-name list share a fingerprint with a chance of about
// one in 10^17; comparing the names themselves would mean jumping between far-apart
// lines, a cache miss each, which made this the slowest step of reading the list.
struct Entry {
    quint64 hash;
    quint32 check;
    quint32 index; // in the name list; four billion names would not fit in memory anyway
};

// The last step of MurmurHash3: every input bit reaches every output bit.
constexpr quint64 finish(quint64 h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}

// Both numbers in one pass over the name, four UTF-16 units at a time, each lane with its
// own seed, step and multiplier. Qt's string hash, run twice, took three times as long on
// processors with AVX-512, where its AES path switches between vector encodings.
Entry entryOf(QStringView name, qsizetype index)
{
    const auto *bytes = reinterpret_cast<const char *>(name.data());
    const std::size_t size = std::size_t(name.size()) * sizeof(char16_t);
    quint64 a = 0x243F6A8885A308D3ull ^ size;
    quint64 b = 0x13198A2E03707344ull + size;
    for (std::size_t at = 0; at < size; at += 8) {
        quint64 word = 0;
        std::memcpy(&word, bytes + at, std::min<std::size_t>(8, size - at));
        a = std::rotl(a ^ word, 27) * 0x9E3779B97F4A7C15ull;
        b = std::rotl(b + word, 31) * 0xC2B2AE3D27D4EB4Full;
    }
    return {finish(a), quint32(finish(b) >> 32), quint32(index)};
}

bool sameFingerprint(const Entry &a, const Entry &b)
{
    return a.hash == b.hash && a.check == b.check;
}

// An entry of a name that stands more than once: the index of the name's first entry in
// the upper half, its own index in the lower.
using Member = quint64;

// Splits a run of equal upper hashes into names; nearly always the run is one name.
void collectMembers(const Entry *run, std::size_t size, std::vector<Member> &members)
{
    std::vector<char> taken(size, 0);
    for (std::size_t i = 0; i < size; ++i) {
        if (taken[i])
            continue;
        const std::size_t before = members.size();
        for (std::size_t j = i; j < size; ++j) {
            if (!taken[j] && sameFingerprint(run[i], run[j])) {
                taken[j] = 1;
                members.push_back((Member(run[i].index) << 32) | run[j].index);
            }
        }
        if (members.size() - before < 2)
            members.resize(before);
    }
}

// Turns name indexes into file lines: name k stands after every empty line that has
// at most k names before it.
class LineNumbers {
public:
    explicit LineNumbers(const QList<qsizetype> &emptyLines)
    {
        namesBefore_.reserve(std::size_t(emptyLines.size()));
        for (qsizetype j = 0; j < emptyLines.size(); ++j)
            namesBefore_.push_back(emptyLines[j] - 1 - j);
    }

    qsizetype lineOf(qsizetype index) const
    {
        const auto emptyBefore = std::upper_bound(namesBefore_.begin(), namesBefore_.end(), index) -
                                 namesBefore_.begin();
        return index + 1 + emptyBefore;
    }

private:
    std::vector<qsizetype> namesBefore_;
};

} // namespace

QList<DuplicateName> findDuplicateNames(const NameList &names, const QList<qsizetype> &emptyLines)
{
    std::vector<Entry> entries;
    entries.reserve(std::size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        entries.push_back(entryOf(names.at(i), i));
    radixSort(entries, 32, 64, [](const Entry &entry) { return entry.hash; });

    std::vector<Member> members;
    for (std::size_t start = 0; start < entries.size();) {
        std::size_t end = start + 1;
        while (end < entries.size() && (entries[end].hash >> 32) == (entries[start].hash >> 32))
            ++end;
        if (end - start > 1)
            collectMembers(entries.data() + start, end - start, members);
        start = end;
    }
    entries = {};
    // By first entry, so that every step from here on reads memory in order.
    const int indexBits = int(std::bit_width(quint64(names.size())));
    radixSort(members, 32, 32 + indexBits, [](Member member) { return member; });

    const LineNumbers lines(emptyLines);
    QList<DuplicateName> duplicates;
    qsizetype groups = 0;
    for (std::size_t i = 0; i < members.size(); ++i)
        groups += i == 0 || (members[i] >> 32) != (members[i - 1] >> 32);
    duplicates.reserve(groups);
    for (std::size_t start = 0; start < members.size();) {
        const quint32 first = quint32(members[start] >> 32);
        std::size_t end = start + 1;
        while (end < members.size() && quint32(members[end] >> 32) == first)
            ++end;
        QList<qsizetype> lineNumbers;
        lineNumbers.reserve(qsizetype(end - start));
        for (std::size_t i = start; i < end; ++i)
            lineNumbers.append(lines.lineOf(qsizetype(members[i] & 0xFFFFFFFFu)));
        duplicates.append({names.at(first).toString(), std::move(lineNumbers)});
        start = end;
    }
    return duplicates;
}
