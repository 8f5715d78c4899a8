#pragma once

#include <QChar>
#include <QString>

#include <optional>

// The directory that holds the executable, with native separators (no trailing
// separator except at a root), or nothing when it cannot be told or its files cannot be
// opened by name (a path the file functions cannot convert, or one beyond the system's
// length limit).
std::optional<QString> programDirectory();

// The operator's sentence when there is no program directory; `shownPath` is the program
// as it was started.
QString noProgramDirectoryText(const QString &shownPath);

// The platform's separator: '\' on Windows, '/' elsewhere.
QChar nativeSeparator();

// Readers add the separator only when the directory does not already end in one.
QString readerPath(const QString &directory, const QString &fileName, QChar separator);
// Writers always insert one, so at a root the path shows it twice.
QString writerPath(const QString &directory, const QString &fileName, QChar separator);

inline const QString SettingsFileName = QStringLiteral("bt.txt");
inline const QString CandidateFileName = QStringLiteral("cjk.txt");
inline const QString ReportFileName = QStringLiteral("获奖名单.txt");
