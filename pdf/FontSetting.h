#pragma once
// Which TrueType font the filled desktop copy embeds for letters the form's own font cannot show
// (Romanian, Polish, Vietnamese names and the like).

#include <QString>

namespace platform {
class Platform;
}

namespace pdf {

// A font file named in the user's settings (beside apri_pdf_compilato) stands for the system's.
inline const QString kPdfFontKey = QStringLiteral("font_pdf_compilato");

// The font file the user's settings name, as it is named; without one, the system's Unicode font:
// Arial or Segoe UI from the Windows fonts folder, DejaVu Sans elsewhere. "" when the system has none.
QString unicodeFontPath(const platform::Platform& platform);

} // namespace pdf
