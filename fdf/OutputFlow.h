#pragma once
// The two PDF output flows: status line, output file set, the certificate's FDF writer, then a fresh
// desktop copy of the blank form with the same values filled in. QtCore only, so that a
// windowless front end runs them as the window does.

#include "OutputFiles.h"
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
// (clinical::requestEssentialData), then fills a fresh copy of the blank form in memory with the field
// list, writes the FDF there, then puts the copy on the desktop. The files are named after the patient
// (OutputFiles.h: PatientNames, the fiscal code and the host's code standing for a name that cleans to
// nothing). A host failure stops it with platform::FailureShown, nothing written. Other failures before
// the desktop copy (an export that is not the patient's, a blank form that cannot be read or is no PDF
// form: "il modulo vuoto ... è danneggiato o illeggibile", the FDF that cannot be written, a link where
// the desktop copy goes, an AP42 issue date that does not parse) are raised as std::runtime_error whose
// what() is the user's message in UTF-8; no FDF is written then, and no desktop file is touched.
// An earlier desktop copy is replaced only when it is byte for byte the copy the program last wrote
// there (its digest is kept in the user's settings); any other (the doctor's work in a viewer, a note
// or a signature added, another program's rewrite, a file that is not a readable form) is kept under a
// dated name, once the fresh copy is written whole beside it. A copy from before the digests were
// kept is replaced when it holds nothing but the program's values and no note beyond the blank
// form's. A desktop copy that cannot be filled or put in place (no blank form, a field missing, an
// earlier copy that cannot be renamed) is shown to the user as one warning ("Attenzione: "): the FDF
// still stands and filledPdfPath is "". The status text stays shown; clearing it is the caller's.
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
// desktop copy is; a blank form that cannot be read or filled leaves it as it was and gives the
// failure. The one message shown is the note on letters the copy may not show.
FilledCopy completeAp68Form(const Ap68Values& values, platform::Platform& platform);

// Why the blank form beside the program (in `programFolder`) would not take the pre-fill `certificate`
// writes, as the flow would say it: "il modulo vuoto ... non esiste", "... è danneggiato o illeggibile
// (...)", or the field it lacks. "" when the pre-fill's fields all fill. Nothing is written.
QString blankFormProblem(Certificate certificate, const QString& programFolder);

// The path of the FDF written, as above.
QString CreateAp68Pdf(const clinical::PatientRow& row, FlowContext& context);
QString CreateAp42Ss3Pdf(const clinical::PatientRow& row, FlowContext& context);

} // namespace fdf
