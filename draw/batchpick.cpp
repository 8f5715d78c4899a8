#include "batchpick.h"

#include <QStringMatcher>

#include <algorithm>
#include <vector>

namespace {

// Misses before the entries left are gathered: a sweep of the pool costs more than many
// misses while most of the pool is left.
constexpr int MissesBeforeSweep = 32;
// Up to this many name tests a tick, the entries left are kept exactly, pick by pick: a
// small pool, where the names a batch takes out matter, is drawn exactly as the stops one
// after another would draw it.
constexpr qint64 ExactWork = 20000;

bool holdsAny(QStringView name, const std::vector<QStringMatcher> &picked)
{
    for (const QStringMatcher &matcher : picked)
        if (matcher.indexIn(name) >= 0)
            return true;
    return false;
}

// Every entry left after each pick, exactly. A stop with one name left draws nobody (the
// single-candidate notice), so no pick is made from fewer than two.
QStringList pickExactly(const Candidates &pool, qsizetype count, RandomSource &random)
{
    QStringList picks;
    std::vector<qsizetype> left(std::size_t(pool.size()));
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = qsizetype(i);
    while (picks.size() < count && left.size() >= 2) {
        const qsizetype at = left[std::size_t(pickIndex(random.next(), qsizetype(left.size())))];
        picks << pool.at(at);
        const QStringMatcher matcher(picks.last(), Qt::CaseInsensitive);
        std::erase_if(left, [&](qsizetype i) { return matcher.indexIn(pool.view(i)) >= 0; });
    }
    return picks;
}

} // namespace

QStringList pickBatch(const Candidates &pool, qsizetype count, RandomSource &random)
{
    const qsizetype size = pool.size();
    if (size < 2)
        return {};
    if (qint64(size) * count <= ExactWork)
        return pickExactly(pool, count, random);
    // A large pool: a pick that an earlier one would have removed is drawn again, which is
    // uniform over what is left without a sweep; after a few misses the rest is gathered.
    QStringList picks;
    std::vector<QStringMatcher> picked;
    while (picks.size() < count) {
        qsizetype index = -1;
        for (int miss = 0; miss < MissesBeforeSweep && index < 0; ++miss) {
            const qsizetype at = pickIndex(random.next(), size);
            if (!holdsAny(pool.view(at), picked))
                index = at;
        }
        if (index < 0) {
            std::vector<qsizetype> left;
            for (qsizetype at = 0; at < size; ++at)
                if (!holdsAny(pool.view(at), picked))
                    left.push_back(at);
            if (left.size() < 2)
                break;
            index = left[std::size_t(pickIndex(random.next(), qsizetype(left.size())))];
        }
        picks << pool.at(index);
        picked.emplace_back(picks.last(), Qt::CaseInsensitive);
    }
    return picks;
}
