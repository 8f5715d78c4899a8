#pragma once

#include <QChar>
#include <QString>

// The directory that holds the executable, with native separators (no trailing
// separator except at a root).
QString programDirectory();

// The platform's separator: '\' on Windows, '/' elsewhere.
QChar nativeSeparator();

// Readers add the separator only when the directory does not already end in one.
QString readerPath(const QString &directory, const QString &fileName, QChar separator);
// Writers always insert one, so at a root the path shows it twice.
QString writerPath(const QString &directory, const QString &fileName, QChar separator);

inline const QString SettingsFileName = QStringLiteral("bt.txt");
inline const QString CandidateFileName = QStringLiteral("cjk.txt");
inline const QString ReportFileName = QStringLiteral("获奖名单.txt");
