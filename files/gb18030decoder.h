#pragma once

#include <QByteArrayView>
#include <QString>

class QTextCodec;

// Qt's GB18030 codec, looked up once.
QTextCodec *gb18030Codec();

// GB18030 text as the standard defines it, the same on every platform. Two-byte
// characters come from a table the codec fills once (several times faster than the codec)
// and four-byte characters outside the basic plane are computed: Qt's own codec, used
// where Qt has no ICU (Windows), keeps only their low 16 bits, and swallows the byte after
// a broken sequence, a line break too. Broken text reads as ICU reads it, everywhere.
QString decodeGb18030(QByteArrayView bytes);
