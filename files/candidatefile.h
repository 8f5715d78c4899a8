#pragma once

#include "fileresult.h"

#include <QByteArray>
#include <QStringList>

// cjk.txt: one name per line, taken whole; empty lines are skipped and a name that
// stands twice gives two entries.
struct CandidateList {
    QStringList names;
    FileResult result;
};

CandidateList readCandidateFile(const QString &path);
// The names in a candidate file's bytes, whatever its encoding.
QStringList parseCandidateNames(const QByteArray &bytes);
