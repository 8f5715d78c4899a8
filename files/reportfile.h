#pragma once

#include "fileresult.h"

#include <QString>

// The winners report: the log as it stands, a dash line, the status line without its
// surrounding spaces, the web address and the promotional line.
QString reportText(const QString &log, const QString &status);

FileResult writeReportFile(const QString &path, const QString &log, const QString &status);
