#pragma once

#include <QByteArrayView>
#include <QString>

class QTextCodec;

// Qt's GB18030 codec, looked up once.
QTextCodec *gb18030Codec();

// The text QTextCodec's GB18030 codec makes of `bytes`, character for character. GBK
// text (single bytes below 0x80 and two-byte characters) is decoded through a table the
// codec itself fills once, several times faster than the codec; anything else
// (four-byte sequences, invalid bytes) is left to the codec.
QString decodeGb18030(QByteArrayView bytes);
