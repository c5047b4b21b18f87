#pragma once
// The AP68 introductory certificate: what the pre-fill gathers and its 41 fields in form order.

#include "FdfDocument.h"
#include "clinical/ClaimPurpose.h"
#include "clinical/FiscalCode.h"
#include "clinical/PatientRow.h"
#include "clinical/TPatologia.h"

#include <QDate>
#include <QString>

#include <array>
#include <map>
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

    // What the doctor completes in the certificate editor. The pre-fill leaves these fields empty and
    // the boxes unticked, for the doctor to complete in a viewer.
    QString anamnesi;
    QString obiettivita;
    QString diagnosi;
    clinical::Purposes domanda;          // inv, cieco, sordo, hand, disab
    std::array<bool, 3> dichiarazioni{}; // cert_1, cert_2, cert_3
    QString luogo;
    QDate dataCertificato;
    QString numIscrizione;
};

// The "on" state of each check box of a form, by field name, as the form defines it.
using CheckBoxStates = std::map<QString, QString>;

// Has the host write the patient's export to exportPath (clinical::requestEssentialData: select_single,
// the selected patient's names, genera_xml; it raises when the export may not be read) and gathers the
// values, then utente_leggi_attributo "cognome" and "nome".
Ap68Values readAp68Values(const clinical::PatientRow& row, Tzantopat& session, const QString& exportPath);

// The field list in form order: 41 entries, 40 when the sex is neither "M" nor "F". A ticked box takes
// its state from `onStates`; one missing there gets no state, which no form accepts.
std::vector<FdfEntry> ap68Entries(const Ap68Values& values, const CheckBoxStates& onStates = {});

// Gathers the values and writes the FDF at fdfPath, naming desktopCopyPath as its form. Returns the
// field list written, for the filled PDF; the fiscal code's disagreements go to `disagreements`.
std::vector<FdfEntry> WriteAp68Fdf(const clinical::PatientRow& row, Tzantopat& session,
                                   const QString& fdfPath, const QString& desktopCopyPath,
                                   const QString& exportPath,
                                   clinical::FiscalCodeParts* disagreements = nullptr);

} // namespace fdf
