#pragma once

#include "candidatefile.h"

// cjk.txt read the way the program reads it, with the names as plain strings and the
// duplicates found, so the tests compare whole lists.
struct CandidateList {
    QStringList names;
    FileResult result;
    QByteArray sha256;
    QList<DuplicateName> duplicates; // in the order of their first line
};

inline CandidateList readCandidateFile(const QString &path)
{
    const CandidatePool pool = readCandidatePool(path);
    return {pool.names.toStringList(), pool.result, pool.sha256, findDuplicateNames(pool)};
}
