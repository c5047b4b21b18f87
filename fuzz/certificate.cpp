// The certificate checks and the XML writer: any field texts (and any cadastral code from the host).
// The checks give their failure lists and messages; fields that pass both give a document that an XML
// reader parses back to the same texts, less the characters XML cannot carry.
//
// Input: two bytes of flags (sex, declarations, purposes), two of the certificate's day, then UTF-16LE
// texts separated by U+001E in the order of `texts` below.

#include "FuzzInput.h"
#include "certificate/CertificateChecks.h"
#include "certificate/InvCiv2010Writer.h"

#include <pugixml.hpp>

using namespace certificate;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    CertificateFields f;
    const unsigned flags = data[0] | data[1] << 8;
    f.sesso = Sesso(flags % 3);
    for (std::size_t i = 0; i < f.dichiarazioni.size(); ++i)
        f.dichiarazioni[i] = flags >> (2 + i) & 1;
    for (std::size_t i = 0; i < clinical::kPurposes.size(); ++i)
        f.domanda[clinical::kPurposes[i]] = flags >> (5 + i) & 1;
    f.data = QDate(1899, 12, 30).addDays(data[2] | data[3] << 8 | (flags >> 10) << 16);
    QString cadastralCode;
    QString* const texts[] = {&f.cognome,
                              &f.nome,
                              &f.codiceFiscale,
                              &f.dataDiNascita,
                              &f.luogoDiNascita,
                              &f.provDiNascita,
                              &f.codTesSanitaria,
                              &f.aslDiAppartenenza,
                              &f.anamnesi,
                              &f.obiettivita,
                              &f.diagnosi,
                              &f.codiciIcd9[0],
                              &f.codiciIcd9[1],
                              &f.codiciIcd9[2],
                              &f.codiciIcd9[3],
                              &f.codiciIcd9[4],
                              &f.descrizioniIcd9[0],
                              &f.terapia,
                              &f.luogo,
                              &f.cognomeMedico,
                              &f.nomeMedico,
                              &f.numIscrizione,
                              &f.provAlbo,
                              &cadastralCode};
    const QStringList parts = fuzz::utf16(data + 4, size - 4).split(QChar(0x1E));
    for (qsizetype i = 0; i < parts.size() && i < qsizetype(std::size(texts)); ++i)
        *texts[i] = parts[i];

    const CadastralLookup lookUp = [&cadastralCode](const QString&) { return cadastralCode; };
    const Failures format = CheckFormat(f, lookUp);
    const Failures mandatory = CheckMandatory(f, lookUp);
    fuzz::require(format.empty() == BuildCheckMessage(CheckKind::Format, format).isEmpty(),
                  "format failures without a message");
    fuzz::require(mandatory.empty() == BuildCheckMessage(CheckKind::Mandatory, mandatory).isEmpty(),
                  "mandatory failures without a message");
    if (!format.empty() || !mandatory.empty())
        return 0;

    const QByteArray xml = invCiv2010Document(f, cadastralCode);
    pugi::xml_document document;
    fuzz::require(bool(document.load_buffer(xml.constData(), std::size_t(xml.size()),
                                            pugi::parse_default | pugi::parse_ws_pcdata)),
                  "the certificate does not parse");
    const pugi::xml_node root = document.child("InvCiv2010");
    const auto same = [&root](const char* path, const QString& text) {
        const QString read = QString::fromUtf8(root.first_element_by_path(path).child_value());
        fuzz::require(read == xmlCharactersOnly(text), path);
    };
    same("Anagrafica/Cognome", f.cognome);
    same("Anagrafica/Nome", f.nome);
    same("Anagrafica/CodiceFiscale", f.codiceFiscale);
    same("Anagrafica/ComuneNascita", cadastralCode);
    same("Anagrafica/NumeroTesseraSanitaria", f.codTesSanitaria);
    same("AnagraficaMedico/Cognome", f.cognomeMedico);
    same("AnagraficaMedico/Nome", f.nomeMedico);
    same("AnagraficaMedico/NumeroIscrizioneAlbo", f.numIscrizione);
    same("AnagraficaMedico/ProvinciaAlbo", f.provAlbo);
    same("CertificatoMedico/CodiceAsl", f.aslDiAppartenenza);
    same("CertificatoMedico/Anamnesi", f.anamnesi);
    same("CertificatoMedico/Obiettivita", f.obiettivita);
    same("CertificatoMedico/Diagnosi", f.diagnosi);
    same("CertificatoMedico/Terapia", f.terapia);
    same("CertificatoMedico/Luogo", f.luogo);
    return 0;
}
