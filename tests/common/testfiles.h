#pragma once

#include <QByteArray>
#include <QString>

// Encodes the way Windows Notepad saves "ANSI" text on a Chinese system. The program
// itself never uses the GBK codec, so fixtures made with it check the reader
// independently of the writer.
QByteArray gbk(const QString &text);

// Writes `bytes` to `path` as they are; false when that fails.
bool writeBytes(const QString &path, const QByteArray &bytes);
QByteArray readBytes(const QString &path);

// Root ignores file permissions, so permission faults need another fault there.
bool permissionsAreEnforced();
