#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// How one picture of an icon file is stored.
enum class IconColours {
    Sixteen,     // 4 bits a pixel, the standard 16-colour palette, a transparency mask
    TwoFiftySix, // 8 bits a pixel, a fixed 256-colour palette, a transparency mask
    Full,        // 32 bits a pixel with alpha; a 256-pixel picture is kept as PNG
};

struct IconPicture {
    QImage image; // at most 256 pixels wide and high
    IconColours colours;
};

// The bytes of a Windows .ico file holding the pictures in the order given. Qt's image
// writers have no ICO format everywhere, and the paletted pictures need a mask anyway.
QByteArray icoFileBytes(const QList<IconPicture> &pictures);

// The palettes the paletted pictures use; black comes first in both, and the pixels a
// mask hides are black so that they leave the background as it is.
QList<QRgb> sixteenColourPalette();
QList<QRgb> twoFiftySixColourPalette();
