#pragma once

#include "fileresult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

// 每次抽取人数.txt beside the program: how many winners one press draws, per tier, one
// line a tier in the tiers' order, "3等奖=10". A line that gives no tier names it by its
// place (a bare "10" on the second line is the second prize's). The file is an operator's
// to edit: a missing file, a missing line and a line that cannot be read all mean 1, a
// press as it always was; the unreadable lines are named for the operator, nothing worse.
inline const QString BatchFileName = QStringLiteral("每次抽取人数.txt");

struct BatchSizes {
    std::array<int, 4> sizes{1, 1, 1, 1};
    // Each line that could not be read, for the operator: "第2行「十个」".
    QStringList damagedLines;
    // Only for a file that exists and cannot be read; a missing one is no fault.
    FileResult result;
};

BatchSizes readBatchFile(const QString &path);
BatchSizes parseBatchFile(const QByteArray &bytes);

// The four lines, GB18030 with CR LF, replacing the file atomically.
QByteArray batchFileBytes(const std::array<int, 4> &sizes);
FileResult writeBatchFile(const QString &path, const std::array<int, 4> &sizes);

// What the operator is told about a file that could not be read, or lines of it.
QString batchFileNotice(const QString &path, const BatchSizes &read);
