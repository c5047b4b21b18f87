#pragma once
// The paper copy of a saved certificate: the AP68 form completed with the same values, on the desktop
// beside the XML, ready to print and sign.

#include "CertificateFields.h"

#include <QString>

namespace platform {
class Platform;
}

namespace certificate {

struct PrintableForm
{
    QString path;    // the completed form; "" when none was made
    QString kept;    // an earlier completed form of the patient, kept under a dated name; "" when none
    QString failure; // why none was made, in Italian; "" when it was
};

// A fresh copy of the blank AP68 form beside the program, filled with the certificate's values (the
// pre-fill's and the doctor's) as S N "certmedinps_compilato.pdf" on the desktop. Nothing is shown
// but a note on letters the copy may not show; a copy that cannot be made gives its reason instead.
PrintableForm completePrintableForm(const CertificateFields& fields, platform::Platform& platform);

// What the user reads of it after the certificate's own line: the form's path, or why there is none;
// then the earlier form kept, when one was. "" when no form was asked for.
QString printableFormMessage(const PrintableForm& form);
// Why there is none, as a sentence in lower case: "il modulo AP68 da stampare non è stato creato: …".
QString printableFailureText(const PrintableForm& form);

} // namespace certificate
