#pragma once

#include "listsource.h"

// An Excel workbook (.xlsx, .xlsm), read with ZipArchive and QXmlStreamReader: the
// workbook's sheet list, its number formats and its shared strings when it is opened,
// then a sheet at a time, row by row.
std::unique_ptr<ListSource> openXlsxSource(const QString &path, const ReadProgress &progress,
                                           ReadFailure &failure, qint64 entryCap = qint64(1) << 30);
