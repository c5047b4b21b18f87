#pragma once
// The windows' text face: Verdana at pixel sizes, as the forms were drawn.

#include <QFont>

namespace widgets {

inline QFont verdana(int pixelSize, bool bold = false, bool underline = false)
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

} // namespace widgets
