#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstring>
#include <initializer_list>
#include <vector>

// Names kept back to back in one string, with where each one begins. A million names
// are a few allocations instead of a million, and a sweep over them reads memory in
// order.
class NameList {
public:
    NameList() = default;
    // Not explicit: wherever a list of strings was taken, it still is.
    NameList(const QStringList &names);
    NameList(std::initializer_list<QString> names) : NameList(QStringList(names)) {}
    // Takes names already back to back in `text`, name i beginning at starts[i]
    // (ascending; each name ends where the next begins, the last at the end of text).
    NameList(QString text, std::vector<qsizetype> starts)
        : text_(std::move(text)), starts_(std::move(starts))
    {
    }

    qsizetype size() const { return qsizetype(starts_.size()); }
    bool isEmpty() const { return starts_.empty(); }
    QStringView at(qsizetype index) const;
    QStringList toStringList() const;

    // Room for `names` names of `characters` characters in all.
    void reserve(qsizetype names, qsizetype characters);
    void append(QStringView name);

    // Keeps the names `keep` answers true for, in their order, in one pass.
    template <typename Keep> void keepIf(Keep keep);

    friend bool operator==(const NameList &a, const NameList &b)
    {
        return a.starts_ == b.starts_ && a.text_ == b.text_;
    }

private:
    QString text_;
    std::vector<qsizetype> starts_;
};

template <typename Keep> void NameList::keepIf(Keep keep)
{
    // Every kept name moves to the front, never past a name not yet looked at.
    QChar *text = text_.data();
    qsizetype kept = 0;
    qsizetype written = 0;
    for (qsizetype i = 0; i < size(); ++i) {
        const QStringView name = at(i);
        if (!keep(name))
            continue;
        const qsizetype start = starts_[std::size_t(i)];
        std::memmove(text + written, text + start, std::size_t(name.size()) * sizeof(QChar));
        starts_[std::size_t(kept++)] = written;
        written += name.size();
    }
    starts_.resize(std::size_t(kept));
    text_.truncate(written);
}
