#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Decodes a text file's bytes whatever an operator saved it as: a UTF-8 or UTF-16
// byte-order mark decides; otherwise bytes that are not valid UTF-8 are GB18030 (a
// superset of GBK), and valid UTF-8 with non-ASCII bytes (which short GBK text often
// is) is read as UTF-8 only when that gives clearly the likelier text.
QString decodeText(const QByteArray &bytes);

// GB18030: byte-identical to GBK for GBK text and lossless for everything else.
QByteArray encodeText(const QString &text);

// CR LF, a lone LF and a lone CR each end a line; a line end after the last line
// gives no extra empty line.
QStringList splitLines(const QString &text);
