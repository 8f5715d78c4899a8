#pragma once

#include "fileresult.h"

#include <QString>
#include <QStringList>

// How many winners the report `bytes` lists: its lines before the dash line.
qsizetype reportWinnerCount(const QByteArray &bytes);

// What keepFullerReport did.
struct KeptReport {
    QStringList copies;    // the kept copies' paths, the report's first
    qsizetype winners = 0; // how many winners the kept report lists
    FileResult result;
};

// Before a report with `winners` winners replaces the one at `path`: when that one lists
// more (a start and an exit without drawing, after a crash), it and each of `companions`
// that exists (the result sheet) are copied beside themselves as
// "<name>（上一份，<date-time>）.<suffix>", so an empty evening never wipes a full one.
KeptReport keepFullerReport(const QString &path, qsizetype winners, const QStringList &companions);

// What the report's message adds when a fuller report was kept; empty when none was.
QString keptReportText(const KeptReport &kept);
