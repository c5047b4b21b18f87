#pragma once
// The host's essential-data export "publ_dati_essenziali": obtaining it, loading it and reading it by
// XPath 1.0. Reads never fail: a missing node, an empty or malformed document give empty values.

#include <QString>

#include <memory>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

class Tzantopat;

namespace clinical {

// The paths, exactly as the readers use them.
namespace paths {
inline constexpr const char* kCognome = "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/PERSONA/cognome";
inline constexpr const char* kNomePersona =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/PERSONA/nome_persona";
inline constexpr const char* kCodiceFiscale =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/PERSONA/codice_fiscale";
inline constexpr const char* kSesso = "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/PERSONA/sesso";
inline constexpr const char* kComuneNascita =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/PERSONA/NASCITA/comune";
// Not in every host's export: the pre-fills compare the fiscal code with it only where it is.
inline constexpr const char* kCodiceCatastaleNascita =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/PERSONA/NASCITA/codice_catastale";
inline constexpr const char* kProvinciaNascita =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/PERSONA/NASCITA/sigla_provincia";
inline constexpr const char* kCodiceSanitario =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/codice_sanitario";
inline constexpr const char* kCodiceAsl =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/ASL_DI_ASSISTENZA/ASL/codice_asl";
inline constexpr const char* kProtesiAusili =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/Elenco_sezioni_dati_essenziali/"
    "SEZIONE_DATI_ESSENZIALI[codice_kv_classe_abstract='protesi_ausili']/Elenco_dati_generici/DATO_GENERICO";
inline constexpr const char* kProblemiAttivi =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/Elenco_sezioni_dati_essenziali/"
    "SEZIONE_DATI_ESSENZIALI[codice_kv_classe_abstract='problemi_attivi']/Elenco_dati_generici/DATO_GENERICO";
inline constexpr const char* kAllarmi =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/Elenco_sezioni_dati_essenziali/"
    "SEZIONE_DATI_ESSENZIALI[codice_kv_classe_abstract='allarmi']/Elenco_dati_generici/DATO_GENERICO";
inline constexpr const char* kContinuativi =
    "/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE/Elenco_sezioni_dati_essenziali/"
    "SEZIONE_DATI_ESSENZIALI[codice_kv_classe_abstract='continuativi']/Elenco_dati_generici/DATO_GENERICO";
} // namespace paths

// One DATO_GENERICO entry of a section.
struct SectionEntry
{
    QString codice;             // "" when the child is missing
    QString descrizione_estesa; // "" when the child is missing
};

class EssentialDataDocument
{
public:
    EssentialDataDocument(); // empty document
    ~EssentialDataDocument();
    EssentialDataDocument(EssentialDataDocument&&) noexcept;
    EssentialDataDocument& operator=(EssentialDataDocument&&) noexcept;

    // Loads the file; a missing or malformed file gives the empty document. Never throws.
    static EssentialDataDocument load(const QString& path);
    static EssentialDataDocument fromText(const QByteArray& xml);

    bool isEmpty() const;
    // Text content (the text of the element and all its descendants) of the first node the path selects.
    QString value(const char* xpath) const;
    // Every entry the section path selects, in document order.
    std::vector<SectionEntry> section(const char* sectionPath) const;
    // The first `limit` entries the section path selects, in document order.
    std::vector<SectionEntry> section(const char* sectionPath, std::size_t limit) const;
    // The continuativi descriptions joined by CR LF (an entry without a description counts as empty).
    QString therapyText() const;
    // True when the document is the export of one patient (one PAZIENTE) with this surname and first
    // name: compared without regard to case or to blanks around and between words, and a letter that
    // a Windows-1252 export could only write as "?" matches that "?".
    bool isPatient(const QString& cognome, const QString& nome) const;

private:
    std::unique_ptr<pugi::xml_document> m_document;
};

// The largest export read: a patient's summary is a few KB.
inline constexpr qint64 kMaxExportBytes = 16 * 1024 * 1024;

// A new export file in the work folder (with its trailing separator), under a name no one can guess:
// "publ_dati_essenziali-" + 32 random hexadecimal digits + ".xml". Each request has its own, so no
// earlier file, of this user or of another, ever stands in for the one asked.
QString freshExportPath(const QString& workFolder);
// Whether a file name is one freshExportPath makes.
bool isExportFileName(const QString& fileName);

// Has the host write the export of one patient and loads it: select_single(patientId), then the
// selected patient's surname and name (leggi_attributo "cognome" and "nome"), then
// genera_xml("publ_dati_essenziali", "", exportPath); the file is read (a regular file of at most
// kMaxExportBytes, never through a link) and deleted, whatever came of it. A host failure raises
// platform::FailureShown (the session has shown the host's message) before anything is read; a file
// that may not be read, or an export that is not the selected patient's (isPatient), raises
// std::runtime_error with the user's message in UTF-8. A missing or malformed file gives the empty
// document, which holds no one's data.
EssentialDataDocument requestEssentialData(Tzantopat& session, const QString& patientId,
                                           const QString& exportPath);

} // namespace clinical
