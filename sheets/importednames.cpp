#include "importednames.h"

#include "importnames.h"
#include "radixsort.h"

#include <algorithm>
#include <bit>
#include <utility>

QString JoinedName::toString() const
{
    return joinedName(name, detail);
}

char16_t *JoinedName::copyTo(char16_t *out) const
{
    out = std::copy(name.utf16(), name.utf16() + name.size(), out);
    if (!detail.isEmpty()) {
        *out++ = u'（';
        out = std::copy(detail.utf16(), detail.utf16() + detail.size(), out);
        *out++ = u'）';
    }
    return out;
}

bool operator==(const JoinedName &a, const JoinedName &b)
{
    if (a.size() != b.size())
        return false;
    // Where the brackets stand alike, the parts tell; else (a bracket typed into a cell)
    // only the whole texts can.
    if (a.detail.isEmpty() == b.detail.isEmpty() && a.name.size() == b.name.size())
        return a.name == b.name && a.detail == b.detail;
    return a.toString() == b.toString();
}

ImportedNameList::ImportedNameList(const SheetTable &table, int nameColumn, int detailColumn,
                                   qsizetype firstRow, qsizetype endRow)
    : table_(table), names_(table_.columnCells(nameColumn)),
      details_(detailColumn >= 0 ? table_.columnCells(detailColumn) : SheetTable::ColumnCells()),
      firstRow_(firstRow),
      taken_(std::size_t(std::max<qsizetype>(endRow - firstRow, 0) + 63) / 64, 0)
{
}

ImportedNameList &ImportedNameList::operator=(ImportedNameList &&other) noexcept
{
    table_ = std::move(other.table_);
    names_ = std::exchange(other.names_, {});
    details_ = std::exchange(other.details_, {});
    firstRow_ = std::exchange(other.firstRow_, 0);
    size_ = std::exchange(other.size_, 0);
    characters_ = std::exchange(other.characters_, 0);
    taken_ = std::exchange(other.taken_, {});
    before_ = std::exchange(other.before_, {});
    return *this;
}

void ImportedNameList::append(qsizetype row)
{
    const std::size_t bit = std::size_t(row - firstRow_);
    const std::size_t sample = bit / (64 * WordsPerSample);
    while (before_.size() <= sample)
        before_.push_back(size_);
    taken_[bit / 64] |= quint64(1) << (bit % 64);
    ++size_;
    characters_ += nameAt(row).size();
}

JoinedName ImportedNameList::joined(QStringView name, QStringView detail)
{
    // Every error value begins with # or E: most details are known at their first letter.
    const bool error =
        !detail.isEmpty() && (detail[0] == u'#' || detail[0] == u'E') && isErrorValue(detail);
    return {name, error ? QStringView() : detail};
}

JoinedName ImportedNameList::at(qsizetype index) const
{
    // The last sample with at most `index` names before it holds the name.
    const auto sample = std::upper_bound(before_.begin(), before_.end(), index) - 1;
    qsizetype left = index - *sample;
    for (std::size_t word = std::size_t(sample - before_.begin()) * WordsPerSample;; ++word) {
        quint64 bits = taken_[word];
        const int count = std::popcount(bits);
        if (left >= count) {
            left -= count;
            continue;
        }
        for (; left > 0; --left)
            bits &= bits - 1;
        return nameAt(firstRow_ + qsizetype(word * 64) + std::countr_zero(bits));
    }
}

QStringList ImportedNameList::toStringList() const
{
    QStringList names;
    names.reserve(size_);
    for (const JoinedName &name : *this)
        names.append(name.toString());
    return names;
}

ImportedNameList::const_iterator::const_iterator(const ImportedNameList *list, std::size_t word)
    : list_(list), word_(word)
{
    while (word_ < list_->taken_.size() && (bits_ = list_->taken_[word_]) == 0)
        ++word_;
}

ImportedNameList::const_iterator &ImportedNameList::const_iterator::operator++()
{
    bits_ &= bits_ - 1;
    while (bits_ == 0 && ++word_ < list_->taken_.size())
        bits_ = list_->taken_[word_];
    return *this;
}

qsizetype ImportedNameList::const_iterator::row() const
{
    return list_->firstRow_ + qsizetype(word_ * 64) + std::countr_zero(bits_);
}

