#pragma once
// The certificate for the command line: the certificate core's starting values, given the doctor's
// entries as the editor would take them, and saved as the editor saves, so that the checks, their
// messages and the XML are exactly the editor's.

#include "CertificateCore.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

class Tzantopat;

namespace platform {
class Platform;
}

namespace certificate {

struct CertificateInput
{
    QString anamnesi;
    QString obiettivita;
    QString diagnosi; // empty: the editor's own starting text (one empty line)
    // Not given: the value remembered for the login, as the editor fills it.
    std::optional<QString> luogo;
    std::optional<QString> numIscrizione;
    std::optional<QString> provAlbo;
    std::optional<QString> terapia; // in place of the therapy text read from the host
    QStringList domanda;            // INVALIDITA, CECITA, SORDITA, HANDICAP, DISABILITA
    QStringList dichiarazioni;      // A, B, C: CheckBoxCert01A to CheckBoxCert01C
    QDate data;                     // null: today, as the editor sets it
    // A fiscal code that disagrees with the personal data: true refuses the save, false warns and saves.
    bool refuseFiscalCodeDisagreement = false;
};

// The message for the first purpose or declaration word that names none of the editor's boxes; "" when
// every word does. compileCertificate refuses such input before it asks the host for anything.
QString unknownWordMessage(const CertificateInput& input);

// Host failures are shown by the session through its own platform (a failed export leaves the outcome's
// message empty); the editor's own messages end up in the outcome instead. A fiscal code that disagrees
// with the personal data is shown as a warning ("Attenzione: ...") through the platform, or, when the
// input refuses it, is the outcome's message.
CertificateOutcome compileCertificate(Tzantopat& session, platform::Platform& platform,
                                      const QString& patientId, const CertificateInput& input);

} // namespace certificate
