#pragma once

#include <QStringList>

// The fonts of every window and box, in order: the Chinese Windows fonts first, then the
// Noto CJK fonts that a Linux desktop (or a Windows without the Chinese fonts) has. Named,
// the fonts hold every ordinary character, so Qt never walks the installed fonts for one
// (on Windows that walk reached a colour emoji font the system gives no metrics for, and
// crashed in the first box).
inline const QStringList ProgramFontFamilies{QStringLiteral("Microsoft YaHei UI"),
                                             QStringLiteral("Microsoft YaHei"),
                                             QStringLiteral("SimSun"),
                                             QStringLiteral("Noto Sans CJK SC"),
                                             QStringLiteral("Noto Serif CJK SC"),
                                             QStringLiteral("WenQuanYi Micro Hei")};

// Makes those fonts the application's, at the size the system gives; before any window.
void useProgramFont();