DuplicateName ImportedDuplicates::operator[](qsizetype index) const
{
    const std::size_t first = groups_[std::size_t(index)];
    const std::size_t end =
        std::size_t(index) + 1 < groups_.size() ? groups_[std::size_t(index) + 1] : members_.size();
    DuplicateName duplicate{names_.at(members_[first]).toString(), {}};
    duplicate.lineNumbers.reserve(qsizetype(end - first));
    for (std::size_t i = first; i < end; ++i)
        duplicate.lineNumbers.append(qsizetype(members_[i]) + 1);
    return duplicate;
}

namespace {

// The joined text's hash, its parts taken as they come (FNV-1a over UTF-16 units, then
// MurmurHash3's last step, so that every unit reaches the high bits the sort looks at).
quint64 hashOf(const JoinedName &name)
{
    quint64 h = 0xCBF29CE484222325ull;
    const auto add = [&h](QStringView text) {
        for (QChar c : text)
            h = (h ^ c.unicode()) * 0x100000001B3ull;
    };
    add(name.name);
    if (!name.detail.isEmpty()) {
        add(u"（");
        add(name.detail);
        add(u"）");
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}

// A name that stands more than once: its first index in the upper half, a line's in the
// lower.
using Member = quint64;

// The names of a run of equal hashes, split by their texts: nearly always one name.
void collectMembers(const ImportedNameList &names, const std::vector<quint32> &run,
                    std::vector<Member> &members)
{
    const JoinedName first = names.at(run.front());
    bool alike = true;
    for (std::size_t i = 1; i < run.size() && alike; ++i)
        alike = names.at(run[i]) == first;
    if (alike) {
        for (quint32 index : run)
            members.push_back(Member(run.front()) << 32 | index);
        return;
    }
    // Different names with one hash: by their texts, each name's lines still ascending.
    std::vector<std::pair<QString, quint32>> texts;
    texts.reserve(run.size());
    for (quint32 index : run)
        texts.emplace_back(names.at(index).toString(), index);
    std::stable_sort(texts.begin(), texts.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t start = 0; start < texts.size();) {
        std::size_t end = start + 1;
        while (end < texts.size() && texts[end].first == texts[start].first)
            ++end;
        if (end - start > 1) {
            for (std::size_t i = start; i < end; ++i)
                members.push_back(Member(texts[start].second) << 32 | texts[i].second);
        }
        start = end;
    }
}

} // namespace

ImportedDuplicates findImportedDuplicates(const ImportedNameList &names)
{
    ImportedDuplicates duplicates;
    duplicates.names_ = names;
    if (names.size() < 2)
        return duplicates;
    // A name's hash above, its index below, in eight bytes: sorted by the hash, equal names
    // stand together, each in the order of its lines. Four billion names would not fit in
    // memory anyway.
    const int indexBits = int(std::bit_width(quint64(names.size())));
    const quint64 indexMask = (quint64(1) << indexBits) - 1;
    std::vector<quint64> keys;
    keys.reserve(std::size_t(names.size()));
    quint64 index = 0;
    for (const JoinedName &name : names)
        keys.push_back((hashOf(name) & ~indexMask) | index++);
    radixSort(keys, indexBits, 64, [](quint64 key) { return key; });

    std::vector<Member> members;
    std::vector<quint32> run;
    for (std::size_t start = 0; start < keys.size();) {
        std::size_t end = start + 1;
        while (end < keys.size() && (keys[end] & ~indexMask) == (keys[start] & ~indexMask))
            ++end;
        if (end - start > 1) {
            run.clear();
            for (std::size_t i = start; i < end; ++i)
                run.push_back(quint32(keys[i] & indexMask));
            collectMembers(names, run, members);
        }
        start = end;
    }
    keys = {};
    // By first line, then by line: the order the operator reads them in.
    std::sort(members.begin(), members.end());
    duplicates.members_.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (i == 0 || members[i] >> 32 != members[i - 1] >> 32)
            duplicates.groups_.push_back(quint32(duplicates.members_.size()));
        duplicates.members_.push_back(quint32(members[i]));
    }
    return duplicates;
}
