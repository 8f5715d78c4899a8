#include "candidates.h"

#include <QStringMatcher>

#include <set>
#include <unordered_map>
#include <unordered_set>

void foldCaseInto(QStringView name, QString &folded)
{
    folded.resize(name.size());
    QChar *out = folded.data();
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            const char32_t c = QChar::toCaseFolded(QChar::surrogateToUcs4(name[i], name[i + 1]));
            out[i] = QChar(QChar::highSurrogate(c));
            out[++i] = QChar(QChar::lowSurrogate(c));
        } else {
            out[i] = name[i].toCaseFolded();
        }
    }
}

namespace {

// Up to this many winners are removed one sweep each.
constexpr qsizetype FewWinners = 2;

struct ViewHash {
    std::size_t operator()(QStringView view) const { return qHash(view); }
};

} // namespace

Candidates::Condition Candidates::condition() const
{
    if (!filled_)
        return Condition::NeverFilled;
    switch (names_.size()) {
    case 0:
        return Condition::Empty;
    case 1:
        return Condition::One;
    default:
        return Condition::TwoOrMore;
    }
}

void Candidates::fill(NameList names)
{
    if (names.isEmpty())
        return;
    names_ = std::move(names);
    filled_ = true;
}

bool Candidates::contains(QStringView name) const
{
    for (qsizetype i = 0; i < names_.size(); ++i)
        if (names_.at(i) == name)
            return true;
    return false;
}

void Candidates::removeContaining(const QString &winner)
{
    if (winner.isEmpty())
        return;
    // The matcher folds the winner's text once; the names are then scanned and packed
    // in a single pass, so a large pool costs one linear sweep per recorded winner.
    const QStringMatcher matcher(winner, Qt::CaseInsensitive);
    names_.keepIf([&matcher](QStringView name) { return matcher.indexIn(name) < 0; });
}

void Candidates::removeContainingAny(const QStringList &winners)
{
    // Each name is looked up by its pieces of the winners' lengths in a set of the folded
    // winners: a few lookups a name, where matching every winner in turn would cost one
    // sweep of the whole pool per winner.
    QStringList folded;
    std::set<qsizetype> lengths;
    for (const QString &winner : winners) {
        if (winner.isEmpty())
            continue;
        QString foldedWinner;
        foldCaseInto(winner, foldedWinner);
        folded << foldedWinner;
        lengths.insert(winner.size());
    }
    if (folded.isEmpty())
        return;
    const std::unordered_set<QStringView, ViewHash> wanted(folded.begin(), folded.end());
    QString name;
    names_.keepIf([&](QStringView candidate) {
        foldCaseInto(candidate, name);
        const QStringView view(name);
        for (const qsizetype length : lengths) {
            for (qsizetype at = 0; at + length <= view.size(); ++at) {
                if (wanted.count(view.sliced(at, length)))
                    return false;
            }
        }
        return true;
    });
}

QList<qsizetype> Candidates::removeInTurn(const QStringList &winners)
{
    // A few winners: a sweep each, as their stops would make, costs less than one sweep
    // that looks every name up against all of them.
    if (winners.size() <= FewWinners) {
        QList<qsizetype> sizes{names_.size()};
        for (const QString &winner : winners) {
            removeContaining(winner);
            sizes << names_.size();
        }
        return sizes;
    }
    // An entry leaves at the first winner, in order, whose text it holds: until then no
    // stop touched it. So one sweep that finds that first winner for each entry gives the
    // sizes the stops one after another would have left.
    std::unordered_map<QStringView, qsizetype, ViewHash> firstWinner;
    QStringList folded;
    std::set<qsizetype> lengths;
    folded.reserve(winners.size());
    for (qsizetype w = 0; w < winners.size(); ++w) {
        QString foldedWinner;
        foldCaseInto(winners[w], foldedWinner);
        folded << foldedWinner;
    }
    // Most places in a name begin no winner at all: only those that do are looked up.
    std::vector<bool> begins(0x10000, false);
    for (qsizetype w = 0; w < folded.size(); ++w) {
        if (folded[w].isEmpty())
            continue;
        firstWinner.try_emplace(QStringView(folded[w]), w);
        lengths.insert(folded[w].size());
        begins[folded[w].front().unicode()] = true;
    }
    std::vector<qsizetype> removedBy(std::size_t(winners.size()), 0);
    QString name;
    names_.keepIf([&](QStringView candidate) {
        foldCaseInto(candidate, name);
        const QStringView view(name);
        qsizetype first = -1;
        for (qsizetype at = 0; at < view.size(); ++at) {
            if (!begins[view[at].unicode()])
                continue;
            for (const qsizetype length : lengths) {
                if (at + length > view.size())
                    break;
                const auto found = firstWinner.find(view.sliced(at, length));
                if (found != firstWinner.end() && (first < 0 || found->second < first))
                    first = found->second;
            }
        }
        if (first < 0)
            return true;
        ++removedBy[std::size_t(first)];
        return false;
    });
    QList<qsizetype> sizes{names_.size()};
    for (auto removed = removedBy.crbegin(); removed != removedBy.crend(); ++removed)
        sizes.prepend(sizes.first() + *removed);
    return sizes;
}
