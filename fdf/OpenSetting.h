#pragma once
// What a click on "Compila" opens for a PDF certificate: the FDF, which needs a viewer that imports
// FDF and then opens the form it names, or the filled desktop copy, which any PDF viewer shows.

#include "OutputFlow.h"

#include <QString>

namespace platform {
class Platform;
}

namespace fdf {

enum class OpenTarget { Fdf, FilledPdf };

// The user setting that holds the choice: "true" (or 1, "si") opens the filled copy; "false" (or 0,
// "no") opens the FDF.
inline const QString kOpenFilledPdfKey = QStringLiteral("apri_pdf_compilato");

// Without a setting: the FDF on Windows, where FDF-capable viewers are common; the filled copy elsewhere.
OpenTarget defaultOpenTarget();
// The choice in the user's settings, or the default when the setting is missing or its value unclear.
OpenTarget openTarget(const platform::Platform& platform);

// The path to open: the filled copy when it is chosen and was made, otherwise the FDF.
QString pathToOpen(const PdfFlowResult& result, OpenTarget target);

} // namespace fdf
