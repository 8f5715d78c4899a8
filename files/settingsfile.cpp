#include "settingsfile.h"

#include "atomicwrite.h"
#include "fileaccess.h"
#include "numericconversions.h"
#include "textcodec.h"

std::array<qint32, 4> SettingsLines::quotas() const
{
    return {quotaValue(lines[1]), quotaValue(lines[2]), quotaValue(lines[3]), quotaValue(lines[4])};
}

std::array<QString, 5> SettingsLines::settingsWindowTexts() const
{
    return {lines[0], displayNumber(lines[1]), displayNumber(lines[2]), displayNumber(lines[3]),
            displayNumber(lines[4])};
}

std::array<QString, 5> parseSettingsLines(const QByteArray &bytes)
{
    const QStringList fileLines = splitLines(decodeText(bytes));
    std::array<QString, 5> lines;
    for (qsizetype i = 0; i < qsizetype(lines.size()) && i < fileLines.size(); ++i)
        lines[i] = fileLines[i];
    return lines;
}

SettingsLines readSettingsFile(const QString &path)
{
    SettingsLines settings;
    const QByteArray bytes = readFileBytes(path, settings.result);
    settings.lines = parseSettingsLines(bytes);
    return settings;
}

FileResult writeSettingsFile(const QString &path, const std::array<QString, 5> &texts)
{
    QString text;
    for (const QString &line : texts)
        text += line + QStringLiteral("\r\n");
    return writeFileAtomically(path, encodeText(text));
}
