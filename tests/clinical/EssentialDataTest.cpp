// Reads of the essential-data export: single values, sections, therapy text, loading and requesting;
// the reading of host dates.

#include "clinical/EssentialData.h"
#include "clinical/HostDate.h"

#include "support/ExportBuilder.h"
#include "support/FakeHost.h"
#include "support/QtPrinters.h"
#include "support/TempDirs.h"

#include "text/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

using clinical::EssentialDataDocument;
namespace paths = clinical::paths;

namespace {

// An export around a PAZIENTE body.
QByteArray exportWith(const char* paziente, const char* declaration = "<?xml version=\"1.0\"?>")
{
    return QByteArray(declaration) + "<Publ_Dati_Essenziali><Elenco_pazienti><PAZIENTE>" + paziente +
           "</PAZIENTE></Elenco_pazienti></Publ_Dati_Essenziali>";
}

QStringList descriptions(const EssentialDataDocument& document, const char* path)
{
    QStringList out;
    for (const auto& entry : document.section(path))
        out << entry.codice + QLatin1Char('|') + entry.descrizione_estesa;
    return out;
}

struct ValueCase
{
    const char* name;
    QByteArray xml;
    const char* path;
    QString expected;
};

class SingleValue : public testing::TestWithParam<ValueCase>
{
};

TEST_P(SingleValue, ReadsTheTextOfTheFirstMatchOrNothing)
{
    const EssentialDataDocument document = EssentialDataDocument::fromText(GetParam().xml);
    EXPECT_EQ(document.value(GetParam().path), GetParam().expected);
}

const QString kForli = QStringLiteral("Forlì ’ €");

INSTANTIATE_TEST_SUITE_P(
    Reads, SingleValue,
    testing::Values(
        ValueCase{"plain", exportWith("<PERSONA><codice_fiscale>RSSMRA50C05H501X</codice_fiscale></PERSONA>"),
                  paths::kCodiceFiscale, QStringLiteral("RSSMRA50C05H501X")},
        ValueCase{"blanks_and_case_kept", exportWith("<PERSONA><sesso> m </sesso></PERSONA>"), paths::kSesso,
                  QStringLiteral(" m ")},
        ValueCase{"text_of_descendants_and_cdata",
                  exportWith("<PERSONA><cognome>DE <b>LA</b><![CDATA[ <ROSA>]]></cognome></PERSONA>"),
                  paths::kCognome, QStringLiteral("DE LA <ROSA>")},
        ValueCase{"entities", exportWith("<codice_sanitario>A&amp;B&#13;&#10;C</codice_sanitario>"),
                  paths::kCodiceSanitario, QStringLiteral("A&B\r\nC")},
        ValueCase{
            "missing_node", exportWith("<PERSONA><cognome>ROSSI</cognome></PERSONA>"), paths::kSesso, {}},
        ValueCase{"missing_parent", exportWith("<PERSONA/>"), paths::kComuneNascita, {}},
        ValueCase{"empty_element",
                  exportWith("<ASL_DI_ASSISTENZA><ASL><codice_asl/></ASL></ASL_DI_ASSISTENZA>"),
                  paths::kCodiceAsl,
                  {}},
        ValueCase{
            "first_of_several_patients",
            "<Publ_Dati_Essenziali><Elenco_pazienti><PAZIENTE><PERSONA/></PAZIENTE><PAZIENTE><PERSONA>"
            "<sesso>F</sesso></PERSONA></PAZIENTE><PAZIENTE><PERSONA><sesso>M</sesso></PERSONA></PAZIENTE>"
            "</Elenco_pazienti></Publ_Dati_Essenziali>",
            paths::kSesso, QStringLiteral("F")},
        ValueCase{"other_root",
                  "<Altro><Elenco_pazienti><PAZIENTE><codice_sanitario>1</codice_sanitario>"
                  "</PAZIENTE></Elenco_pazienti></Altro>",
                  paths::kCodiceSanitario,
                  {}},
        ValueCase{"empty_text", "", paths::kCodiceFiscale, {}},
        ValueCase{"malformed_after_the_value",
                  exportWith("<PERSONA><codice_fiscale>RSS</codice_fiscale></PERSONA><oops>").left(120),
                  paths::kCodiceFiscale,
                  {}},
        ValueCase{"not_xml", "codice_fiscale=RSS", paths::kCodiceFiscale, {}},
        ValueCase{"bad_xpath", exportWith("<PERSONA/>"), "/Publ_Dati_Essenziali[", {}},
        ValueCase{"utf8", exportWith("<PERSONA><NASCITA><comune>Forlì ’ €</comune></NASCITA></PERSONA>"),
                  paths::kComuneNascita, kForli},
        ValueCase{"windows_1252_declared",
                  exportWith("<PERSONA><NASCITA><comune>Forl\xEC \x92 \x80</comune></NASCITA></PERSONA>",
                             "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"),
                  paths::kComuneNascita, kForli},
        ValueCase{"latin1_declared",
                  exportWith("<PERSONA><NASCITA><comune>Forl\xEC</comune></NASCITA></PERSONA>",
                             "<?xml version='1.0' encoding='ISO-8859-1'?>"),
                  paths::kComuneNascita, QStringLiteral("Forlì")}),
    [](const testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

TEST(EssentialData, ReadsAUtf16ExportWithByteOrderMark)
{
    const QString xml = QString::fromUtf8(exportWith("<PERSONA><cognome>D’ANGELO ł</cognome></PERSONA>"));
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(xml.utf16()), xml.size() * 2);
    EXPECT_EQ(EssentialDataDocument::fromText(utf16).value(paths::kCognome), QStringLiteral("D’ANGELO ł"));
}

TEST(EssentialData, EmptyAndMalformedDocumentsAreEmpty)
{
    EXPECT_TRUE(EssentialDataDocument().isEmpty());
    EXPECT_TRUE(EssentialDataDocument::fromText("").isEmpty());
    EXPECT_TRUE(EssentialDataDocument::fromText("<a><b></a>").isEmpty());
    EXPECT_TRUE(EssentialDataDocument::load(QStringLiteral("/nonexistent/export.xml")).isEmpty());
    EXPECT_FALSE(EssentialDataDocument::fromText("<a/>").isEmpty());
    EXPECT_TRUE(EssentialDataDocument::fromText("").section(paths::kAllarmi).empty());
    EXPECT_EQ(EssentialDataDocument::fromText("<a><b></a>").therapyText(), QString());
}

TEST(EssentialData, SectionsSelectByClassInDocumentOrderAcrossPatients)
{
    const QByteArray xml =
        "<Publ_Dati_Essenziali><Elenco_pazienti>"
        "<PAZIENTE><Elenco_sezioni_dati_essenziali>"
        "<SEZIONE_DATI_ESSENZIALI><codice_kv_classe_abstract>allarmi</codice_kv_classe_abstract>"
        "<Elenco_dati_generici><DATO_GENERICO><codice>1</codice><descrizione_estesa>uno</descrizione_estesa>"
        "</DATO_GENERICO><DATO_GENERICO><descrizione_estesa>solo "
        "descrizione</descrizione_estesa></DATO_GENERICO>"
        "</Elenco_dati_generici></SEZIONE_DATI_ESSENZIALI>"
        "<SEZIONE_DATI_ESSENZIALI><codice_kv_classe_abstract>allarmi </codice_kv_classe_abstract>"
        "<Elenco_dati_generici><DATO_GENERICO><codice>X</codice></DATO_GENERICO></Elenco_dati_generici>"
        "</SEZIONE_DATI_ESSENZIALI>"
        "<SEZIONE_DATI_ESSENZIALI codice_kv_classe_abstract='allarmi'>"
        "<Elenco_dati_generici><DATO_GENERICO><codice>Y</codice></DATO_GENERICO></Elenco_dati_generici>"
        "</SEZIONE_DATI_ESSENZIALI>"
        "<SEZIONE_DATI_ESSENZIALI><codice_kv_classe_abstract>problemi_attivi</codice_kv_classe_abstract>"
        "<Elenco_dati_generici/></SEZIONE_DATI_ESSENZIALI>"
        "</Elenco_sezioni_dati_essenziali></PAZIENTE>"
        "<PAZIENTE><Elenco_sezioni_dati_essenziali>"
        "<SEZIONE_DATI_ESSENZIALI><codice_kv_classe_abstract>allarmi</codice_kv_classe_abstract>"
        "<Elenco_dati_generici><DATO_GENERICO><codice>2</codice></DATO_GENERICO><DATO_GENERICO/>"
        "</Elenco_dati_generici></SEZIONE_DATI_ESSENZIALI>"
        "</Elenco_sezioni_dati_essenziali></PAZIENTE>"
        "</Elenco_pazienti></Publ_Dati_Essenziali>";
    const EssentialDataDocument document = EssentialDataDocument::fromText(xml);
    EXPECT_EQ(descriptions(document, paths::kAllarmi),
              QStringList({"1|uno", "|solo descrizione", "2|", "|"}));
    EXPECT_TRUE(document.section(paths::kProblemiAttivi).empty());
    EXPECT_TRUE(document.section(paths::kProtesiAusili).empty());
}

struct TherapyCase
{
    const char* name;
    std::vector<std::optional<QString>> descriptions;
    QString expected;
};

class Therapy : public testing::TestWithParam<TherapyCase>
{
};

TEST_P(Therapy, JoinsDescriptionsWithCrLf)
{
    testing_support::PatientExport patient;
    testing_support::ExportSection continuativi{QStringLiteral("continuativi"), {}};
    for (const auto& description : GetParam().descriptions)
        continuativi.entries.push_back({QStringLiteral("C"), description});
    // Entries of other classes never reach the therapy text.
    patient.sections = {{QStringLiteral("allarmi"), {{QStringLiteral("A"), QStringLiteral("allarme")}}},
                        continuativi};
    EXPECT_EQ(EssentialDataDocument::fromText(patient.toXml()).therapyText(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, Therapy,
    testing::Values(
        TherapyCase{"none", {}, {}},
        TherapyCase{
            "two", {"Ramipril 5 mg", "Cardioaspirina (100 mg)"}, "Ramipril 5 mg\r\nCardioaspirina (100 mg)"},
        TherapyCase{"empty_between", {"A", "", "B"}, "A\r\n\r\nB"},
        TherapyCase{"empty_first", {"", "", "B"}, "B"}, TherapyCase{"empty_last", {"A", ""}, "A\r\n"},
        TherapyCase{"missing_description_counts_as_empty", {"A", std::nullopt, "B"}, "A\r\n\r\nB"},
        TherapyCase{"multi_line_description_kept", {"una\r\ndue", "tre"}, "una\r\ndue\r\ntre"}),
    [](const testing::TestParamInfo<TherapyCase>& info) { return std::string(info.param.name); });

// The export is read only when the host made it, from a regular file of bounded size, and only when it
// is the selected patient's; it is removed whatever came of it.
TEST(EssentialData, OnlyTheSelectedPatientsExportIsRead)
{
    testing_support::FakeHostSession host;
    host.patients = {{.codice = "A", .cognome = QStringLiteral("ȘTEFAN"), .nome = QStringLiteral("MARIO")}};
    const auto exportOf = [](const QString& cognome, const QString& nome) {
        testing_support::PatientExport e;
        e.cognome = cognome;
        e.nome = nome;
        e.codiceFiscale = QStringLiteral("STFMRA50C05H501X");
        return e.toXml();
    };
    const QByteArray own = exportOf(QStringLiteral("ȘTEFAN"), QStringLiteral("MARIO"));
    QByteArray twoPatients = own;
    twoPatients.replace("</PAZIENTE>",
                        "</PAZIENTE><PAZIENTE><PERSONA><cognome>VERDI</cognome></PERSONA></PAZIENTE>");

    enum Outcome { Read, Empty, Refused, Stopped };
    const QString notTheirs = QStringLiteral("I dati esportati dal programma di cartella non appartengono al "
                                             "paziente scelto (ȘTEFAN MARIO). Nessun file è stato scritto.");
    const QString unreadable =
        QStringLiteral("Impossibile leggere i dati esportati dal programma di cartella: "
                       "%1 (%2). Nessun file è stato scritto.");
    const struct
    {
        const char* name;
        std::function<bool(const QString& path)> write; // as the host writes the export
        const char* failing;                            // the host method that fails
        Outcome outcome;
        QString message = {}; // %1 the export's path
    } cases[] = {
        {"own", [&](const QString& p) { return testing_support::writeFile(p, own); }, nullptr, Read},
        {"case and blanks",
         [&](const QString& p) { return testing_support::writeFile(p, exportOf(" ștefan ", "Mario")); },
         nullptr, Read},
        {"Windows-1252 writes Ș as ?",
         [&](const QString& p) {
             return testing_support::writeFile(
                 p, text::encodeWindows1252(QString::fromUtf8(own).replace("UTF-8", "windows-1252")));
         },
         nullptr, Read},
        {"another patient",
         [&](const QString& p) { return testing_support::writeFile(p, exportOf("VERDI", "MARIO")); }, nullptr,
         Refused, notTheirs},
        {"two patients", [&](const QString& p) { return testing_support::writeFile(p, twoPatients); },
         nullptr, Refused, notTheirs},
        {"nothing written", [](const QString&) { return true; }, nullptr, Empty},
        {"too large",
         [](const QString& p) {
             return testing_support::writeFile(p, QByteArray(clinical::kMaxExportBytes + 1, ' '));
         },
         nullptr, Refused, unreadable.arg(QStringLiteral("supera i 16 MB"), QStringLiteral("%1"))},
#ifndef _WIN32
        {"link to a device", [](const QString& p) { return QFile::link(QStringLiteral("/dev/zero"), p); },
         nullptr, Refused,
         unreadable.arg(
             QStringLiteral("al suo posto c'è un collegamento simbolico, che il programma non segue"),
             QStringLiteral("%1"))},
#endif
        {"the host fails to export", [&](const QString&) { return false; }, "genera_xml", Stopped,
         QStringLiteral("Tgate_zantopat.genera_xml(): eccezione\r\n\r\n  host down")},
        {"the host fails to select", [&](const QString&) { return false; }, "select_single", Stopped,
         QStringLiteral("Tzantopat.select_single(): eccezione")},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.log->failures.clear();
        if (c.failing)
            host.log->failures[c.failing] = "host down";
        host.log->handler = [&c, answer = host.log->handler](const std::string& method,
                                                             host::Arguments& args) {
            if (method == "genera_xml")
                return host::Result(c.write(testing_support::argumentText(args, 2)));
            return answer(method, args);
        };
        host.log->calls.clear();
        host.platform.messages.clear();
        const QString path = clinical::freshExportPath(dir.path() + QDir::separator());
        Outcome outcome = Read;
        EssentialDataDocument document;
        try {
            document = clinical::requestEssentialData(host.session, QStringLiteral("41"), path);
            outcome = document.isEmpty() ? Empty : Read;
        } catch (const platform::FailureShown&) {
            outcome = Stopped;
            EXPECT_EQ(host.platform.messageTexts(), QStringList{c.message});
        } catch (const std::runtime_error& error) {
            outcome = Refused;
            EXPECT_EQ(QString::fromUtf8(error.what()), c.message.arg(QDir::toNativeSeparators(path)));
        }
        EXPECT_EQ(outcome, c.outcome);
        if (outcome == Read) {
            EXPECT_EQ(document.value(paths::kCodiceFiscale), QStringLiteral("STFMRA50C05H501X"));
        }
        EXPECT_FALSE(QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            << "the export outlived its read";
        if (c.failing == nullptr) {
            EXPECT_EQ(host.calls(),
                      QStringList({"select_single(41)", "leggi_attributo(cognome)", "leggi_attributo(nome)",
                                   "genera_xml(publ_dati_essenziali, , " + path + ")"}));
        }
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_EQ(host.callsOf("genera_xml"), QStringList()) << "nothing is exported for a patient not selected";

    // Each request its own name, which no one can guess, and which the clearing of the work folder knows.
    const QString first = clinical::freshExportPath(QString());
    EXPECT_NE(first, clinical::freshExportPath(QString()));
    EXPECT_TRUE(clinical::isExportFileName(first)) << first.toStdString();
    EXPECT_FALSE(clinical::isExportFileName(QStringLiteral("ROSSIMARIOcertmedinps.xml")));
}

// The one reading of host dates, which the search list, the forms and the certificate share.
TEST(HostDate, YearMonthDayWithOneDigitMonthAndDayAndBlanksAround)
{
    for (const char* text : {"2005-03-07", "2005-3-7", " 2005-03-07\t", "2005-3-07 "})
        EXPECT_EQ(clinical::readHostDate(QString::fromLatin1(text)).value_or(QDate()), QDate(2005, 3, 7))
            << text;
    EXPECT_EQ(clinical::readHostDate(QStringLiteral("2000-02-29")).value_or(QDate()), QDate(2000, 2, 29));
    for (const char* text :
         {"07/03/2005", "2005-02-30", "2005-13-01", "2005-03", "05-03-07", "2005-003-07", "x", ""})
        EXPECT_FALSE(clinical::readHostDate(QString::fromLatin1(text))) << text;
}

} // namespace
