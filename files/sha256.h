#pragma once

#include <QByteArray>

// The SHA-256 of `bytes` in lower-case hex, as sha256sum prints it. Uses the processor's
// SHA instructions where it has them: a million-name list is hashed in a few
// milliseconds instead of a tenth of a second.
QByteArray sha256Hex(const QByteArray &bytes);
