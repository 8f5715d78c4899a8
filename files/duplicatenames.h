#pragma once

#include "namelist.h"

#include <QList>
#include <QString>

// A name that stands on more than one line, with those lines (counted from 1).
struct DuplicateName {
    QString name;
    QList<qsizetype> lineNumbers;
};

// Every name that stands on more than one line, in the order of its first line. The
// names are a file's non-empty lines in order; `emptyLines` are the file's other lines
// (counted from 1, ascending), which the line numbers count too.
QList<DuplicateName> findDuplicateNames(const NameList &names, const QList<qsizetype> &emptyLines);
