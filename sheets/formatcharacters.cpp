#include "formatcharacters.h"

#include <QList>

namespace {

constexpr char32_t ZeroWidthJoiner = 0x200D;

// Pictographs and the symbols an emoji sequence is made of; the variation selector and the
// skin tones that may stand between a pictograph and the joiner are looked past.
bool isEmoji(char32_t c)
{
    return (c >= 0x1F000 && c <= 0x1FAFF) || (c >= 0x2600 && c <= 0x27BF) ||
           (c >= 0x2B00 && c <= 0x2BFF) || c == 0x00A9 || c == 0x00AE || c == 0x203C ||
           c == 0x2049 || (c >= 0x2190 && c <= 0x21FF) || (c >= 0x2300 && c <= 0x23FF);
}

bool isEmojiModifier(char32_t c)
{
    return c == 0xFE0F || c == 0xFE0E || (c >= 0x1F3FB && c <= 0x1F3FF);
}

} // namespace

bool isInvisibleFormatCharacter(char32_t c)
{
    return c == 0x00AD || c == 0x061C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

QString withoutInvisibleFormatCharacters(QStringView text)
{
    const QList<uint> points = text.toUcs4();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < points.size(); ++i) {
        const char32_t c = points[i];
        if (c == ZeroWidthJoiner) {
            qsizetype before = i - 1;
            while (before >= 0 && isEmojiModifier(points[before]))
                --before;
            const bool joinsEmoji = before >= 0 && isEmoji(points[before]) &&
                                    i + 1 < points.size() && isEmoji(points[i + 1]);
            if (joinsEmoji) {
                out += QChar(char16_t(c));
                continue;
            }
        }
        if (isInvisibleFormatCharacter(c))
            continue;
        const char32_t one[] = {c};
        out += QString::fromUcs4(one, 1);
    }
    return out;
}
