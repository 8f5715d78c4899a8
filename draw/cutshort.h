#pragma once

#include <QString>
#include <QStringView>

// A name or title of megabytes (a list whose line ends were lost) would keep a text
// layout busy for minutes: what a window shows of it is cut short with an ellipsis,
// never between the two halves of a character outside the Basic Multilingual Plane.
inline QString cutShort(QStringView text, qsizetype longest)
{
    if (text.size() <= longest)
        return text.toString();
    const qsizetype cut = text.at(longest - 1).isHighSurrogate() ? longest - 1 : longest;
    return text.left(cut).toString() + QChar(0x2026);
}
