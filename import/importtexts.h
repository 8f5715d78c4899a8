#pragma once

#include "sheettable.h"

#include <QLocale>
#include <QString>

#include <optional>

// Numbers and column titles as the import dialog shows them.
inline QString number(qsizetype n)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(qint64(n));
}

// "B：姓名": the column's letter and, under a header, its title.
inline QString columnTitle(const SheetTable &table, int column, std::optional<qsizetype> header)
{
    QString title = SheetTable::columnName(column);
    if (header) {
        const QStringView text = table.cell(*header, column);
        if (!text.isEmpty())
            title += QStringLiteral("：") + text.left(20).toString();
    }
    return title;
}
