#pragma once
// The certificate's values as the editor window holds them: what the checks test and the writer writes.
// Memo texts carry their line breaks as CR LF, as the window's text has them.

#include "clinical/ClaimPurpose.h"

#include <QDate>
#include <QString>

#include <array>

namespace certificate {

enum class Sesso { None, M, F };

struct CertificateFields
{
    // Page 1: the patient.
    QString cognome;
    QString nome;
    Sesso sesso = Sesso::None;
    QString codiceFiscale;
    // The sex as the export gave it ("M", "F" or anything else): the radio buttons show anything but
    // "M" as F, the fiscal code is compared with this. Not shown.
    QString sessoLetto;
    QString dataDiNascita; // "dd/mm/yyyy" or empty
    QString luogoDiNascita;
    QString provDiNascita;
    QString codTesSanitaria;
    QString aslDiAppartenenza;
    QString anamnesi;
    QString obiettivita;
    QString diagnosi;

    // Page 2: ICD-9 rows 1 to 5 and the therapies.
    std::array<QString, 5> codiciIcd9;
    std::array<QString, 5> descrizioniIcd9;
    QString terapia;

    // Page 3: declarations, purposes, place and date, doctor.
    std::array<bool, 3> dichiarazioni{}; // CheckBoxCert01A, B, C
    clinical::Purposes domanda;          // the purposes of the claim
    QString luogo;
    QDate data;
    QString cognomeMedico;
    QString nomeMedico;
    QString numIscrizione;
    QString provAlbo;

    bool operator==(const CertificateFields&) const = default;
};

// A memo's text as the window gives it (memoText) and as its text document holds it: every line break of
// the one is CR LF, of the other LF. A line break is CR LF, a lone CR or LF, or the Unicode line or
// paragraph separator.
bool isLineBreak(QChar c); // in a document text: LF or either Unicode separator
QString memoText(const QString& documentText);
QString documentText(const QString& memoText);
// What a cleared memo holds once the line is added to it: the line and CR LF, its breaks as CR LF.
QString memoLine(const QString& line);

} // namespace certificate
