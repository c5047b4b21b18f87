#pragma once
// The certificate of one patient, without a window: its starting values read from the host and the
// essential-data export, and "Salva" (the format checks, then the mandatory ones, then the file). The
// editor window shows the values and hands back what the doctor made of them; invciv-cli sets them
// itself. Both save through saveCertificate.

#include "CertificateFields.h"
#include "PrintableForm.h"
#include "clinical/FiscalCode.h"

#include <QString>

#include <functional>

class Tzantopat;

namespace platform {
class Platform;
}

namespace certificate {

// What a save did.
struct CertificateOutcome
{
    bool saved = false;
    QString path;    // the written file, when saved
    QString kept;    // the earlier certificate kept under a dated name; "" when none
    QString message; // why nothing was written: a check message or the file's failure; "" when saved
    PrintableForm printable{}; // after a save: the AP68 form completed with the same values, or why not
};

// The values the editor opens with. The host writes the patient's export to a fresh file in the user's
// work folder (clinical::requestEssentialData, which raises when the host fails or the export is not
// the patient's); from it the patient (the ASL code as six characters, zeros on the left), the
// first five pathologies (codes without dots) and the therapy text; from the host the birth date
// (clinical::readHostDate; "" when it is no date) and the doctor's names; today as the date; the
// diagnosis one empty line; then the doctor's own details remembered for the session's login
// (DoctorDetails.h). Failures of the later host calls are shown by the session and leave their values
// empty.
CertificateFields readCertificate(Tzantopat& session, const platform::Platform& platform,
                                  const QString& patientId);

// True when the therapy text is longer than its box takes: the box then opens to the doctor.
bool therapyOverLimit(const CertificateFields& fields);

// The town's cadastral code from the host's "tabella_comuni"; "" when the host finds none (a failing
// call has shown the session's message). Every call asks the host again. A host found closed, or busy
// and given up, raises platform::FailureShown (the session has said so): a save stops there, nothing
// written.
QString LookUpCadastralCode(Tzantopat& session, const QString& town);

// The parts of the personal data that the fiscal code disagrees with: the surname, the name, the birth
// date, the sex as the export gave it (sessoLetto) and `cadastralCode`, the birth town's code.
clinical::FiscalCodeParts fiscalCodeDisagreements(const CertificateFields& fields,
                                                  const QString& cadastralCode);

// "Il codice fiscale non corrisponde a: <parts>" ("" for none), the start of the editor's question
// (fiscalCodeQuestion: then ". Salvare comunque?") and of the command line's refusal.
QString fiscalCodeSentence(clinical::FiscalCodeParts parts);
QString fiscalCodeQuestion(clinical::FiscalCodeParts parts);

// Whether to save although the fiscal code disagrees with these parts of the personal data.
using SaveDespiteFiscalCode = std::function<bool(clinical::FiscalCodeParts parts)>;

// "Salva": the format checks, then the mandatory checks, then WriteInvCiv2010 and, once the XML is
// written, the completed AP68 form (completePrintableForm). A phase with failures gives its message,
// and nothing is written. Between the checks and the file, a fiscal code that disagrees with the
// personal data is put to `saveAnyway`: false writes nothing and gives no message. A written
// certificate's doctor's details are remembered for the session's login.
CertificateOutcome saveCertificate(const CertificateFields& fields, Tzantopat& session,
                                   platform::Platform& platform, const SaveDespiteFiscalCode& saveAnyway);

// Writes "certmedinps.xml" on the desktop whole, after keeping another patient's earlier certificate
// under a dated name; a failure of either gives its message and leaves the earlier file in place.
CertificateOutcome WriteInvCiv2010(const CertificateFields& fields, Tzantopat& session,
                                   platform::Platform& platform);

} // namespace certificate
