#pragma once

#include <QString>

// The program's home page: the web link, the address picture, the tooltip and the
// report's footer all use this one address.
inline const QString WebAddress = QStringLiteral("https://example.org/prizedraw");
