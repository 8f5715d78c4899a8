#pragma once

#include "fileresult.h"

#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `bytes` in one step: a crash, a full disk or a
// short write leaves the previous file whole. The error names the path and the reason.
FileResult writeFileAtomically(const QString &path, const QByteArray &bytes);
