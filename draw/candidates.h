#pragma once

#include "namelist.h"

#include <QString>
#include <QStringList>

// Folds letter case the way the pool's removal compares (a case-insensitive
// QStringMatcher), one code point at a time, into `folded`, which is reused from name to
// name.
void foldCaseInto(QStringView name, QString &folded);

// The pool of names still in the draw. It tells apart a pool that was never filled
// (no list has given it a name yet) from one that has been drawn empty.
class Candidates {
public:
    enum class Condition { NeverFilled, Empty, One, TwoOrMore };

    Condition condition() const;
    bool isFilled() const { return filled_; }
    qsizetype size() const { return names_.size(); }
    QString at(qsizetype index) const { return names_.at(index).toString(); }
    // The same without a copy, valid until the pool changes.
    QStringView view(qsizetype index) const { return names_.at(index); }
    QStringList names() const { return names_.toStringList(); }
    // Whether the text is one of the entries, exactly as it stands.
    bool contains(QStringView name) const;

    // Takes the names a list file gave. An empty list keeps the pool as it was, so a
    // list emptied in the middle of an event leaves the names not yet drawn.
    void fill(NameList names);

    // Removes every entry that contains the winner's text, ignoring letter case
    // (Unicode case folding), keeping the order of the rest. An empty text removes
    // nothing: a plain substring test would match every entry and wipe the draw.
    void removeContaining(const QString &winner);
    // The same for several winners in one pass, as if each had been removed in turn.
    void removeContainingAny(const QStringList &winners);
    // The winners of one press, removed as their stops one after another would remove
    // them, in one pass: answers the pool's size before each winner's removal, then after
    // the last (winners.size() + 1 sizes).
    QList<qsizetype> removeInTurn(const QStringList &winners);

private:
    NameList names_;
    bool filled_ = false;
};
