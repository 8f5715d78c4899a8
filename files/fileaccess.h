#pragma once

#include "fileresult.h"

#include <QByteArray>
#include <QString>

// The operator's sentences for a file that cannot be read or written.
QString readError(const QString &path, const QString &reason);
QString writeError(const QString &path, const QString &reason);
QString folderReason();

// The whole file, or empty bytes and the reason in `result`.
QByteArray readFileBytes(const QString &path, FileResult &result);
