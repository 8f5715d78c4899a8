#include "invisiblecharacters.h"

#include "characterclasses.h"

namespace {

constexpr char16_t ZeroWidthJoiner = 0x200D;

CharKind kindOf(char32_t c)
{
    return c < 0x10000 ? basicPlaneClasses()[c].kind : supplementaryClass(c).kind;
}

// What follows an emoji and still belongs to it: a variation selector, a skin tone.
bool isEmojiTail(char32_t c)
{
    return (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0x1F3FB && c <= 0x1F3FF);
}

} // namespace

bool isInvisibleCharacter(char16_t c)
{
    // The common case, every letter of a name, leaves at the first test.
    if (c < 0x00AD)
        return false;
    return c == 0x00AD || c == 0x061C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

bool joinsEmoji(QStringView before, QStringView after)
{
    qsizetype end = before.size();
    while (end > 0) {
        char32_t c = before[end - 1].unicode();
        qsizetype start = end - 1;
        if (QChar::isLowSurrogate(c) && start > 0 && before[start - 1].isHighSurrogate()) {
            --start;
            c = QChar::surrogateToUcs4(before[start], before[end - 1]);
        }
        if (!isEmojiTail(c)) {
            if (kindOf(c) != CharKind::Pictograph)
                return false;
            break;
        }
        end = start;
    }
    if (end == 0 || after.isEmpty())
        return false;
    char32_t next = after[0].unicode();
    if (after[0].isHighSurrogate() && after.size() > 1 && after[1].isLowSurrogate())
        next = QChar::surrogateToUcs4(after[0], after[1]);
    return kindOf(next) == CharKind::Pictograph;
}

QString withoutInvisibleCharacters(QStringView text, qsizetype *removed)
{
    QString kept;
    kept.reserve(text.size());
    qsizetype dropped = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (isInvisibleCharacter(c) &&
            !(c == ZeroWidthJoiner && joinsEmoji(kept, text.sliced(i + 1)))) {
            ++dropped;
            continue;
        }
        kept += text[i];
    }
    if (removed)
        *removed = dropped;
    return kept;
}
