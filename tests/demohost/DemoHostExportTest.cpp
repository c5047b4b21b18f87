// The essential-data export written by the demo host, read back by the paths the program's readers use.

#include "DemoHostFixture.h"

#include "clinical/EssentialData.h"
#include "clinical/FiscalCode.h"
#include "host/tc_GenTools.h"

#include "support/TempDirs.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <pugixml.hpp>

namespace demohost_test {
namespace {

using namespace clinical::paths;

constexpr const char* kPatients = R"sql(
INSERT INTO pazienti (codice, codice_medico, cognome, nome, data_nascita, sesso, codice_fiscale, comune_nascita,
                      sigla_provincia_nascita, codice_sanitario, codice_asl)
VALUES ('X1', 63, 'D''ANGELO', 'MARIA ROSA', '1950-03-07', 'F', 'DNGMRS50C47A345S', 'L''AQUILA', 'AQ',
        '80380123456789012345', '123'),
       ('X2', 63, 'VUOTO', 'SENZA DATI', NULL, 'M', NULL, NULL, NULL, NULL, NULL);
INSERT INTO dati_essenziali (codice_paziente, classe, ordine, codice, descrizione_estesa) VALUES
  ('X1', 'continuativi', 1, 'A10BA02', 'METFORMINA 500 mg' || char(13, 10) || '1 cpr x 2/die'),
  ('X1', 'continuativi', 2, 'C09AA05', 'RAMIPRIL 5 mg' || char(10) || 'al mattino'),
  ('X1', 'continuativi', 3, 'X', ''),
  ('X1', 'problemi_attivi', 1, '250.00', 'Diabete mellito tipo II (senza complicanze)'),
  ('X1', 'problemi_attivi', 2, '401.9', 'Ipertensione <essenziale> & "non specificata"'),
  ('X1', 'problemi_attivi', 3, '427.31', 'Fibrillazione atriale 💓'),
  ('X1', 'problemi_attivi', 4, '428.0', 'Insufficienza cardiaca'),
  ('X1', 'problemi_attivi', 5, '496', 'BPCO'),
  ('X1', 'problemi_attivi', 6, '585.3', 'Malattia renale cronica, stadio III'),
  ('X1', 'protesi_ausili', 1, 'V45.81', 'Stato di bypass aortocoronarico'),
  ('X1', 'allarmi', 1, 'V14.0', 'Allergia alla penicillina' || char(7) || ']]>'),
  ('X1', 'fattori_di_rischio', 1, 'V15.82', 'Ex fumatore');
)sql";

class DemoHostExportTest : public DemoHostTest
{
protected:
    QString exportPath = dir.path() + QStringLiteral("/temp/DANGELOMARIAROSAÈcertmedinps.xml");

    void SetUp() override
    {
        QDir(dir.path()).mkpath(QStringLiteral("temp"));
        prepareDatabase(kPatients);
        login();
    }

    pugi::xml_document exportOf(const QString& code)
    {
        EXPECT_TRUE(session->select_single(tc_GenTools::string2hex(code)));
        EXPECT_TRUE(session->genera_xml(QStringLiteral("publ_dati_essenziali"), QString(), exportPath));
        pugi::xml_document document;
        const QByteArray bytes = testing_support::readAll(exportPath);
        const pugi::xml_parse_result parsed = document.load_buffer(bytes.constData(), bytes.size());
        EXPECT_TRUE(parsed) << parsed.description();
        return document;
    }

    static std::string value(const pugi::xml_document& document, const char* path)
    {
        return document.select_node(path).node().text().get();
    }

