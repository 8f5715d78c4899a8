#pragma once

#include <QStringList>

namespace StageFonts {

// The main window's Chinese fonts, the sans ones first: they stay legible from afar. Then
// the fonts of the rare characters of CJK Extension B and later (李𪚥): SimSun-ExtB on a
// Chinese Windows, the Hanazono fonts on Linux. The colour emoji fonts come last, for the
// characters no other font has.
inline const QStringList Sans{QStringLiteral("微软雅黑"),
                              QStringLiteral("Microsoft YaHei"),
                              QStringLiteral("黑体"),
                              QStringLiteral("SimHei"),
                              QStringLiteral("Noto Sans CJK SC"),
                              QStringLiteral("SimSun-ExtB"),
                              QStringLiteral("HanaMinB"),
                              QStringLiteral("HanaMinA"),
                              QStringLiteral("Segoe UI Emoji"),
                              QStringLiteral("Noto Color Emoji")};
inline const QStringList Serif{QStringLiteral("宋体"),
                               QStringLiteral("SimSun"),
                               QStringLiteral("Noto Serif CJK SC"),
                               QStringLiteral("Noto Sans CJK SC"),
                               QStringLiteral("SimSun-ExtB"),
                               QStringLiteral("HanaMinB"),
                               QStringLiteral("HanaMinA"),
                               QStringLiteral("Segoe UI Emoji"),
                               QStringLiteral("Noto Color Emoji")};

} // namespace StageFonts
