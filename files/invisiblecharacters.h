#pragma once

#include <QString>
#include <QStringView>

// Characters that take no room on the screen and change no letter: zero-width spaces and
// joiners, the word joiner and the invisible operators, a byte-order mark inside the text,
// soft hyphens, the Mongolian vowel separator, and the marks that set the direction of
// bidirectional text. Pasted from a web page or a chat, they turn "张伟" into a second
// person who looks the same. Two names that differ only in them look the same to
// everyone in the hall, so a name is read without them; a zero-width joiner between two
// emoji stays, as it makes them one picture (👨‍👩‍👧).
bool isInvisibleCharacter(char16_t c);

// Whether the zero-width joiner between `before` and `after` joins two emoji: the last
// character of `before` (after any variation selector or skin tone) and the first of
// `after` are pictures.
bool joinsEmoji(QStringView before, QStringView after);

// The text without its invisible characters; `removed`, when given, is set to how many
// were taken out.
QString withoutInvisibleCharacters(QStringView text, qsizetype *removed = nullptr);
