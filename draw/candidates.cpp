#include "candidates.h"

#include <QStringMatcher>

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

void Candidates::removeContaining(const QString &winner)
{
    if (winner.isEmpty())
        return;
    // The matcher folds the winner's text once; the names are then scanned and packed
    // in a single pass, so a large pool costs one linear sweep per recorded winner.
    const QStringMatcher matcher(winner, Qt::CaseInsensitive);
    names_.keepIf([&matcher](QStringView name) { return matcher.indexIn(name) < 0; });
}
