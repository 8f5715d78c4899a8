#include "plausibility.h"

#include "characterclasses.h"

#include <QChar>

namespace {

// Costs on a rough log scale of how unlikely a character is in an operator's file, where
// a common hanzi is 10.
constexpr qsizetype CommonHanziCost = 10;
constexpr qsizetype LessCommonHanziCost = 14;
constexpr qsizetype RareHanziCost = 24;
constexpr qsizetype LetterCost = 10;       // in a well-formed word of a script other than Latin
constexpr qsizetype LoneLetterCost = 14;   // a word of one such letter
constexpr qsizetype AccentCost = 4;        // an accented Latin letter in a mostly plain word
constexpr qsizetype AccentAfterAccent = 8; // ... added when it follows another one
constexpr qsizetype AccentEndingWord = 2;  // ... added when it is the last letter of its word
constexpr qsizetype HangulCost = 14; // a syllable: as rare in these files as a less common hanzi
constexpr qsizetype MostlyAccentedCost = 20; // a Latin word with more accents than plain letters
constexpr qsizetype MisfitLetterCost = 24;   // in a word of mixed scripts or odd case
constexpr qsizetype PunctuationCost = 10;
constexpr qsizetype SymbolCost = 12;
constexpr qsizetype ModifierCost = 2; // a joiner, variation selector or skin tone in an emoji
constexpr qsizetype ImpossibleCost = 100;
// Ideographs inside a Latin word ("M眉ller"): Chinese puts them before or after Latin
// words, rarely between two letters of one.
constexpr qsizetype HanziInsideWordCost = 8;
// What the UTF-8 reading must be cheaper by: a little less than one common hanzi.
constexpr qsizetype Utf8Margin = 8;

bool isLatin(quint8 script)
{
    return script == QChar::Script_Latin;
}

bool joinsAnyScript(quint8 script)
{
    return script == QChar::Script_Inherited || script == QChar::Script_Common;
}

// What may follow an emoji: a joiner, a variation selector, the keycap, tags, skin tones.
bool isEmojiModifier(char32_t c)
{
    return c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) || c == 0x20E3 ||
           (c >= 0xE0020 && c <= 0xE007F) || (c >= 0x1F3FB && c <= 0x1F3FF);
}

// A run of letters and marks; its non-ASCII letters are priced once it has ended, when
// its script, its letter case and its share of plain letters are known.
class Word {
public:
    void add(CharClass c)
    {
        const bool ascii = c.kind == CharKind::AsciiUpper || c.kind == CharKind::AsciiLower;
        if (length_ == 0 && c.kind == CharKind::Mark)
            misfit_ = true;
        ++length_;
        if (!joinsAnyScript(c.script)) {
            if (script_ < 0)
                script_ = c.script;
            else if (script_ != c.script)
                misfit_ = true;
        }
        const bool upper = c.kind == CharKind::AsciiUpper || c.kind == CharKind::Upper;
        const bool lower = c.kind == CharKind::AsciiLower || c.kind == CharKind::Lower;
        if (uppers_ + lowers_ == 0)
            firstUpper_ = upper;
        uppers_ += upper;
        lowers_ += lower;
        if (ascii) {
            ++plain_;
            previousAccented_ = false;
            return;
        }
        ++other_;
        const bool accented = c.kind == CharKind::Upper || c.kind == CharKind::Lower;
        accentPairs_ += accented && previousAccented_;
        previousAccented_ = accented;
    }

    qsizetype cost() const
    {
        if (other_ == 0)
            return 0;
        // All small letters, all capitals, or one capital first.
        const bool wellCased = uppers_ == 0 || lowers_ == 0 || (uppers_ == 1 && firstUpper_);
        if (misfit_ || !wellCased)
            return MisfitLetterCost * other_;
        if (isLatin(quint8(script_))) {
            if (other_ > plain_)
                return MostlyAccentedCost * other_;
            return AccentCost * other_ + AccentAfterAccent * accentPairs_ +
                   (previousAccented_ ? AccentEndingWord : 0);
        }
        if (script_ == QChar::Script_Hangul)
            return HangulCost * other_;
        return length_ == 1 ? LoneLetterCost : LetterCost * other_;
    }

    bool isEmpty() const { return length_ == 0; }

private:
    qsizetype length_ = 0;
    qsizetype plain_ = 0;
    qsizetype other_ = 0;
    qsizetype accentPairs_ = 0;
    qsizetype uppers_ = 0;
    qsizetype lowers_ = 0;
    int script_ = -1;
    bool misfit_ = false;
    bool firstUpper_ = false;
    bool previousAccented_ = false;
};

bool isHanzi(CharKind kind)
{
    return kind == CharKind::CommonHanzi || kind == CharKind::LessCommonHanzi ||
           kind == CharKind::RareHanzi;
}

bool isLetter(CharKind kind)
{
    return kind == CharKind::AsciiUpper || kind == CharKind::AsciiLower ||
           kind == CharKind::Upper || kind == CharKind::Lower || kind == CharKind::Uncased;
}

class Scorer {
public:
    void add(char32_t code, CharClass c)
    {
        const bool asciiLetter = c.kind == CharKind::AsciiUpper || c.kind == CharKind::AsciiLower;
        if (hanziAfterLetter_ && asciiLetter)
            cost_ += HanziInsideWordCost;
        if (isHanzi(c.kind))
            hanziAfterLetter_ = hanziAfterLetter_ || previousAsciiLetter_;
        else
            hanziAfterLetter_ = false;
        previousAsciiLetter_ = asciiLetter;

        if (afterPictograph_ && isEmojiModifier(code)) {
            cost_ += ModifierCost;
            return;
        }
        afterPictograph_ = c.kind == CharKind::Pictograph;
        if (isLetter(c.kind) || (c.kind == CharKind::Mark)) {
            word_.add(c);
            return;
        }
        endWord();
        cost_ += ownCost(c.kind);
    }

    qsizetype finish()
    {
        endWord();
        return cost_;
    }

private:
    static qsizetype ownCost(CharKind kind)
    {
        switch (kind) {
        case CharKind::CommonHanzi:
            return CommonHanziCost;
        case CharKind::LessCommonHanzi:
            return LessCommonHanziCost;
        case CharKind::RareHanzi:
            return RareHanziCost;
        case CharKind::Punctuation:
            return PunctuationCost;
        case CharKind::Pictograph:
        case CharKind::Symbol:
            return SymbolCost;
        case CharKind::Impossible:
            return ImpossibleCost;
        default:
            return 0;
        }
    }

    void endWord()
    {
        if (word_.isEmpty())
            return;
        cost_ += word_.cost();
        word_ = {};
    }

    Word word_;
    qsizetype cost_ = 0;
    bool previousAsciiLetter_ = false;
    bool hanziAfterLetter_ = false; // a run of hanzi that began right after a Latin letter
    bool afterPictograph_ = false;
};

} // namespace

qsizetype implausibility(QStringView text)
{
    const std::array<CharClass, 0x10000> &classes = basicPlaneClasses();
    Scorer scorer;
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    while (p < end) {
        const char16_t unit = *p++;
        if (QChar::isHighSurrogate(unit) && p < end && QChar::isLowSurrogate(*p)) {
            const char32_t code = QChar::surrogateToUcs4(unit, *p++);
            scorer.add(code, supplementaryClass(code));
        } else {
            scorer.add(unit, classes[unit]);
        }
    }
    return scorer.finish();
}

bool isClearlyLikelier(qsizetype utf8Cost, qsizetype gb18030Cost)
{
    return gb18030Cost > utf8Cost + Utf8Margin;
}
