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

private:
    std::unique_ptr<pugi::xml_document> m_document;
};

// Has the host write the export of one patient and loads it: deletes any earlier file at exportPath,
// then select_single(patientId) and genera_xml("publ_dati_essenziali", "", exportPath), loads the file
// and deletes it. Host failures are reported by the session; the result is then the empty document.
EssentialDataDocument requestEssentialData(Tzantopat& session, const QString& patientId,
                                           const QString& exportPath);

} // namespace clinical
