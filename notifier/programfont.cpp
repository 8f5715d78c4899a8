#include "programfont.h"

#include <QApplication>
#include <QFont>

void useProgramFont()
{
    QFont font = QApplication::font();
    font.setFamilies(ProgramFontFamilies);
    // Without a class name this also drops the fonts Qt keeps per kind of widget (boxes,
    // menus, tooltips), which name the system's font alone.
    QApplication::setFont(font);
}
