#include "textcodec.h"

#include "gb18030decoder.h"
#include "plausibility.h"

#include <QStringDecoder>
#include <QTextCodec>

#include <algorithm>

namespace {

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF). Stops at the
// first bad sequence, so a GBK file of any size is rejected after a few bytes.
bool isValidUtf8(QByteArrayView bytes, bool *hasNonAscii)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    *hasNonAscii = false;
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        *hasNonAscii = true;
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i < length; ++i) {
            if (!isContinuation(p[i]))
                return false;
        }
        p += length;
    }
    return true;
}

QString decodeUtf16(const QByteArray &bytes, QStringDecoder::Encoding encoding)
{
    QStringDecoder decoder(encoding);
    return decoder(bytes.sliced(2));
}

// Judged a block of lines at a time: a GBK file stops at its first non-UTF-8 line, and
// a long UTF-8 file is decoded both ways only until one reading is far ahead. Lines of
// ASCII read the same both ways and are not judged.
QString decodeWithoutBom(const QByteArray &bytes)
{
    constexpr qsizetype BlockBytes = 4096;
    const QByteArrayView all(bytes);
    qsizetype utf8Cost = 0;
    qsizetype gbCost = 0;
    qsizetype start = 0;
    while (start < all.size() && qAbs(gbCost - utf8Cost) < DecisiveLead) {
        qsizetype end = all.indexOf('\n', std::min(start + BlockBytes, all.size() - 1));
        end = end < 0 ? all.size() : end + 1;
        const QByteArrayView block = all.sliced(start, end - start);
        bool hasNonAscii = false;
        if (!isValidUtf8(block, &hasNonAscii))
            return decodeGb18030(bytes);
        if (hasNonAscii) {
            utf8Cost += implausibility(QString::fromUtf8(block));
            gbCost += implausibility(decodeGb18030(block));
        }
        start = end;
    }
    // Short GBK text can be valid UTF-8 as well; GB18030 too when the rest is no UTF-8.
    if (!isClearlyLikelier(utf8Cost, gbCost))
        return decodeGb18030(bytes);
    const QString utf8 = QString::fromUtf8(bytes);
    // Bytes after the judged lines that are no UTF-8 decode to U+FFFD.
    bool hasNonAscii = false;
    if (utf8.contains(QChar::ReplacementCharacter) && !isValidUtf8(all.sliced(start), &hasNonAscii))
        return decodeGb18030(bytes);
    return utf8;
}

} // namespace

QString decodeText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return decodeUtf16(bytes, QStringDecoder::Utf16LE);
    if (bytes.startsWith("\xFE\xFF"))
        return decodeUtf16(bytes, QStringDecoder::Utf16BE);

    bool hasNonAscii = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        const QByteArray rest = bytes.sliced(3);
        const QString utf8 = QString::fromUtf8(rest);
        if (isValidUtf8(rest, &hasNonAscii))
            return utf8;
        // The same three bytes begin a GBK text whose first character is 锘.
        const QString gbReading = decodeGb18030(bytes);
        return isClearlyLikelier(implausibility(utf8), implausibility(gbReading)) ? utf8
                                                                                  : gbReading;
    }
    return decodeWithoutBom(bytes);
}

QByteArray encodeText(const QString &text)
{
    return gb18030Codec()->fromUnicode(text);
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    const qsizetype size = text.size();
    const QChar *data = text.constData();
    // Exact for CR LF and LF text; lone CRs only make the list grow.
    lines.reserve(std::count(data, data + size, u'\n') + 1);
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.sliced(start));
    return lines;
}