    static std::vector<std::pair<std::string, std::string>> entries(const pugi::xml_document& document,
                                                                    const char* path)
    {
        std::vector<std::pair<std::string, std::string>> out;
        for (const pugi::xpath_node& node : document.select_nodes(path))
            out.emplace_back(node.node().child("codice").text().get(),
                             node.node().child("descrizione_estesa").text().get());
        return out;
    }
};

TEST_F(DemoHostExportTest, SingleValuesAreWhereTheReadersLook)
{
    const pugi::xml_document document = exportOf(QStringLiteral("X1"));
    const std::pair<const char*, const char*> cases[] = {
        {kCognome, "D'ANGELO"},
        {kNomePersona, "MARIA ROSA"},
        {kCodiceFiscale, "DNGMRS50C47A345S"},
        {kSesso, "F"},
        {kComuneNascita, "L'AQUILA"},
        {kProvinciaNascita, "AQ"},
        {kCodiceSanitario, "80380123456789012345"},
        {kCodiceAsl, "123"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(value(document, path), expected) << path;
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(DemoHostExportTest, SectionsHoldTheirEntriesInOrderWithLineBreaksAndAnyCharacters)
{
    const pugi::xml_document document = exportOf(QStringLiteral("X1"));
    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(entries(document, kProtesiAusili), (Entries{{"V45.81", "Stato di bypass aortocoronarico"}}));
    EXPECT_EQ(entries(document, kProblemiAttivi),
              (Entries{{"250.00", "Diabete mellito tipo II (senza complicanze)"},
                       {"401.9", "Ipertensione <essenziale> & \"non specificata\""},
                       {"427.31", "Fibrillazione atriale 💓"},
                       {"428.0", "Insufficienza cardiaca"},
                       {"496", "BPCO"},
                       {"585.3", "Malattia renale cronica, stadio III"}}));
    // A control character cannot be carried by XML and is left out; "]]>" is harmless text.
    EXPECT_EQ(entries(document, kAllarmi), (Entries{{"V14.0", "Allergia alla penicillina]]>"}}));
    // Line breaks come back as CR LF, whether the file held CR LF or a bare LF.
    EXPECT_EQ(entries(document, kContinuativi), (Entries{{"A10BA02", "METFORMINA 500 mg\r\n1 cpr x 2/die"},
                                                         {"C09AA05", "RAMIPRIL 5 mg\r\nal mattino"},
                                                         {"X", ""}}));
}

TEST_F(DemoHostExportTest, PatientWithoutDataGivesEmptyValuesAndNoSections)
{
    const pugi::xml_document document = exportOf(QStringLiteral("X2"));
    EXPECT_EQ(value(document, kCognome), "VUOTO");
    for (const char* path : {kCodiceFiscale, kComuneNascita, kProvinciaNascita, kCodiceSanitario, kCodiceAsl})
        EXPECT_EQ(value(document, path), "") << path;
    for (const char* path : {kProtesiAusili, kProblemiAttivi, kAllarmi, kContinuativi})
        EXPECT_TRUE(document.select_nodes(path).empty()) << path;
}

TEST_F(DemoHostExportTest, EachExportReplacesTheFileWholeOwnerOnlyAndLeavesNothingElse)
{
    // The patient's clinical summary: its owner's only, whatever the umask lets through.
    const mode_t previous = umask(0);
    exportOf(QStringLiteral("X1"));
    const pugi::xml_document second = exportOf(QStringLiteral("X2"));
    umask(previous);
    EXPECT_EQ(value(second, kCognome), "VUOTO");
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/temp")).entryList(QDir::Files),
              QStringList(QStringLiteral("DANGELOMARIAROSAÈcertmedinps.xml")));
    EXPECT_TRUE(testing_support::ownerOnly(exportPath));
}

TEST_F(DemoHostExportTest, SeedPatientsExportWellFormedDocuments)
{
    // Every patient of the demo doctor: names with apostrophes and accents, sections of every size;
    // fiscal codes that agree with the data, except the two that are wrong on purpose.
    const int count = session->carica(QStringLiteral("codice_medico =42|tipo_di_convenzione=S"),
                                      QStringLiteral("alfabetico"));
    ASSERT_EQ(count, 322);
    std::vector<QString> ids;
    for (int i = 0; i < count; ++i, session->skip())
        ids.push_back(tc_GenTools::string2hex(session->leggi_attributo(QStringLiteral("codice"))));
    int withMoreThanFive = 0, withNone = 0;
    QStringList wrongCodes;
    for (const QString& id : ids) {
        QString code;
        tc_GenTools::hex2string(id, code);
        const pugi::xml_document document = exportOf(code);
        ASSERT_EQ(value(document, kCodiceFiscale).size(), 16u) << code.toStdString();
        ASSERT_EQ(value(document, kCodiceSanitario).size(), 20u);
        ASSERT_EQ(value(document, kCodiceAsl).size(), 3u);
        const std::size_t problems = document.select_nodes(kProblemiAttivi).size();
        withMoreThanFive += problems > 5;
        withNone += document.select_nodes("//DATO_GENERICO").empty();

        const auto text = [&](const char* path) { return QString::fromStdString(value(document, path)); };
        const QString fiscalCode = text(kCodiceFiscale);
        const clinical::FiscalCodePerson person{
            text(kCognome), text(kNomePersona), text(kSesso),
            QDate::fromString(session->leggi_attributo(QStringLiteral("data_nascita")), Qt::ISODate),
            session->tabelle_leggi_attributo_generico_plus(
                QStringLiteral("tabella_comuni"), QStringLiteral("codice_catastale"),
                QStringLiteral("denominazione"), text(kComuneNascita))};
        EXPECT_FALSE(person.codiceCatastale.isEmpty()) << code.toStdString();
        if (!clinical::hasValidCheckCharacter(fiscalCode))
            wrongCodes << code + QStringLiteral(": check character");
        if (const auto parts = clinical::fiscalCodeDisagreements(fiscalCode, person))
            wrongCodes << code + QStringLiteral(": ") + clinical::fiscalCodePartNames(parts);
    }
    EXPECT_GT(withMoreThanFive, 10);
    EXPECT_GT(withNone, 10);
    EXPECT_EQ(wrongCodes.join(QLatin1Char('\n')).toStdString(),
              "1321: check character\n1322: data di nascita");
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(DemoHostExportTest, UnwritablePathOrUnknownExportFails)
{
    ASSERT_TRUE(session->select_single(tc_GenTools::string2hex(QStringLiteral("X1"))));
    EXPECT_FALSE(session->genera_xml(QStringLiteral("publ_dati_essenziali"), QString(),
                                     dir.path() + QStringLiteral("/missing/folder/x.xml")));
    EXPECT_FALSE(session->genera_xml(QStringLiteral("publ_altro"), QString(), exportPath));
    EXPECT_FALSE(session->genera_xml(QStringLiteral("publ_dati_essenziali"), QString(), QString()));
    const QString tooLong =
        dir.path() + QLatin1Char('/') + QString(250, QLatin1Char('A')) + QStringLiteral(".xml");
    EXPECT_FALSE(session->genera_xml(QStringLiteral("publ_dati_essenziali"), QString(), tooLong));
    ASSERT_EQ(messages().size(), 4);
    // The host's own reason follows the operation's label.
    EXPECT_EQ(messages()[3],
              "Tgate_zantopat.genera_xml(): eccezione\r\n\r\n  genera_xml: impossibile scrivere il file \"" +
                  tooLong + "\": nome del file troppo lungo");
    EXPECT_FALSE(QFile::exists(exportPath));
}

} // namespace
} // namespace demohost_test
