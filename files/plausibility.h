#pragma once

#include <QString>

// How much a decoded text looks like what an operator types. Plausible are printable
// ASCII, CJK ideographs, the GB2312 symbols and full-width punctuation; accented Latin
// letters count inside a word that also has plain letters, Greek and Cyrillic letters
// inside such a word or a word of three letters or more. Line ends are not counted.
struct Plausibility {
    qsizetype plausible = 0;
    qsizetype total = 0;
};

Plausibility plausibility(const QString &text);

// True when `text` has at least the share of plausible characters that `other` has.
bool isAtLeastAsPlausible(const QString &text, const QString &other);
