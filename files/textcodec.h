#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Decodes a text file's bytes whatever an operator saved it as: a UTF-8 or UTF-16
// byte-order mark decides; otherwise bytes that are not valid UTF-8 are GB18030 (a
// superset of GBK), and valid UTF-8 with non-ASCII bytes (which short GBK text often
// is) is read as UTF-8 only when that gives clearly the likelier text.
QString decodeText(const QByteArray &bytes);

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF). Stops at the
// first bad sequence, so a GBK file of any size is rejected after a few bytes.
bool isValidUtf8(QByteArrayView bytes, bool *hasNonAscii);

// decodeText's judgement of a text without a byte-order mark, a block of lines at a time
// from its start: a GBK file stops at its first block that is no UTF-8, and a long UTF-8
// file is decoded both ways only until one reading is far ahead. A reader that decodes a
// file a piece at a time (TextBlockReader) judges it by the same blocks.
class Utf8Judgement {
public:
    // Where the block that starts at `start` ends: 4096 bytes on, through the next line
    // end, or at the end of the text. -1 when `bytes` end before that and are not the
    // whole text (`atEnd` false).
    static qsizetype blockEnd(QByteArrayView bytes, qsizetype start, bool atEnd);
    // Judges the next block; false when it is no UTF-8, which makes the text GB18030.
    bool add(QByteArrayView block);
    // One reading leads so far that no further block changes the judgement.
    bool decided() const;
    // The UTF-8 reading is clearly the likelier: the text is UTF-8 if the rest is valid.
    bool utf8Likelier() const;

private:
    qsizetype utf8Cost_ = 0;
    qsizetype gbCost_ = 0;
};

// GB18030: byte-identical to GBK for GBK text and lossless for everything else.
QByteArray encodeText(const QString &text);

// CR LF, a lone LF and a lone CR each end a line; a line end after the last line
// gives no extra empty line.
QStringList splitLines(const QString &text);
