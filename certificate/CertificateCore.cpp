#include "CertificateCore.h"

#include "CertificateChecks.h"
#include "DoctorDetails.h"
#include "InvCiv2010Writer.h"

#include "clinical/EssentialData.h"
#include "clinical/HostDate.h"
#include "clinical/TPatologia.h"
#include "host/Tzantopat.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/SupportLog.h"

#include <QDir>

namespace certificate {

CertificateFields readCertificate(Tzantopat& session, const platform::Platform& platform,
                                  const QString& patientId)
{
    namespace paths = clinical::paths;
    CertificateFields f;
    const clinical::EssentialDataDocument document = clinical::requestEssentialData(
        session, patientId, clinical::freshExportPath(platform::preparedWorkFolder(platform)));

    f.cognome = document.value(paths::kCognome);
    f.nome = document.value(paths::kNomePersona);
    // The host is asked twice, as it always has been.
    if (!session.leggi_attributo(QStringLiteral("data_nascita")).isEmpty()) {
        if (const auto date = clinical::readHostDate(session.leggi_attributo(QStringLiteral("data_nascita"))))
            f.dataDiNascita = date->toString(QStringLiteral("dd/MM/yyyy"));
    }
    f.luogoDiNascita = document.value(paths::kComuneNascita);
    f.provDiNascita = document.value(paths::kProvinciaNascita);
    f.codiceFiscale = document.value(paths::kCodiceFiscale);
    f.sessoLetto = document.value(paths::kSesso);
    f.sesso = f.sessoLetto == QStringLiteral("M") ? Sesso::M : Sesso::F;
    f.codTesSanitaria = document.value(paths::kCodiceSanitario);
    // Six characters, zeros on the left; a missing code stays empty rather than becoming "000000".
    const QString codiceAsl = document.value(paths::kCodiceAsl);
    f.aslDiAppartenenza = codiceAsl.isEmpty() ? QString() : (QStringLiteral("000000") + codiceAsl).right(6);

    const std::vector<clinical::TPatologia> pathologies =
        clinical::ReadPathologies(document, false, f.codiciIcd9.size());
    for (std::size_t i = 0; i < pathologies.size(); ++i) {
        f.codiciIcd9[i] = QString(pathologies[i].PatCodice).remove(QLatin1Char('.'));
        f.descrizioniIcd9[i] = memoLine(pathologies[i].PatDescrizione);
    }
    // Kept whole even beyond the box's limit: the length check reports it (therapyOverLimit).
    f.terapia = memoLine(document.therapyText());
    f.diagnosi = QStringLiteral("\r\n");
    f.data = platform.now().date();
    f.cognomeMedico = session.utente_leggi_attributo(QStringLiteral("cognome"));
    f.nomeMedico = session.utente_leggi_attributo(QStringLiteral("nome"));
    // A host lost, or given up as busy, on the way: the window does not open on values it lacks.
    if (session.interrupted())
        throw platform::FailureShown();
    fillDoctorDetails(f, platform, session.s_utente);
    return f;
}

bool therapyOverLimit(const CertificateFields& fields)
{
    return textLength(fields.terapia) > kMemoLimit;
}

QString LookUpCadastralCode(Tzantopat& session, const QString& town)
{
    const QString code = session.tabelle_leggi_attributo_generico_plus(
        QStringLiteral("tabella_comuni"), QStringLiteral("codice_catastale"), QStringLiteral("denominazione"), town);
    // Without the host no check can be made and no code written: the save stops where it is.
    if (session.interrupted())
        throw platform::FailureShown();
    return code;
}

clinical::FiscalCodeParts fiscalCodeDisagreements(const CertificateFields& fields,
                                                  const QString& cadastralCode)
{
    const clinical::FiscalCodePerson person{
        fields.cognome, fields.nome, fields.sessoLetto,
        QDate::fromString(fields.dataDiNascita, QStringLiteral("dd/MM/yyyy")), cadastralCode};
    return clinical::fiscalCodeDisagreements(fields.codiceFiscale, person);
}

QString fiscalCodeSentence(clinical::FiscalCodeParts parts)
{
    // The pre-fills' warning text, as a sentence of its own.
    QString sentence = clinical::fiscalCodeDisagreementText(parts);
    if (!sentence.isEmpty())
        sentence[0] = sentence[0].toUpper();
    return sentence;
}

QString fiscalCodeQuestion(clinical::FiscalCodeParts parts)
{
    return fiscalCodeSentence(parts) + QStringLiteral(". Salvare comunque?");
}

CertificateOutcome saveCertificate(const CertificateFields& fields, Tzantopat& session,
                                   platform::Platform& platform, const SaveDespiteFiscalCode& saveAnyway)
{
    // The log tells which phase stopped a save, never the values or the messages, which name the patient.
    platform::LoggedFlow logged(platform, QStringLiteral("certificato XML"));
    const CadastralLookup lookUp = [&session](const QString& town) {
        return LookUpCadastralCode(session, town);
    };
    if (const Failures failures = CheckFormat(fields, lookUp); !failures.empty()) {
        logged.finished(QStringLiteral("non salvato: %1 dati non formalmente corretti").arg(failures.size()));
        return {false, {}, {}, BuildCheckMessage(CheckKind::Format, failures)};
    }
    if (const Failures failures = CheckMandatory(fields, lookUp); !failures.empty()) {
        logged.finished(QStringLiteral("non salvato: %1 dati obbligatori mancanti").arg(failures.size()));
        return {false, {}, {}, BuildCheckMessage(CheckKind::Mandatory, failures)};
    }
    if (const auto parts = fiscalCodeDisagreements(fields, lookUp(fields.luogoDiNascita));
        parts && !saveAnyway(parts)) {
        logged.finished(QStringLiteral("non salvato: codice fiscale incoerente"));
        return {};
    }
    CertificateOutcome outcome = WriteInvCiv2010(fields, session, platform);
    if (outcome.saved) {
        rememberDoctorDetails(fields, platform, session.s_utente);
        outcome.printable = completePrintableForm(fields, platform);
        logged.finished(outcome.printable.path.isEmpty()
                            ? QStringLiteral("salvato, senza modulo AP68 compilato")
                            : QStringLiteral("salvato, con modulo AP68 compilato"));
    } else {
        logged.finished(QStringLiteral("non salvato: file non scritto"));
    }
    return outcome;
}

CertificateOutcome WriteInvCiv2010(const CertificateFields& fields, Tzantopat& session,
                                   platform::Platform& platform)
{
    const QByteArray content =
        invCiv2010Document(fields, LookUpCadastralCode(session, fields.luogoDiNascita));
    const QString path = invCiv2010Path(platform.desktopFolder());
    const QString shownPath = QStringLiteral(" (") + QDir::toNativeSeparators(path) + QLatin1Char(')');
    // Never through a link, and never in place of what is not a regular file: nothing is read or moved.
    if (const QString unsafe = platform::unsafeOutputReason(path); !unsafe.isEmpty())
        return {false, {}, {}, QStringLiteral("Impossibile salvare il certificato: ") + unsafe + shownPath};
    // Another patient's certificate, not sent yet perhaps, steps aside under a dated name first.
    const platform::KeptFile kept = keepEarlierCertificate(path, fields);
    if (!kept.failure.isEmpty())
        return {
            false,
            {},
            {},
            QStringLiteral("Impossibile conservare il certificato precedente, che non è stato sostituito: ") +
                kept.failure + shownPath};
    // Written whole or not at all: a failed save leaves the earlier certificate as it was.
    if (const QString failure = platform::writeFileWhole(path, content); !failure.isEmpty())
        return {false,
                {},
                kept.path,
                QStringLiteral("Impossibile salvare il certificato: ") + failure + shownPath};
    return {true, path, kept.path, {}};
}

} // namespace certificate
