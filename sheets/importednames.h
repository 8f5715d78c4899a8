#pragma once

#include "duplicatenames.h"
#include "sheettable.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <iterator>
#include <utility>
#include <vector>

// One imported name as the sheet's cells give it: the name and, when a detail column is
// chosen and the row has one, the detail, joined as "张三（销售部）". Views into the table.
struct JoinedName {
    QStringView name;
    QStringView detail; // empty: the name alone

    qsizetype size() const
    {
        return detail.isEmpty() ? name.size() : name.size() + detail.size() + 2;
    }
    QString toString() const;
    // Writes the size() units of the joined text at `out`; answers where they end.
    char16_t *copyTo(char16_t *out) const;
    // The joined texts compared: "张三（销售部）" alone in its cell is the same name.
    friend bool operator==(const JoinedName &a, const JoinedName &b);
};

// The names an import gives, in the order of their rows: the sheet's table (shared, not
// copied) and which rows give a name, one bit a row. A million names joined with their
// department never stand as a second copy of their texts beside the table.
class ImportedNameList {
public:
    ImportedNameList() = default;
    // Names from the rows [firstRow, endRow) that append() takes, of `nameColumn` and, where
    // `detailColumn` is not negative, that column in brackets (an error value there is
    // left out).
    ImportedNameList(const SheetTable &table, int nameColumn, int detailColumn, qsizetype firstRow,
                     qsizetype endRow);
    ImportedNameList(const ImportedNameList &) = default;
    ImportedNameList &operator=(const ImportedNameList &) = default;
    // The list moved from is empty.
    ImportedNameList(ImportedNameList &&other) noexcept { *this = std::move(other); }
    ImportedNameList &operator=(ImportedNameList &&other) noexcept;
    ~ImportedNameList() = default;
    // The row's name is next; rows come in ascending order.
    void append(qsizetype row);

    qsizetype size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    // The characters of all the names.
    qsizetype characters() const { return characters_; }
    JoinedName at(qsizetype index) const;
    QStringList toStringList() const;

    // The names in order, each as at() gives it.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = JoinedName;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = JoinedName;

        const_iterator() = default;
        JoinedName operator*() const { return list_->nameAt(row()); }
        const_iterator &operator++();
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const const_iterator &a, const const_iterator &b)
        {
            return a.word_ == b.word_ && a.bits_ == b.bits_;
        }

    private:
        friend class ImportedNameList;
        const_iterator(const ImportedNameList *list, std::size_t word);
        qsizetype row() const;

        const ImportedNameList *list_ = nullptr;
        std::size_t word_ = 0;
        quint64 bits_ = 0; // the rows of word_ still to come
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, taken_.size()}; }

private:
    static constexpr int WordsPerSample = 8;
    // An error value (#N/A) as the detail leaves the name alone.
    static JoinedName joined(QStringView name, QStringView detail);
    JoinedName nameAt(qsizetype row) const { return joined(names_.cell(row), details_.cell(row)); }

    SheetTable table_; // never changed: the cells below stay where they are
    SheetTable::ColumnCells names_;
    SheetTable::ColumnCells details_;
    qsizetype firstRow_ = 0;
    qsizetype size_ = 0;
    qsizetype characters_ = 0;
    std::vector<quint64> taken_;    // bit r: row firstRow_ + r gives a name
    std::vector<qsizetype> before_; // the names before each WordsPerSample words of taken_
};

// The names that stand more than once among the imported ones, in the order of each one's
// first line, with the lines it stands on (counting the names, from 1): what
// findDuplicateNames() gives for the same names, in four bytes a line of a repeated name.
class ImportedDuplicates {
public:
    qsizetype size() const { return qsizetype(groups_.size()); }
    bool isEmpty() const { return groups_.empty(); }
    DuplicateName operator[](qsizetype index) const;
    DuplicateName at(qsizetype index) const { return (*this)[index]; }

private:
    friend ImportedDuplicates findImportedDuplicates(const ImportedNameList &names);

    ImportedNameList names_;
    // The indexes of the names, a repeated name's after each other in ascending order, the
    // names by their first; groups_ says where each one's begin in members_.
    std::vector<quint32> members_;
    std::vector<quint32> groups_;
};

ImportedDuplicates findImportedDuplicates(const ImportedNameList &names);
