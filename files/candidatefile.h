#pragma once

#include "duplicatenames.h"
#include "fileresult.h"
#include "namelist.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// cjk.txt as the pool takes it: one name per line, taken whole; empty lines are skipped
// and a name that stands twice gives two entries. The names are kept back to back, not
// as a string each, so a million of them read in about the time their decoding takes.
struct CandidatePool {
    NameList names;
    FileResult result;
    // Of the file's bytes, in hex, so anyone can check later which list was drawn from;
    // empty when the file could not be read.
    QByteArray sha256;
    QList<qsizetype> emptyLines; // counted from 1, for telling the names' own lines
};

CandidatePool readCandidatePool(const QString &path);
// The duplicates of a pool just read, with their lines in the file.
QList<DuplicateName> findDuplicateNames(const CandidatePool &pool);
// The names in a candidate file's bytes, whatever its encoding.
QStringList parseCandidateNames(const QByteArray &bytes);
