#pragma once
// The two PDF output flows: status line, output file set, the certificate's FDF writer, then a fresh
// desktop copy of the blank form with the same values filled in. QtCore only, so that a
// windowless front end runs them as the window does.

#include "clinical/PatientRow.h"

#include <QString>

#include <functional>

class Tzantopat;

namespace platform {
class Platform;
}

namespace fdf {

struct FlowContext
{
    Tzantopat& session;
    platform::Platform& platform;
    std::function<void(const QString& status)> showStatus; // lblTesto caption + visible
    std::function<void()> processEvents;                   // pending window messages
};

struct PdfFlowResult
{
    QString fdfPath;
    QString filledPdfPath; // the filled desktop copy; "" when it could not be filled
    QString keptPath;      // the earlier desktop copy, kept under a dated name; "" when none was kept
    // The doctor checks the form's fiscal code: "Attenzione: il codice fiscale non corrisponde a: ...";
    // "" when the code agrees with the patient's data. Not shown by the flow: the front end shows it.
    QString fiscalCodeWarning = {};
};

// Each has the host export the patient to a fresh file in the user's work folder
// (clinical::requestEssentialData), writes the FDF there, then makes a fresh desktop copy and fills it
// with the same field list. The files are named after the patient (OutputFiles.h: PatientNames, the
// fiscal code and the host's code standing for a name that cleans to nothing). A host failure stops it
// with platform::FailureShown, nothing written. Other failures before the desktop copy (an export
// that is not the patient's, the FDF that cannot be written, a link where the desktop copy goes, an
// AP42 issue date that does not parse) are raised as std::runtime_error whose what() is the user's
// message in UTF-8, and no desktop file is touched.
// An earlier desktop copy holding anything but the program's own values (the doctor's work in a
// viewer, or a file that is not a readable form) is kept under a dated name; an unchanged one is
// replaced. A desktop copy that cannot be made or filled (no blank form, not a PDF form, a field
// missing, an earlier copy that cannot be renamed) is shown to the user as one warning ("Attenzione: "):
// the FDF still stands and filledPdfPath is "". The status text stays shown; clearing it is the caller's.
PdfFlowResult runAp68Flow(const clinical::PatientRow& row, FlowContext& context);
PdfFlowResult runAp42Ss3Flow(const clinical::PatientRow& row, FlowContext& context);

// A fresh copy of a blank form filled in, or why there is none.
struct FilledCopy
{
    QString path;     // "" when no copy was filled
    QString keptPath; // the earlier copy, kept under a dated name; "" when none was kept
    QString failure;  // why no copy was filled, in Italian; "" when it was
};

struct Ap68Values;

// The AP68 form completed with a certificate's values: a fresh copy of the blank form on the desktop as
// S N "certmedinps_compilato.pdf", filled from the same field list as the pre-fill, each ticked box in
// the "on" state the blank form defines for it. An earlier copy is replaced or kept as the pre-fill's
// desktop copy is. The one message shown is the note on letters the copy may not show.
FilledCopy completeAp68Form(const Ap68Values& values, platform::Platform& platform);

// The path of the FDF written, as above.
QString CreateAp68Pdf(const clinical::PatientRow& row, FlowContext& context);
QString CreateAp42Ss3Pdf(const clinical::PatientRow& row, FlowContext& context);

} // namespace fdf
