#pragma once

#include "listsource.h"

// An OpenDocument spreadsheet (.ods, what LibreOffice and WPS save by default there), read
// with ZipArchive and QXmlStreamReader. Its sheets all stand in one part, content.xml:
// opening reads that through once and keeps each sheet's table, which the first
// readSheet() of that sheet takes; a later one reads the part again. Fails with
// NotSpreadsheet "OpenDocument" (the operator is told to save it as .xlsx) when the
// package holds no spreadsheet content that can be read, with the ZIP's own failure when
// the package is broken or too large.
std::unique_ptr<ListSource> openOdsSource(const QString &path, const ReadProgress &progress,
                                          ReadFailure &failure, qint64 entryCap = qint64(1) << 30);
