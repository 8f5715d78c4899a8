#include "plausibility.h"

#include <QTextCodec>

#include <array>

namespace {

enum CharFlag : quint8 {
    Plausible = 1,
    AsciiLetter = 2,
    LatinLetter = 4, // accented: needs a plain letter in its word
    OtherLetter = 8, // Greek and Cyrillic: a plain letter or three letters in its word
    LineEnd = 16,
};
constexpr quint8 WordLetter = AsciiLetter | LatinLetter | OtherLetter;

using ClassTable = std::array<quint8, 0x10000>;

void mark(ClassTable &table, char32_t first, char32_t last, quint8 flags)
{
    for (char32_t c = first; c <= last; ++c)
        table[c] |= flags;
}

// GB2312 occupies lead bytes 0xA1-0xF7 and trail bytes 0xA1-0xFE; GB18030 maps the
// unused cells there to the private use area, which therefore marks them as outside.
// Its letters and Latin-1 signs (below U+2000) are left out: short GBK text read as
// UTF-8 turns into exactly such letters and signs, so they prove nothing on their own.
void markGb2312Symbols(ClassTable &table)
{
    QTextCodec *codec = QTextCodec::codecForName("GB18030");
    for (int lead = 0xA1; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const char pair[] = {char(lead), char(trail)};
            const QString decoded = codec->toUnicode(pair, 2);
            if (decoded.size() != 1)
                continue;
            const char16_t c = decoded.at(0).unicode();
            const bool privateUse = c >= 0xE000 && c <= 0xF8FF;
            if (c >= 0x2000 && !privateUse && c != QChar::ReplacementCharacter)
                table[c] |= Plausible;
        }
    }
}

ClassTable buildClassTable()
{
    ClassTable table{};
    markGb2312Symbols(table);
    mark(table, u'\t', u'\t', Plausible);
    mark(table, u' ', u'~', Plausible);
    mark(table, u'A', u'Z', AsciiLetter);
    mark(table, u'a', u'z', AsciiLetter);
    mark(table, 0x00B7, 0x00B7, Plausible); // the middle dot of transcribed foreign names
    mark(table, 0x00C0, 0x00D6, LatinLetter);
    mark(table, 0x00D8, 0x00F6, LatinLetter);
    mark(table, 0x00F8, 0x024F, LatinLetter);
    mark(table, 0x0386, 0x03CE, OtherLetter);
    mark(table, 0x0400, 0x045F, OtherLetter);
    mark(table, 0x3000, 0x303F, Plausible);
    mark(table, 0x4E00, 0x9FFF, Plausible);
    mark(table, 0xFF01, 0xFF65, Plausible);
    mark(table, u'\r', u'\r', LineEnd);
    mark(table, u'\n', u'\n', LineEnd);
    return table;
}

const ClassTable &classTable()
{
    static const ClassTable table = buildClassTable();
    return table;
}

// A word's non-ASCII letters count once the word has ended, when it is known whether
// it has a plain letter and how long it is.
struct Word {
    qsizetype ascii = 0;
    qsizetype latin = 0;
    qsizetype other = 0;

    void add(quint8 flags)
    {
        ascii += (flags & AsciiLetter) != 0;
        latin += (flags & LatinLetter) != 0;
        other += (flags & OtherLetter) != 0;
    }
    qsizetype plausibleNonAscii() const
    {
        if (ascii > 0)
            return latin + other;
        return latin + other >= 3 ? other : 0;
    }
};

} // namespace

Plausibility plausibility(const QString &text)
{
    const ClassTable &table = classTable();
    Plausibility score;
    Word word;
    const auto *p = reinterpret_cast<const char16_t *>(text.constData());
    const auto *end = p + text.size();
    for (; p < end; ++p) {
        const quint8 flags = table[*p];
        if (flags & WordLetter) {
            word.add(flags);
        } else {
            score.plausible += word.plausibleNonAscii();
            word = {};
        }
        if (flags & LineEnd)
            continue;
        ++score.total;
        score.plausible += (flags & Plausible) != 0;
        // A character outside the basic plane counts once, as implausible.
        if (QChar::isHighSurrogate(*p) && p + 1 < end && QChar::isLowSurrogate(p[1]))
            ++p;
    }
    score.plausible += word.plausibleNonAscii();
    return score;
}

bool isAtLeastAsPlausible(const QString &text, const QString &other)
{
    const Plausibility a = plausibility(text);
    const Plausibility b = plausibility(other);
    // a.plausible / a.total >= b.plausible / b.total, without division.
    return a.plausible * b.total >= b.plausible * a.total;
}
