#pragma once
// The AP68 introductory certificate: what the pre-fill gathers and its 41 fields in form order.

#include "FdfDocument.h"
#include "clinical/FiscalCode.h"
#include "clinical/PatientRow.h"
#include "clinical/TPatologia.h"

#include <QDate>
#include <QString>

#include <vector>

class Tzantopat;

namespace fdf {

// Every value the AP68 form gets, as the sources give it (unescaped).
struct Ap68Values
{
    QString cognome; // patient table row
    QString nome;
    QDate dataNascita;
    QString comuneNascita; // essential-data export
    QString provinciaNascita;
    QString codiceFiscale;
    QString sesso;
    QString codiceSanitario;
    QString codiceAsl;
    QString cognomeMedico; // logged-in doctor
    QString nomeMedico;
    std::vector<clinical::TPatologia> pathologies; // plain; the form takes the first five
    QString terapia;                               // continuing therapies joined by CR LF
    // Not on the form: what the export's fiscal code disagrees with (exportFiscalCodeDisagreements).
    clinical::FiscalCodeParts fiscalCodeDisagreements;
};

// Has the host write the patient's export to exportPath and gathers the values: select_single,
// genera_xml, then utente_leggi_attributo "cognome" and "nome".
Ap68Values readAp68Values(const clinical::PatientRow& row, Tzantopat& session, const QString& exportPath);

// The field list in form order: 41 entries, 40 when the sex is neither "M" nor "F".
std::vector<FdfEntry> ap68Entries(const Ap68Values& values);

// Gathers the values and writes the FDF at fdfPath, naming desktopCopyPath as its form. Returns the
// field list written, for the filled PDF; the fiscal code's disagreements go to `disagreements`.
std::vector<FdfEntry> WriteAp68Fdf(const clinical::PatientRow& row, Tzantopat& session,
                                   const QString& fdfPath, const QString& desktopCopyPath,
                                   const QString& exportPath,
                                   clinical::FiscalCodeParts* disagreements = nullptr);

} // namespace fdf
