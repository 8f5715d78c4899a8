#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Candidate lists like an operator brings them: mostly Chinese names of two to four
// characters, some Latin names, and a share of names that stand twice. The same count
// always gives the same list, so runs compare like with like.
QStringList generateNames(qsizetype count);

// The names as cjk.txt holds them: GB18030, one per line, CR LF after each.
QByteArray candidateFileBytes(const QStringList &names);

// The same names as a UTF-8 file without a byte-order mark, which the reader decodes
// both ways and judges.
QByteArray utf8CandidateFileBytes(const QStringList &names);

// A bt.txt with quotas larger than any pool, so no tier is ever disabled by a draw.
QByteArray settingsFileBytes();

// Writes bt.txt and a cjk.txt of `count` names into `directory`; false when that fails.
bool writeProgramFiles(const QString &directory, qsizetype count);
