#include "gb18030decoder.h"

#include <QTextCodec>

#include <array>
#include <optional>

namespace {

constexpr int LeadFirst = 0x81;
constexpr int LeadCount = 0xFE - LeadFirst + 1;
constexpr int TrailFirst = 0x40;
constexpr int TrailCount = 0xFE - TrailFirst + 1; // 0x7F is no trail byte and stays unused

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

// False at the first byte that is neither below 0x80 nor part of a two-byte character.
bool decodeTwoByteText(QByteArrayView bytes, const TwoByteTable &table, QString &text)
{
    // Never more characters than bytes; the unused end is cut off afterwards.
    text.resize(bytes.size());
    auto *out = reinterpret_cast<char16_t *>(text.data());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    char16_t *const first = out;
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            *out++ = lead;
            ++p;
            continue;
        }
        if (lead == 0x80 || lead == 0xFF || end - p < 2)
            return false;
        const unsigned char trail = p[1];
        if (trail < TrailFirst || trail == 0x7F || trail == 0xFF)
            return false;
        *out++ = table[std::size_t((lead - LeadFirst) * TrailCount + (trail - TrailFirst))];
        p += 2;
    }
    text.truncate(out - first);
    return true;
}

} // namespace

QTextCodec *gb18030Codec()
{
    static QTextCodec *const codec = QTextCodec::codecForName("GB18030");
    return codec;
}

QString decodeGb18030(QByteArrayView bytes)
{
    if (const TwoByteTable *table = twoByteTable()) {
        QString text;
        if (decodeTwoByteText(bytes, *table, text))
            return text;
    }
    return gb18030Codec()->toUnicode(bytes.data(), int(bytes.size()));
}
