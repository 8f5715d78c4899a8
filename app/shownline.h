#pragma once

// How the main window shows the log's lines and the title: one line of a box each, cut
// short when huge.

#include "cutshort.h"

#include <QString>
#include <QStringList>

// A name or title of many megabytes (a file whose line ends were lost) would keep the text
// layout busy for minutes; the window shows such a line cut short, the log and the report
// keep it whole.
inline constexpr qsizetype LongestShownLine = 1000;

inline QString shownLine(QString line)
{
    // The log box starts a line at these; one log line must stay one line of the box.
    line.replace(QChar::ParagraphSeparator, QChar::LineSeparator);
    for (QChar frame : {QChar(0xFDD0), QChar(0xFDD1)})
        line.replace(frame, QChar::ReplacementCharacter);
    return cutShort(line, LongestShownLine);
}

// The results log keeps CR LF for the report; the text box shows plain line breaks.
inline QString forDisplay(const QString &text)
{
    QStringList lines = text.split(QLatin1String("\r\n"));
    for (QString &line : lines)
        line = shownLine(line);
    return lines.join(QLatin1Char('\n'));
}
