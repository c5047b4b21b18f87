#pragma once
// The product logo shown at the top left of the windows, drawn in code.

#include <QPixmap>
#include <QSize>

namespace app {

QPixmap zantoLogo(QSize size);

} // namespace app
