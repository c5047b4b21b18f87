#pragma once
// The editor's logo, drawn in code so that no picture file has to travel with the program.

#include <QPixmap>

namespace certificate {

// A 106 x 142 picture: a blue panel with a white medical cross and the words "Invalidità civile".
QPixmap paintCertificateLogo();

} // namespace certificate
