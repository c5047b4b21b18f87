#pragma once
// A Windows icon file holding several images, one per size.

#include <QByteArray>
#include <QImage>
#include <QList>

namespace tools {

// The bytes of an .ico file with the given images in that order. Each image is encoded by Qt's ico
// plugin, which writes one image per file, and the images are then joined under one directory. Throws
// std::runtime_error when an image cannot be encoded (no ico plugin, an empty or too large image).
QByteArray icoFile(const QList<QImage>& images);

} // namespace tools
