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

} // namespace

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

namespace {

QString decodeUtf16(const QByteArray &bytes, QStringDecoder::Encoding encoding)
{
    QStringDecoder decoder(encoding);
    return decoder(bytes.sliced(2));
}

// Judged a block of lines at a time (Utf8Judgement). Lines of ASCII read the same both
// ways and are not judged.
QString decodeWithoutBom(const QByteArray &bytes)
{
    const QByteArrayView all(bytes);
    Utf8Judgement judgement;
    qsizetype start = 0;
    while (start < all.size() && !judgement.decided()) {
        const qsizetype end = Utf8Judgement::blockEnd(all, start, true);
        if (!judgement.add(all.sliced(start, end - start)))
            return decodeGb18030(bytes);
        start = end;
    }
    // Short GBK text can be valid UTF-8 as well; GB18030 too when the rest is no UTF-8.
    if (!judgement.utf8Likelier())
        return decodeGb18030(bytes);
    const QString utf8 = QString::fromUtf8(bytes);
    // Bytes after the judged lines that are no UTF-8 decode to U+FFFD.
    bool hasNonAscii = false;
    if (utf8.contains(QChar::ReplacementCharacter) && !isValidUtf8(all.sliced(start), &hasNonAscii))
        return decodeGb18030(bytes);
    return utf8;
}

} // namespace

qsizetype Utf8Judgement::blockEnd(QByteArrayView bytes, qsizetype start, bool atEnd)
{
    constexpr qsizetype BlockBytes = 4096;
    const qsizetype from = start + BlockBytes;
    const qsizetype end = from < bytes.size() ? bytes.indexOf('\n', from) : -1;
    if (end >= 0)
        return end + 1;
    // The text's last line, with or without its line end.
    return atEnd ? bytes.size() : -1;
}

bool Utf8Judgement::add(QByteArrayView block)
{
    bool hasNonAscii = false;
    if (!isValidUtf8(block, &hasNonAscii))
        return false;
    if (hasNonAscii) {
        utf8Cost_ += implausibility(QString::fromUtf8(block));
        gbCost_ += implausibility(decodeGb18030(block));
    }
    return true;
}

bool Utf8Judgement::decided() const
{
    return qAbs(gbCost_ - utf8Cost_) >= DecisiveLead;
}

bool Utf8Judgement::utf8Likelier() const
{
    return isClearlyLikelier(utf8Cost_, gbCost_);
}

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
