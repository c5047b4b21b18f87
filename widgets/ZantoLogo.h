#pragma once
// The product logo shown at the top left of every window, drawn in code so that no picture file has
// to travel with the program, and its square emblem, the program's icon.

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QSize>

namespace widgets {

QPixmap zantoLogo(QSize size);

// The logo's panel and its "Z" without the lettering, square, on a transparent ground: the icon of the
// windows and, made into an .ico by tools/invciv-icon, of the Windows program's files.
QImage zantoEmblem(int side);

// The sizes Windows shows a program's icon at (title bar, taskbar, Explorer's views, the Start menu).
QList<int> zantoIconSizes();

// The emblem at each of those sizes, each drawn at its own size so that the small ones stay sharp.
QIcon zantoIcon();

} // namespace widgets
