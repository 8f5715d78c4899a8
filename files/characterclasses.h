#pragma once

#include <QtGlobal>

#include <array>

// What a character is, as far as judging which reading of a file an operator typed goes.
// Derived once from Qt's Unicode tables and from the GB18030 codec (for the two levels of
// GB2312 hanzi), never from hand-typed lists.
enum class CharKind : quint8 {
    Plain,      // ASCII other than letters and line ends: the same in every reading
    LineEnd,    // CR and LF
    AsciiUpper, // A-Z
    AsciiLower, // a-z
    Upper,      // the other letters of scripts with letter case (Latin, Greek, Cyrillic, ...)
    Lower,
    Uncased,         // letters of scripts without case (Hebrew, Arabic, Thai, Hangul, kana, ...)
    Mark,            // combining marks and joiners: part of the letter or symbol before them
    CommonHanzi,     // the 3,755 of GB2312's first level, with 〇 and 々
    LessCommonHanzi, // the 3,008 of its second level
    RareHanzi,       // every other ideograph, and radicals
    Punctuation,     // non-ASCII spaces and punctuation
    Pictograph,      // emoji and other pictures, which joiners and selectors may follow
    Symbol,          // signs, non-ASCII digits, phonetic and modifier letters
    Impossible,      // controls, unassigned, private use, U+FFFD: never typed
};

struct CharClass {
    CharKind kind = CharKind::Impossible;
    quint8 script = 0; // QChar::Script, with hiragana and katakana as one
};

// The classes of the basic plane, indexed by UTF-16 unit (a lone surrogate is Impossible).
const std::array<CharClass, 0x10000> &basicPlaneClasses();
// The class of a code point above the basic plane, worked out on each call.
CharClass supplementaryClass(char32_t c);
