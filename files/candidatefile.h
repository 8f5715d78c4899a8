#pragma once

#include "duplicatenames.h"
#include "fileresult.h"
#include "namelist.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// cjk.txt as the pool takes it: one name per line, taken whole but for its invisible
// characters (invisiblecharacters.h); empty lines are skipped and a name that stands twice
// gives two entries. The names are kept back to back, not
// as a string each, so a million of them read in about the time their decoding takes.
struct CandidatePool {
    NameList names;
    FileResult result;
    // Of the file's bytes, in hex, so anyone can check later which list was drawn from;
    // empty when the file could not be read.
    QByteArray sha256;
    QList<qsizetype> emptyLines; // counted from 1, for telling the names' own lines
    // Names that held invisible characters, read without them; a line of nothing else is
    // an empty line.
    qsizetype namesWithInvisibleCharacters = 0;
};

// Draws of earlier versions took every character of a name as it stood: their journals
// are replayed on the names read that way.
enum class InvisibleCharacters { Removed, Kept };

CandidatePool readCandidatePool(const QString &path,
                                InvisibleCharacters invisible = InvisibleCharacters::Removed);
// The duplicates of a pool just read, with their lines in the file.
QList<DuplicateName> findDuplicateNames(const CandidatePool &pool);
// The names in a candidate file's bytes, whatever its encoding.
QStringList parseCandidateNames(const QByteArray &bytes,
                                InvisibleCharacters invisible = InvisibleCharacters::Removed);
