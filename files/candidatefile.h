#pragma once

#include "fileresult.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// A name that stands on more than one line, with those lines (counted from 1).
struct DuplicateName {
    QString name;
    QList<qsizetype> lineNumbers;
};

// cjk.txt: one name per line, taken whole; empty lines are skipped and a name that
// stands twice gives two entries.
struct CandidateList {
    QStringList names;
    FileResult result;
    // Of the file's bytes, in hex, so anyone can check later which list was drawn from;
    // empty when the file could not be read.
    QByteArray sha256;
    QList<DuplicateName> duplicates; // in the order of their first line
};

CandidateList readCandidateFile(const QString &path);
// The names in a candidate file's bytes, whatever its encoding.
QStringList parseCandidateNames(const QByteArray &bytes);
