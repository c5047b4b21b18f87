#pragma once
// The patients of the pre-fill tests: an ordinary one, and hostile data for every field that takes
// host text.

#include "Pdftk.h"
#include "support/ExportBuilder.h"
#include "support/FakeHost.h"
#include "support/SampleData.h"
#include "support/TempDirs.h"

#include "clinical/PatientRow.h"
#include "text/Windows1252.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace testing_support {

// Seven pathologies (the form takes five) and two continuing therapies.
inline PatientExport rossiExport()
{
    PatientExport e = rossiPersonExport();
    e.sections = {
        {QStringLiteral("allarmi"), {{"995.3", "Allergia: penicillina"}}},
        {QStringLiteral("continuativi"), {{"C10", "Ramipril 5 mg"}, {"B01", "Cardioaspirina (100 mg)"}}},
        {QStringLiteral("protesi_ausili"), {{"V53.2", "Apparecchio acustico"}}},
        {QStringLiteral("problemi_attivi"),
         {{"250.00", "Diabete mellito (tipo 2)"},
          {"401.9", "Ipertensione essenziale"},
          {"715.16", "Artrosi (ginocchio)"},
          {"493.90", "Asma"},
          {"278.00", "Obesità"}}},
    };
    return e;
}

inline FakePatient rossiPatient()
{
    FakePatient p;
    p.codice = QStringLiteral("ROSSI");
    p.cognome = QStringLiteral("ROSSI");
    p.nome = QStringLiteral("MARIO");
    p.exportXml = rossiExport().toXml();
    p.attributes = {
        {"persona\\attributi_persona\\cittadinanza", "ITALIANA"},
        {"persona\\residenza\\indirizzo\\comune", "ROMA"},
        {"persona\\residenza\\indirizzo\\sigla_provincia", "RM"},
        {"persona\\residenza\\indirizzo\\via_piazza", "Via Roma (int. 3)"},
        {"persona\\residenza\\indirizzo\\cap", "00184"},
        {"persona\\telefono\\numero_telefono", "06 1234567"},
        {"persona\\telefono_cellulare", "333 1234567"},
        {"persona\\e-mail", "mario.rossi@example.it"},
        {"persona\\documento_identita\\tipo_documento", "Carta d'identità"},
        {"persona\\documento_identita\\numero_documento", "AX1234567"},
        {"persona\\documento_identita\\rilasciato_da", "Comune di Roma"},
        {"persona\\documento_identita\\data_rilascio", "2005-03-07"},
    };
    p.measurementRows = QStringLiteral("3");
    p.measurement = {{"frequenza_cardiaca", "72"}, {"pressione_massima", "130"}, {"pressione_minima", "80"}};
    return p;
}

// Text that breaks naive writers: unbalanced parentheses, backslashes (one at the end), CR LF and a
// lone LF, characters outside Windows-1252 and outside the basic plane.
namespace hostile {
inline const QString kCognome = QStringLiteral("D'ANGELO/DE: ROSA (");
inline const QString kNome = QStringLiteral("MARIA\\");
inline const QString kCodiceFiscale = QStringLiteral("C:\\dati\\");
inline const QString kComune = QStringLiteral("Forlì (FC");
inline const QString kProvincia = QStringLiteral("þÿ)"); // bytes that open as a byte-order mark
inline const QString kCodiceSanitario = QStringLiteral("’ € ł 😀");
inline const QString kCodiceAsl = QStringLiteral("\\)");
inline const QString kDescription = QStringLiteral("riga uno\r\nriga (due)\nriga tre \\");
inline const QString kDoctorSurname = QStringLiteral("Dell’Acqua €");
inline const QString kDoctorName = QStringLiteral("José\\n");
inline const QString kIndirizzo = QStringLiteral("Via dell'Orso ((2)");
inline const QString kEmail = QStringLiteral("a\\b@x.it\r\n");
inline const QString kRilasciatoDa = QStringLiteral("Comune di L'Aquila / Ufficio: anagrafe 😀");
} // namespace hostile

inline clinical::PatientRow hostileRow()
{
    return {QStringLiteral("48"), hostile::kCognome, hostile::kNome, QDate(1931, 12, 31)};
}

inline FakePatient hostilePatient()
{
    PatientExport e;
    e.cognome = hostile::kCognome;
    e.nome = hostile::kNome;
    e.codiceFiscale = hostile::kCodiceFiscale;
    e.sesso = QStringLiteral("F");
    e.comune = hostile::kComune;
    e.provincia = hostile::kProvincia;
    e.codiceSanitario = hostile::kCodiceSanitario;
    e.codiceAsl = hostile::kCodiceAsl;
    e.sections = {
        {QStringLiteral("problemi_attivi"), {{"(", hostile::kDescription}, {"\\", "😀"}}},
        {QStringLiteral("continuativi"),
         {{"X", "Insulina (\\unità)"}, {"Y", ""}, {"Z", hostile::kDescription}}},
    };
    FakePatient p;
    p.codice = QStringLiteral("H");
    p.cognome = hostile::kCognome;
    p.nome = hostile::kNome;
    p.exportXml = e.toXml();
    p.attributes = {
        {"persona\\residenza\\indirizzo\\via_piazza", hostile::kIndirizzo},
        {"persona\\e-mail", hostile::kEmail},
        {"persona\\documento_identita\\rilasciato_da", hostile::kRilasciatoDa},
        {"persona\\documento_identita\\numero_documento", "))))"},
    };
    p.measurementRows = QStringLiteral("1");
    p.measurement = {
        {"frequenza_cardiaca", "7(2"}, {"pressione_massima", "1\\30"}, {"pressione_minima", "80)"}};
    return p;
}

// What a form reader shows for a value: every line end one LF.
inline QString asRead(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return value;
}

inline QList<QByteArray> fdfLines(const QByteArray& fdf)
{
    QList<QByteArray> lines = fdf.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// Fills the FDF into the form with pdftk and checks what it reads: the named values exactly, every
// other field empty (or "Off" for a check box).
inline void expectFormReads(const QString& form, const QString& fdf, const QMap<QString, QString>& values)
{
    const PdftkResult read = fillAndRead(form, fdf);
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    // Every field the FDF names is a field of the form: pdftk would skip an unknown one silently.
    static const QRegularExpression fieldName(QStringLiteral(R"(<</T\(([^)]*)\))"));
    for (const auto& match : fieldName.globalMatch(text::decodeWindows1252(readAll(fdf))))
        EXPECT_TRUE(read.values.contains(match.captured(1)))
            << "form lacks " << match.captured(1).toStdString();
    for (auto it = values.begin(); it != values.end(); ++it) {
        ASSERT_TRUE(read.values.contains(it.key())) << "no field " << it.key().toStdString();
        EXPECT_EQ(read.values.value(it.key()), it.value()) << "field " << it.key().toStdString();
    }
    for (auto it = read.values.begin(); it != read.values.end(); ++it) {
        if (!values.contains(it.key())) {
            EXPECT_TRUE(it.value().isEmpty() || it.value() == QLatin1String("Off"))
                << "field " << it.key().toStdString() << " = " << it.value().toStdString();
        }
    }
}

} // namespace testing_support
