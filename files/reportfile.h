#pragma once

#include "fileresult.h"

#include <QString>
#include <QStringList>

// The winners report: the log as it stands, a dash line, the status line without its
// surrounding spaces, the web address and the promotional line; then, only when winners
// were voided, an empty line, a heading and their log lines, oldest void first; then,
// only when winners were typed in that are no name of the list, the same for them; then
// the same for names of the list that were typed or pasted in rather than drawn.
QString reportText(const QString &log, const QString &status, const QStringList &voided = {},
                   const QStringList &typed = {}, const QStringList &typedListed = {});

FileResult writeReportFile(const QString &path, const QString &log, const QString &status,
                           const QStringList &voided = {}, const QStringList &typed = {},
                           const QStringList &typedListed = {});
