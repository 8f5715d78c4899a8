#pragma once

#include "fileresult.h"

#include <QByteArray>
#include <QString>

#include <array>

// bt.txt: line 1 the event title, lines 2 to 5 the quotas of the third, second,
// first and special prize. Lines after the fifth are never read; missing lines read
// as empty.
struct SettingsLines {
    std::array<QString, 5> lines;
    FileResult result;

    const QString &title() const { return lines[0]; }
    // The four quotas as the main window uses them.
    std::array<qint32, 4> quotas() const;
    // The five texts the settings window shows: the title as it stands, then the
    // quota lines as display numbers.
    std::array<QString, 5> settingsWindowTexts() const;
};

SettingsLines readSettingsFile(const QString &path);
// The first five lines of a settings file's bytes, whatever its encoding.
std::array<QString, 5> parseSettingsLines(const QByteArray &bytes);

// Writes the five texts exactly as typed, each ending in CR LF, replacing the file
// atomically.
FileResult writeSettingsFile(const QString &path, const std::array<QString, 5> &texts);
