#pragma once

#include "journalreader.h"

#include <QString>

// The operator's sentences about the journal at start-up.
QString resumeQuestionText(const QString &journalPath, const InterruptedDraw &draw);
QString startedAfreshText(const QString &journalPath, const InterruptedDraw &draw);
QString listChangedText(const QString &listPath);
