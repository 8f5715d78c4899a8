#include "gb18030decoder.h"

#include <QTextCodec>

#include <array>
#include <optional>

namespace {

constexpr int LeadFirst = 0x81;
constexpr int LeadCount = 0xFE - LeadFirst + 1;
constexpr int TrailFirst = 0x40;
constexpr int TrailCount = 0xFE - TrailFirst + 1; // 0x7F is no trail byte and stays unused

// Four-byte sequences from 90 30 81 30 on count up from U+10000.
constexpr unsigned char SupplementaryLead = 0x90;
constexpr char32_t LastCodePoint = 0x10FFFF;

using TwoByteTable = std::array<char16_t, LeadCount * TrailCount>;

// Every two-byte character as the codec decodes it, one lead byte's row per call. A
// codec that does not give one UTF-16 unit per character leaves the table unused.
std::optional<TwoByteTable> buildTable()
{
    TwoByteTable table{};
    for (int lead = 0; lead < LeadCount; ++lead) {
        QByteArray row;
        for (int trail = 0; trail < TrailCount; ++trail) {
            if (TrailFirst + trail == 0x7F)
                continue;
            row += char(LeadFirst + lead);
            row += char(TrailFirst + trail);
        }
        const QString decoded = gb18030Codec()->toUnicode(row);
        if (decoded.size() != row.size() / 2)
            return std::nullopt;
        qsizetype unit = 0;
        for (int trail = 0; trail < TrailCount; ++trail) {
            if (TrailFirst + trail != 0x7F)
                table[std::size_t(lead * TrailCount + trail)] = decoded.at(unit++).unicode();
        }
    }
    return table;
}

const TwoByteTable *twoByteTable()
{
    static const std::optional<TwoByteTable> table = buildTable();
    return table ? &*table : nullptr;
}

bool isDigit(unsigned char byte)
{
    return byte >= 0x30 && byte <= 0x39;
}

bool isLeadByte(unsigned char byte)
{
    return byte >= LeadFirst && byte <= 0xFE;
}

bool isTwoByteTrail(unsigned char byte)
{
    return byte >= TrailFirst && byte != 0x7F && byte != 0xFF;
}

// A four-byte character. Inside the basic plane the mapping is a table of ranges that the
// codec decodes right on every platform; beyond it, it is a plain offset.
void appendFourByte(const unsigned char *p, char16_t *&out)
{
    if (p[0] < SupplementaryLead) {
        const QString decoded = gb18030Codec()->toUnicode(reinterpret_cast<const char *>(p), 4);
        *out++ =
            decoded.size() == 1 ? decoded.at(0).unicode() : char16_t(QChar::ReplacementCharacter);
        return;
    }
    const char32_t codePoint =
        0x10000 + char32_t((p[0] - SupplementaryLead) * 12600 + (p[1] - 0x30) * 1260 +
                           (p[2] - 0x81) * 10 + (p[3] - 0x30));
    if (codePoint > LastCodePoint) {
        *out++ = QChar::ReplacementCharacter;
        return;
    }
    *out++ = QChar::highSurrogate(codePoint);
    *out++ = QChar::lowSurrogate(codePoint);
}

// What the multi-byte sequence at p is, read as ICU reads it. A broken sequence is its
// lead byte alone (with a following 0xFF, which starts nothing), so the byte that broke it,
// a line break say, is read again as a character of its own. A sequence cut off by the end
// of the text is dropped, as every codec drops it.
enum class Sequence { TwoByte, FourByte, Broken, BrokenWithFF, CutOff };

Sequence sequenceAt(const unsigned char *p, const unsigned char *end)
{
    const qsizetype left = end - p;
    if (left < 2)
        return Sequence::CutOff;
    if (isTwoByteTrail(p[1]))
        return Sequence::TwoByte;
    if (!isDigit(p[1]))
        return p[1] == 0xFF ? Sequence::BrokenWithFF : Sequence::Broken;
    if (left < 3)
        return Sequence::CutOff;
    if (!isLeadByte(p[2]))
        return Sequence::Broken;
    if (left < 4)
        return Sequence::CutOff;
    return isDigit(p[3]) ? Sequence::FourByte : Sequence::Broken;
}

QString decodeWithTable(QByteArrayView bytes, const TwoByteTable &table)
{
    // Never more UTF-16 units than bytes (a four-byte character takes at most two); the
    // unused end is cut off afterwards.
    QString text(bytes.size(), Qt::Uninitialized);
    auto *out = reinterpret_cast<char16_t *>(text.data());
    char16_t *const first = out;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            *out++ = lead;
            ++p;
            continue;
        }
        if (!isLeadByte(lead)) {
            *out++ = QChar::ReplacementCharacter;
            ++p;
            continue;
        }
        switch (sequenceAt(p, end)) {
        case Sequence::TwoByte:
            *out++ = table[std::size_t((lead - LeadFirst) * TrailCount + (p[1] - TrailFirst))];
            p += 2;
            break;
        case Sequence::FourByte:
            appendFourByte(p, out);
            p += 4;
            break;
        case Sequence::Broken:
            *out++ = QChar::ReplacementCharacter;
            ++p;
            break;
        case Sequence::BrokenWithFF:
            *out++ = QChar::ReplacementCharacter;
            p += 2;
            break;
        case Sequence::CutOff:
            p = end;
            break;
        }
    }
    text.truncate(out - first);
    return text;
}

} // namespace

QTextCodec *gb18030Codec()
{
    static QTextCodec *const codec = QTextCodec::codecForName("GB18030");
    return codec;
}

QString decodeGb18030(QByteArrayView bytes)
{
    if (const TwoByteTable *table = twoByteTable())
        return decodeWithTable(bytes, *table);
    return gb18030Codec()->toUnicode(bytes.data(), int(bytes.size()));
}
