#pragma once
// What a click on "Compila" opens for a PDF certificate: the FDF, which needs a viewer that imports
// FDF and then opens the form it names, or the filled desktop copy, which any PDF viewer shows.

#include "OutputFlow.h"

#include <QString>

class QSettings;

namespace fdf {

enum class OpenTarget { Fdf, FilledPdf };

// The user-scope settings the choice lives in: organisation "Brevalon-Ostrena", application "invciv";
// on Windows HKEY_CURRENT_USER\Software\Brevalon-Ostrena\invciv, elsewhere
// ~/.config/Brevalon-Ostrena/invciv.conf.
inline const QString kSettingsOrganisation = QStringLiteral("Brevalon-Ostrena");
inline const QString kSettingsApplication = QStringLiteral("invciv");
// "true" (or 1, "si") opens the filled copy; "false" (or 0, "no") opens the FDF.
inline const QString kOpenFilledPdfKey = QStringLiteral("apri_pdf_compilato");

// Without a setting: the FDF on Windows, where FDF-capable viewers are common; the filled copy elsewhere.
OpenTarget defaultOpenTarget();
// The choice in `settings`, or the default when the key is missing or its value unclear.
OpenTarget openTarget(const QSettings& settings);
// The choice in the user's settings.
OpenTarget openTargetSetting();
// Where the user's settings are kept, as a person would look for it: the registry key on Windows, the
// file elsewhere.
QString openSettingLocation();

// The path to open: the filled copy when it is chosen and was made, otherwise the FDF.
QString pathToOpen(const PdfFlowResult& result, OpenTarget target);

} // namespace fdf
