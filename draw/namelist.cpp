#include "namelist.h"

NameList::NameList(const QStringList &names)
{
    qsizetype characters = 0;
    for (const QString &name : names)
        characters += name.size();
    reserve(names.size(), characters);
    for (const QString &name : names)
        append(name);
}

QStringView NameList::at(qsizetype index) const
{
    const qsizetype start = starts_[std::size_t(index)];
    const qsizetype end = index + 1 < size() ? starts_[std::size_t(index + 1)] : text_.size();
    return QStringView(text_).sliced(start, end - start);
}

QStringList NameList::toStringList() const
{
    QStringList names;
    names.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        names.append(at(i).toString());
    return names;
}

void NameList::reserve(qsizetype names, qsizetype characters)
{
    starts_.reserve(std::size_t(names));
    text_.reserve(characters);
}

void NameList::append(QStringView name)
{
    starts_.push_back(text_.size());
    text_.append(name);
}
