#pragma once

#include "fileresult.h"
#include "journalreader.h"

#include <QString>

// The operator's sentences about the journal: at start-up, and while it cannot be written.
QString resumeQuestionText(const QString &journalPath, const InterruptedDraw &draw,
                           const QString &fileNote = {});
QString startedAfreshText(const QString &journalPath, const InterruptedDraw &draw);
QString listChangedText(const QString &listPath);
// What start-up did with a journal it read but could not append to as it was: kept an
// editor's UTF-16 save aside (`keptAside`), or left it alone because it cannot be written.
QString journalFileNote(const InterruptedDraw &draw, const QString &keptAside,
                        const FileResult &writable);
QString journalUnreadableText(const QString &error);

QString journalBehindText(const QString &error);
QString journalCaughtUpText(const QString &journalPath, qsizetype lines);
// At the end, with lines still missing; `reportPath` is the report written on the way out,
// empty when none could be.
QString journalStillBehindText(const QString &journalPath, qsizetype lines,
                               const QString &reportPath);
