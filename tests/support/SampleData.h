#pragma once
// The sample data of the tests and the benchmarks, built in one place: the patient Mario Rossi (his
// row and the person part of his essential-data export), a certificate that passes both check phases,
// and the AP68 values of an ordinary, a foreign and a completed certificate. Each user changes what it
// is about.

#include "ExportBuilder.h"

#include "certificate/CertificateFields.h"
#include "clinical/PatientRow.h"
#include "fdf/Ap68Map.h"

#include <QDate>
#include <QString>

namespace testing_support {

inline clinical::PatientRow rossiRow()
{
    return {QStringLiteral("524F535349"), QStringLiteral("ROSSI"), QStringLiteral("MARIO"),
            QDate(1950, 3, 5)};
}

// Rossi's export without its sections.
inline PatientExport rossiPersonExport()
{
    PatientExport e;
    e.cognome = QStringLiteral("ROSSI");
    e.nome = QStringLiteral("MARIO");
    e.codiceFiscale = QStringLiteral("RSSMRA50C05H501X");
    e.sesso = QStringLiteral("M");
    e.comune = QStringLiteral("ROMA");
    e.provincia = QStringLiteral("RM");
    e.codiceSanitario = QStringLiteral("80380001234567890123");
    e.codiceAsl = QStringLiteral("123");
    return e;
}

// A certificate that passes both check phases when "Milano" is F205.
inline certificate::CertificateFields completeCertificate()
{
    certificate::CertificateFields f;
    f.cognome = QStringLiteral("Rossi");
    f.nome = QStringLiteral("Mario");
    f.sesso = certificate::Sesso::M;
    f.codiceFiscale = QStringLiteral("RSSMRA50C07F205M");
    f.dataDiNascita = QStringLiteral("07/03/1950");
    f.luogoDiNascita = QStringLiteral("Milano");
    f.codTesSanitaria = QStringLiteral("80380001200012345678");
    f.aslDiAppartenenza = QStringLiteral("000123");
    f.codiciIcd9 = {QStringLiteral("25000")};
    f.luogo = QStringLiteral("Milano");
    f.data = QDate(2010, 5, 5);
    f.cognomeMedico = QStringLiteral("Bianchi");
    f.nomeMedico = QStringLiteral("Anna");
    f.numIscrizione = QStringLiteral("12345");
    f.provAlbo = QStringLiteral("MI");
    f.domanda[clinical::Purpose::Invalidita] = true;
    return f;
}

// The AP68 values of an ordinary patient: five coded problems, a two-line therapy, accented letters.
inline fdf::Ap68Values italianAp68()
{
    fdf::Ap68Values v;
    v.cognome = QStringLiteral("ROSSI");
    v.nome = QStringLiteral("NICOLÒ");
    v.dataNascita = QDate(1950, 3, 5);
    v.comuneNascita = QStringLiteral("FORLÌ");
    v.provinciaNascita = QStringLiteral("FC");
    v.codiceFiscale = QStringLiteral("RSSNCL50C05D704X");
    v.sesso = QStringLiteral("M");
    v.codiceSanitario = QStringLiteral("80380001234567890123");
    v.codiceAsl = QStringLiteral("123");
    v.cognomeMedico = QStringLiteral("BIANCHI");
    v.nomeMedico = QStringLiteral("LUCA");
    v.pathologies = {{"V53.2", "Apparecchio acustico"},
                     {"250.00", "Diabete mellito (tipo 2)"},
                     {"401.9", "Ipertensione essenziale"},
                     {"715.16", "Artrosi (ginocchio)"},
                     {"493.90", "Asma"}};
    v.terapia = QStringLiteral("Ramipril 5 mg\r\nCardioaspirina (100 mg)");
    return v;
}

// The same with Romanian names, a Polish town and a Vietnamese doctor's name.
inline fdf::Ap68Values foreignAp68()
{
    fdf::Ap68Values v = italianAp68();
    v.cognome = QStringLiteral("ȘTEFĂNESCU");
    v.nome = QStringLiteral("IOANA ȚARĂ");
    v.comuneNascita = QStringLiteral("ŁÓDŹ");
    v.provinciaNascita = QStringLiteral("EE");
    v.pathologies[2].PatDescrizione = QStringLiteral("Ipertensione (dott. NGUYỄN)");
    return v;
}

// What the certificate editor adds: the doctor's texts, two purposes and a declaration ticked.
inline fdf::Ap68Values completedAp68()
{
    fdf::Ap68Values v = italianAp68();
    v.anamnesi = QStringLiteral("Ipertensione arteriosa dal 2004.\r\nDiabete mellito tipo 2 dal 2010.");
    v.obiettivita = QStringLiteral("Deambulazione autonoma con ausilio. PA 150/90 mmHg.");
    v.diagnosi = QStringLiteral("Cardiopatia ipertensiva; diabete mellito tipo 2.");
    v.domanda[clinical::Purpose::Invalidita] = v.domanda[clinical::Purpose::Handicap] = true;
    v.dichiarazioni = {false, true, false};
    v.luogo = QStringLiteral("Forlì");
    v.dataCertificato = QDate(2026, 12, 8);
    v.numIscrizione = QStringLiteral("12345");
    return v;
}

} // namespace testing_support
