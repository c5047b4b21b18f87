#pragma once
// The product logo shown at the top left of every window, drawn in code so that no picture file has
// to travel with the program.

#include <QPixmap>
#include <QSize>

namespace widgets {

QPixmap zantoLogo(QSize size);

} // namespace widgets
