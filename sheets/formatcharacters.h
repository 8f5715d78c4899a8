#pragma once

#include <QString>
#include <QStringView>

// Characters that show nothing but make two texts differ: zero-width spaces, non-joiners
// and joiners, word joiners, byte-order marks, soft hyphens and the marks that set the
// direction of text. Pasted from a web page or a chat, they turn "张伟" into a second
// person who looks the same. A zero-width joiner between two emoji stays: it is what
// makes them one picture (👨‍👩‍👧).
bool isInvisibleFormatCharacter(char32_t c);
// The text without them; the same text when it holds none.
QString withoutInvisibleFormatCharacters(QStringView text);
