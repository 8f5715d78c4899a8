#include "characterclasses.h"

#include "gb18030decoder.h"

#include <QChar>
#include <QTextCodec>

#include <array>

namespace {

bool isIpa(char32_t c)
{
    return c >= 0x0250 && c <= 0x02AF;
}

CharClass classify(char32_t c)
{
    if (c < 0x80) {
        if (c == u'\r' || c == u'\n')
            return {CharKind::LineEnd};
        if (c >= u'A' && c <= u'Z')
            return {CharKind::AsciiUpper, quint8(QChar::Script_Latin)};
        if (c >= u'a' && c <= u'z')
            return {CharKind::AsciiLower, quint8(QChar::Script_Latin)};
        return {CharKind::Plain};
    }
    if (c == QChar::ReplacementCharacter)
        return {CharKind::Impossible};
    QChar::Script script = QChar::script(c);
    if (script == QChar::Script_Katakana || c == 0x30FC) // ー lengthens either kana
        script = QChar::Script_Hiragana;
    const auto with = [script](CharKind kind) { return CharClass{kind, quint8(script)}; };
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
    case QChar::Other_Surrogate:
        return {CharKind::Impossible};
    case QChar::Other_Format:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return with(CharKind::Mark);
    case QChar::Letter_Uppercase:
    case QChar::Letter_Titlecase:
        return with(isIpa(c) ? CharKind::Symbol : CharKind::Upper);
    case QChar::Letter_Lowercase:
        return with(isIpa(c) ? CharKind::Symbol : CharKind::Lower);
    case QChar::Letter_Other:
    case QChar::Letter_Modifier:
    case QChar::Number_Letter:
        if (script == QChar::Script_Han)
            return with(CharKind::RareHanzi);
        if (script == QChar::Script_Hiragana || QChar::category(c) == QChar::Letter_Other)
            return with(CharKind::Uncased);
        return with(CharKind::Symbol);
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
        return with(CharKind::Punctuation);
    case QChar::Symbol_Other: // radicals are pieces of hanzi, never typed alone
        return with(script == QChar::Script_Han ? CharKind::RareHanzi : CharKind::Pictograph);
    default: // digits, other numbers and the other symbol categories
        return with(CharKind::Symbol);
    }
}

using ClassTable = std::array<CharClass, 0x10000>;

// GB2312 puts its 3,755 common hanzi in the rows of lead bytes 0xB0-0xD7 and the 3,008
// less common ones in 0xD8-0xF7, each row with trail bytes 0xA1-0xFE.
void markGb2312Levels(ClassTable &table)
{
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        QByteArray row;
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            row += char(lead);
            row += char(trail);
        }
        const CharKind level = lead <= 0xD7 ? CharKind::CommonHanzi : CharKind::LessCommonHanzi;
        const QString decoded = gb18030Codec()->toUnicode(row);
        for (const QChar c : decoded) {
            CharClass &entry = table[c.unicode()];
            if (entry.kind == CharKind::RareHanzi)
                entry.kind = level;
        }
    }
    // The ideographic zero of dates and the repetition mark are as common as any hanzi.
    table[0x3007].kind = CharKind::CommonHanzi;
    table[0x3005].kind = CharKind::CommonHanzi;
}

ClassTable buildTable()
{
    ClassTable table;
    for (char32_t c = 0; c < 0x10000; ++c)
        table[c] = classify(c);
    markGb2312Levels(table);
    return table;
}

} // namespace

const std::array<CharClass, 0x10000> &basicPlaneClasses()
{
    static const ClassTable table = buildTable();
    return table;
}

CharClass supplementaryClass(char32_t c)
{
    return classify(c);
}
