#pragma once
// The AP42 form, section SS3: what the pre-fill gathers and its 107 fields in form order.

#include "FdfDocument.h"
#include "clinical/FiscalCode.h"
#include "clinical/PatientRow.h"

#include <QDate>
#include <QString>

#include <vector>

class Tzantopat;

namespace fdf {

// The host's person attributes of the current patient, in the order in which they are read.
namespace attributes {
inline constexpr const char* kCittadinanza = "persona\\attributi_persona\\cittadinanza";
inline constexpr const char* kComuneResidenza = "persona\\residenza\\indirizzo\\comune";
inline constexpr const char* kProvinciaResidenza = "persona\\residenza\\indirizzo\\sigla_provincia";
inline constexpr const char* kIndirizzo = "persona\\residenza\\indirizzo\\via_piazza";
inline constexpr const char* kCap = "persona\\residenza\\indirizzo\\cap";
inline constexpr const char* kTelefono = "persona\\telefono\\numero_telefono";
inline constexpr const char* kCellulare = "persona\\telefono_cellulare";
inline constexpr const char* kEmail = "persona\\e-mail";
inline constexpr const char* kTipoDocumento = "persona\\documento_identita\\tipo_documento";
inline constexpr const char* kNumeroDocumento = "persona\\documento_identita\\numero_documento";
inline constexpr const char* kRilasciatoDa = "persona\\documento_identita\\rilasciato_da";
inline constexpr const char* kDataRilascio = "persona\\documento_identita\\data_rilascio";
} // namespace attributes

// Every value the AP42 SS3 form gets, as the sources give it (unescaped).
struct Ap42Ss3Values
{
    QString nome; // patient table row
    QString cognome;
    QDate dataNascita;
    QString codiceFiscale; // essential-data export
    QString comuneNascita;
    QString provinciaNascita;
    QString cittadinanza; // person attributes
    QString comuneResidenza;
    QString provinciaResidenza;
    QString indirizzo;
    QString cap;
    QString telefono;
    QString cellulare;
    QString email;
    QString tipoDocumento;
    QString numeroDocumento;
    QString rilasciatoDa;
    QDate dataRilascio;        // null when the host gave none
    QString frequenzaCardiaca; // latest measurement
    QString pressioneMassima;
    QString pressioneMinima;
    // Not on the form: what the export's fiscal code disagrees with (exportFiscalCodeDisagreements).
    clinical::FiscalCodeParts fiscalCodeDisagreements;
};

// Has the host write the patient's export to exportPath (clinical::requestEssentialData, which raises
// when the export may not be read), then reads the person attributes and the
// latest blood-pressure measurement. Throws InvalidDateError (before any measurement call) when the
// issue date is not "yyyy-mm-dd".
Ap42Ss3Values readAp42Ss3Values(const clinical::PatientRow& row, Tzantopat& session,
                                const QString& exportPath);

// The field list in form order: 107 entries.
std::vector<FdfEntry> ap42Ss3Entries(const Ap42Ss3Values& values);

// Gathers the values and writes the FDF at fdfPath, naming desktopCopyPath as its form. An issue date
// that does not parse stops it before the FDF is created. Returns the field list written, for the
// filled PDF; the fiscal code's disagreements go to `disagreements`.
std::vector<FdfEntry> WriteAp42Ss3Fdf(const clinical::PatientRow& row, Tzantopat& session,
                                      const QString& fdfPath, const QString& desktopCopyPath,
                                      const QString& exportPath,
                                      clinical::FiscalCodeParts* disagreements = nullptr);

} // namespace fdf
