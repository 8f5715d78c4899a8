#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The reads and writes the fault tests run in a child process, by name. Each write puts
// a payload of about `size` bytes in place; a writer that joins later (an append, say)
// becomes one more name here and in the fault tables.
QStringList faultWriteOperations();

// What the file holds after a write operation with that payload size succeeded.
QByteArray expectedFileBytes(const QString &operation, qsizetype size);

// Runs the operation on `path`: nullopt when the name is unknown, otherwise the
// operator's error text, empty on success.
std::optional<QString> runFaultOperation(const QString &operation, const QString &path,
                                         qsizetype size);
