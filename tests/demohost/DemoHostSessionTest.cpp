// The demo host driven through the host session, as the login, the patient list and the form flows
// drive it.

#include "DemoHostFixture.h"

#include "host/tc_GenTools.h"

#include <algorithm>
#include <tuple>

namespace demohost_test {
namespace {

struct Row
{
    QString id, cognome, nome, dataNascita;
    bool operator==(const Row&) const = default;
};

QString patientListFilter(const QString& surname, const QString& name)
{
    return QStringLiteral("titolare= ") + tc_GenTools::string2hex(QString::number(kDemoUserId)) +
           QStringLiteral("|iniziali_cognome=") + surname + QStringLiteral("|iniziali_nome=") + name;
}

// The patient list's loop: carica, then per row four reads and a skip.
std::vector<Row> walk(Tzantopat& session, const QString& filter)
{
    const int count = session.carica(filter, QStringLiteral("alfabetico"));
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back({tc_GenTools::string2hex(session.leggi_attributo(QStringLiteral("codice"))),
                        session.leggi_attributo(QStringLiteral("cognome")),
                        session.leggi_attributo(QStringLiteral("nome")),
                        session.leggi_attributo(QStringLiteral("data_nascita"))});
        session.skip();
    }
    return rows;
}

// What the list should hold, computed straight from the file with Qt's own upper-casing.
std::vector<Row> expectedRows(const std::string& file, const QString& surname, const QString& name)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT codice, cognome, nome, coalesce(data_nascita, '') FROM pazienti "
                       "WHERE codice_medico = 42",
                       -1, &st, nullptr);
    std::vector<std::tuple<QString, QString, QString, Row>> keyed;
    const auto column = [&](int i) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
    };
    while (sqlite3_step(st) == SQLITE_ROW) {
        const Row row{tc_GenTools::string2hex(column(0)), column(1), column(2), column(3)};
        if (row.cognome.toUpper().startsWith(surname.trimmed().toUpper()) &&
            row.nome.toUpper().startsWith(name.trimmed().toUpper()))
            keyed.emplace_back(row.cognome.toUpper(), row.nome.toUpper(), column(0), row);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a), std::get<2>(a)) <
               std::tie(std::get<0>(b), std::get<1>(b), std::get<2>(b));
    });
    std::vector<Row> rows;
    for (const auto& k : keyed)
        rows.push_back(std::get<3>(k));
    return rows;
}

TEST_F(DemoHostTest, LoginAcceptsTheSeedUsersAndRefusesOthersWithTheHostsText)
{
    struct Case
    {
        QString user, password;
        bool accepted;
        int patientsUnderS; // what the login's check counts
    } cases[] = {
        {QStringLiteral("demo"), QStringLiteral("demo"), true, 322},
        {QStringLiteral(" DEMO "), QStringLiteral("demo"), true, 322}, // user names ignore case and blanks
        {QStringLiteral("ferri"), QStringLiteral("ferri"), true, 0},   // all under "P"
        {QStringLiteral("galli"), QStringLiteral("galli"), true, 0},   // no patients
        {QStringLiteral("demo"), QStringLiteral("DEMO"), false, 0},
        {QStringLiteral("demo"), QString(), false, 0},
        {QStringLiteral("nessuno"), QStringLiteral("demo"), false, 0},
        {QStringLiteral("demo' OR '1'='1"), QStringLiteral("x' OR '1'='1"), false, 0},
    };
    prepareDatabase();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user.toStdString() + " / " + c.password.toStdString());
        platform.messages.clear();
        Tzantopat& s = open();
        s.s_utente = c.user;
        s.s_password = c.password;
        ASSERT_EQ(s.start(), c.accepted);
        const QString userId = s.leggi_attributo(QStringLiteral("userid_utente"));
        const int count =
            s.carica(QStringLiteral("codice_medico =") + userId + QStringLiteral("|tipo_di_convenzione=S"),
                     QStringLiteral("alfabetico"));
        EXPECT_EQ(count, c.patientsUnderS);
        if (c.accepted) {
            EXPECT_TRUE(messages().isEmpty()) << messages().join(u'\n').toStdString();
        } else {
            // A refused user gets no data: the host raises and the session shows its exception.
            EXPECT_EQ(messages(),
                      QStringList({QStringLiteral("ole_zantopat.start(): errore in connessione\r\n\r\n  "
                                                  "Utente o password non validi"),
                                   QStringLiteral("Tzantopat.leggi_attributo(): eccezione"),
                                   QStringLiteral("Tzantopat.carica(): eccezione")}));
        }
    }
}

TEST_F(DemoHostTest, LoginFilterCountsByDoctorAndAgreementType)
{
    prepareDatabase();
    Tzantopat& s = login();
    EXPECT_EQ(s.leggi_attributo(QStringLiteral("userid_utente")), QStringLiteral("42"));
    const struct
    {
        const char* filter;
        int count;
    } cases[] = {
        {"codice_medico =42|tipo_di_convenzione=S", 322},
        {"codice_medico =42|tipo_di_convenzione=P", 5},
        {"codice_medico =42|tipo_di_convenzione=T", 3},
        {"codice_medico =57|tipo_di_convenzione=P", 24},
        {"codice_medico =57|tipo_di_convenzione=S", 0},
        {"codice_medico =63|tipo_di_convenzione=S", 0},
        {" codice_medico = 42 | tipo_di_convenzione = S |", 322},
        {"codice_medico =42|titolare= 3432", 330},
        {"codice_medico =42|titolare= 3537", 0}, // two different doctors: nobody
    };
    for (const auto& c : cases)
        EXPECT_EQ(s.carica(QString::fromUtf8(c.filter), QStringLiteral("alfabetico")), c.count) << c.filter;
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(DemoHostTest, PatientListMatchesInitialsWithoutRegardToCaseInAlphabeticalOrder)
{
    const QString cases[][2] = {
        {QString(), QString()},
        {QStringLiteral("ro"), QString()},
        {QStringLiteral("RO"), QStringLiteral("m")},
        {QStringLiteral("d'a"), QString()},
        {QStringLiteral("D'ANGELO"), QStringLiteral("maria r")},
        {QStringLiteral("ö"), QString()},
        {QStringLiteral("çel"), QString()},
        {QStringLiteral("álv"), QString()},
        {QStringLiteral("nguyễn"), QStringLiteral("thị")},
        {QStringLiteral("wójcik"), QStringLiteral("łu")},
        {QStringLiteral("be"), QStringLiteral("èl")},
        {QStringLiteral(" ro "), QStringLiteral(" ")},
        {QStringLiteral("%"), QString()},
        {QStringLiteral("_"), QString()},
        {QStringLiteral("'"), QString()},
        {QStringLiteral("😀"), QString()},
        {QStringLiteral("zzz"), QString()},
    };
    prepareDatabase();
    Tzantopat& s = login();
    for (const auto& c : cases) {
        SCOPED_TRACE((c[0] + QStringLiteral(" / ") + c[1]).toStdString());
        const std::vector<Row> rows = walk(s, patientListFilter(c[0], c[1]));
        EXPECT_EQ(rows, expectedRows(databaseFile, c[0], c[1]));
        // After the last skip there is no current row.
        EXPECT_EQ(s.leggi_attributo(QStringLiteral("cognome")), QString());
    }
    EXPECT_TRUE(messages().isEmpty());
    // The cases above are not all empty: the accented and foreign names are there.
    EXPECT_EQ(walk(s, patientListFilter(QStringLiteral("ö"), QString())).size(), 6u);
    EXPECT_EQ(walk(s, patientListFilter(QStringLiteral("D'ANGELO"), QStringLiteral("maria r"))).size(), 1u);
    EXPECT_EQ(walk(s, patientListFilter(QString(), QString())).size(), 330u);
}

TEST_F(DemoHostTest, HexIdsFromTheListSelectTheSamePatient)
{
    prepareDatabase();
    Tzantopat& s = login();
    const std::vector<Row> rows = walk(s, patientListFilter(QStringLiteral("b"), QString()));
    ASSERT_GT(rows.size(), 20u);
    for (const Row& row : rows) {
        QString code;
        ASSERT_TRUE(tc_GenTools::hex2string(row.id, code));
        ASSERT_TRUE(s.select_single(row.id));
        EXPECT_EQ(tc_GenTools::string2hex(s.leggi_attributo(QStringLiteral("codice"))), row.id);
        EXPECT_EQ(s.leggi_attributo(QStringLiteral("codice")), code);
        EXPECT_EQ(s.leggi_attributo(QStringLiteral("cognome")), row.cognome);
        EXPECT_EQ(s.leggi_attributo(QStringLiteral("nome")), row.nome);
        EXPECT_EQ(s.leggi_attributo(QStringLiteral("data_nascita")), row.dataNascita);
    }
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(DemoHostTest, SelectingAnUnknownIdFailsAndLeavesNoPatientCurrent)
{
    prepareDatabase();
    const QString exportPath = dir.path() + QStringLiteral("/export.xml");
    for (const QString& id : {QString(), QStringLiteral("31303031X"), QStringLiteral("313"),
                              QStringLiteral("39393939"), QStringLiteral("C3A9")}) {
        SCOPED_TRACE(id.toStdString());
        platform.messages.clear();
        Tzantopat& s = login();
        ASSERT_TRUE(s.select_single(QStringLiteral("31303031"))); // 1001
        EXPECT_FALSE(s.select_single(id));
        EXPECT_EQ(s.leggi_attributo(QStringLiteral("cognome")), QString());
        EXPECT_EQ(s.leggi_attributo(QStringLiteral("persona\\residenza\\indirizzo\\comune")), QString());
        // No export of the earlier patient under the new request.
        EXPECT_FALSE(s.genera_xml(QStringLiteral("publ_dati_essenziali"), QString(), exportPath));
        EXPECT_FALSE(QFile::exists(exportPath));
        EXPECT_EQ(messages(), QStringList({QStringLiteral("Tzantopat.select_single(): eccezione"),
                                           QStringLiteral("Tgate_zantopat.genera_xml(): eccezione\r\n\r\n  "
                                                          "genera_xml: nessun paziente corrente")}));
    }
}

constexpr const char* kTestPatient = R"sql(
INSERT INTO pazienti (codice, codice_medico, tipo_di_convenzione, cognome, nome, data_nascita, sesso,
                      codice_fiscale, comune_nascita, sigla_provincia_nascita, codice_sanitario, codice_asl)
VALUES ('T-1', 42, 'S', 'DELL''ORTO "ZIZÌ" <&>', 'ANNA 😀 MARIA', NULL, 'F', 'DLLNNM80A41H501X',
        'L''AQUILA', 'AQ', '80380000000000000001', '123');
INSERT INTO attributi_persona (codice_paziente, attributo, valore) VALUES
  ('T-1', 'persona\attributi_persona\cittadinanza', 'ITALIANA'),
  ('T-1', 'persona\residenza\indirizzo\comune', 'FORLÌ'),
  ('T-1', 'persona\residenza\indirizzo\sigla_provincia', 'FC'),
  ('T-1', 'persona\residenza\indirizzo\via_piazza', 'Via Roma (int. 3) | a=b'),
  ('T-1', 'persona\residenza\indirizzo\cap', '47121'),
  ('T-1', 'persona\telefono\numero_telefono', '0543 555010'),
  ('T-1', 'persona\telefono_cellulare', '+39 333 555 0101'),
  ('T-1', 'persona\e-mail', 'anna.dellorto@example.org'),
  ('T-1', 'persona\documento_identita\tipo_documento', 'CARTA D''IDENTITÀ'),
  ('T-1', 'persona\documento_identita\numero_documento', 'CA12345AB'),
  ('T-1', 'persona\documento_identita\rilasciato_da', 'COMUNE DI FORLÌ'),
  ('T-1', 'persona\documento_identita\data_rilascio', '2005-03-07');
INSERT INTO pressione (codice_paziente, data, frequenza_cardiaca, pressione_massima, pressione_minima) VALUES
  ('T-1', '2024-05-01 09:00', 70, 120, 80),
  ('T-1', '2026-01-15 10:30', NULL, 130, 85),
  ('T-1', '2025-11-30 08:15', 66, 125, 82);
)sql";

TEST_F(DemoHostTest, PersonAttributesAnswerByPathAndUnknownOnesAreEmpty)
{
    prepareDatabase(kTestPatient);
    Tzantopat& s = login();
    ASSERT_TRUE(s.select_single(tc_GenTools::string2hex(QStringLiteral("T-1"))));
    const QString cases[][2] = {
        {QStringLiteral("cognome"), QStringLiteral("DELL'ORTO \"ZIZÌ\" <&>")},
        {QStringLiteral("nome"), QStringLiteral("ANNA 😀 MARIA")},
        {QStringLiteral("data_nascita"), QString()},
        {QStringLiteral("persona\\attributi_persona\\cittadinanza"), QStringLiteral("ITALIANA")},
        {QStringLiteral("persona\\residenza\\indirizzo\\comune"), QStringLiteral("FORLÌ")},
        {QStringLiteral("persona\\residenza\\indirizzo\\sigla_provincia"), QStringLiteral("FC")},
        {QStringLiteral("persona\\residenza\\indirizzo\\via_piazza"),
         QStringLiteral("Via Roma (int. 3) | a=b")},
        {QStringLiteral("persona\\residenza\\indirizzo\\cap"), QStringLiteral("47121")},
        {QStringLiteral("persona\\telefono\\numero_telefono"), QStringLiteral("0543 555010")},
        {QStringLiteral("persona\\telefono_cellulare"), QStringLiteral("+39 333 555 0101")},
        {QStringLiteral("persona\\e-mail"), QStringLiteral("anna.dellorto@example.org")},
        {QStringLiteral("persona\\documento_identita\\tipo_documento"), QStringLiteral("CARTA D'IDENTITÀ")},
        {QStringLiteral("persona\\documento_identita\\numero_documento"), QStringLiteral("CA12345AB")},
        {QStringLiteral("persona\\documento_identita\\rilasciato_da"), QStringLiteral("COMUNE DI FORLÌ")},
        {QStringLiteral("persona\\documento_identita\\data_rilascio"), QStringLiteral("2005-03-07")},
        {QStringLiteral("PERSONA\\E-MAIL"), QStringLiteral("anna.dellorto@example.org")},
        {QStringLiteral("persona\\non_esiste"), QString()},
        {QStringLiteral("sconosciuto"), QString()},
        {QStringLiteral("' OR 1=1 --\\x"), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(s.leggi_attributo(c[0]), c[1]) << c[0].toStdString();
    EXPECT_EQ(s.utente_leggi_attributo(QStringLiteral("cognome")), QStringLiteral("MARCHETTI"));
    EXPECT_EQ(s.utente_leggi_attributo(QStringLiteral("nome")), QStringLiteral("LAURA"));
    EXPECT_EQ(s.utente_leggi_attributo(QStringLiteral("sconosciuto")), QString());
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(DemoHostTest, PressureDatasetGivesTheLatestMeasurementFirst)
{
    prepareDatabase(kTestPatient);
    Tzantopat& s = login();
    const QString handle = s.new_object(QStringLiteral("i_hl_dataset"), QStringLiteral("pressione"));
    ASSERT_FALSE(handle.isEmpty());
    const auto read = [&](const char* attribute) {
        return s.call_method_pipe(handle, QStringLiteral("leggi_attributo"), QString::fromUtf8(attribute));
    };
    const QString id = tc_GenTools::string2hex(QStringLiteral("T-1"));
    EXPECT_EQ(
        s.call_method_pipe(handle, QStringLiteral("carica"),
                           QStringLiteral("codice=") + id + QStringLiteral("|ordinamento=ordine_data_desc")),
        QStringLiteral("3"));
    EXPECT_EQ(read("frequenza_cardiaca"), QString()); // not recorded at the latest visit
    EXPECT_EQ(read("pressione_massima"), QStringLiteral("130"));
    EXPECT_EQ(read("pressione_minima"), QStringLiteral("85"));
    s.call_method_pipe(handle, QStringLiteral("skip"), QString());
    EXPECT_EQ(read("frequenza_cardiaca"), QStringLiteral("66"));

    // A second dataset is independent; a patient without measurements has none.
    const QString other = s.new_object(QStringLiteral("i_hl_dataset"), QStringLiteral("pressione"));
    ASSERT_NE(other, handle);
    EXPECT_EQ(s.call_method_pipe(other, QStringLiteral("carica"),
                                 QStringLiteral("codice=") + tc_GenTools::string2hex(QStringLiteral("NONE")) +
                                     QStringLiteral("|ordinamento=ordine_data_desc")),
              QStringLiteral("0"));
    EXPECT_EQ(
        s.call_method_pipe(other, QStringLiteral("leggi_attributo"), QStringLiteral("pressione_massima")),
        QString());
    EXPECT_EQ(read("pressione_massima"), QStringLiteral("125"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'\n').toStdString();

    // Unknown handles and datasets are the host's errors, shown by the session.
    EXPECT_EQ(
        s.call_method_pipe(QStringLiteral("hds_999"), QStringLiteral("carica"), QStringLiteral("codice=31")),
        QString());
    EXPECT_EQ(s.new_object(QStringLiteral("i_hl_dataset"), QStringLiteral("glicemia")), QString());
    ASSERT_EQ(messages().size(), 2);
    EXPECT_EQ(messages()[0],
              QStringLiteral("Tzantopat.call_method_pipe(hds_999, carica, codice=31): eccezione"
                             "call_method_pipe: handle sconosciuto \"hds_999\""));
    EXPECT_EQ(messages()[1], QStringLiteral("Tzantopat.new_object(): eccezione"));
}

TEST_F(DemoHostTest, TownTableGivesCadastralCodesWithoutRegardToCaseOrBlanks)
{
    prepareDatabase();
    Tzantopat& s = login();
    const QString cases[][2] = {
        {QStringLiteral("ROMA"), QStringLiteral("H501")},
        {QStringLiteral("  roma "), QStringLiteral("H501")},
        {QStringLiteral("L'Aquila"), QStringLiteral("A345")},
        {QStringLiteral("forlì"), QStringLiteral("D704")},
        {QStringLiteral("FORLÌ"), QStringLiteral("D704")},
        {QStringLiteral("Reggio Calabria"), QStringLiteral("H224")},
        {QStringLiteral("ROMAX"), QString()},
        {QString(), QString()},
        {QStringLiteral("x'; DROP TABLE tabella_comuni; --"), QString()},
        {QStringLiteral("ROMA"), QStringLiteral("H501")}, // the table is still there
    };
    for (const auto& c : cases)
        EXPECT_EQ(s.tabelle_leggi_attributo_generico_plus(QStringLiteral("tabella_comuni"),
                                                          QStringLiteral("codice_catastale"),
                                                          QStringLiteral("denominazione"), c[0]),
                  c[1])
            << c[0].toStdString();
    EXPECT_EQ(s.tabelle_leggi_attributo_generico_plus(
                  QStringLiteral("tabella_comuni"), QStringLiteral("sigla_provincia"),
                  QStringLiteral("codice_catastale"), QStringLiteral("d704")),
              QStringLiteral("FC"));
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(s.tabelle_leggi_attributo_generico_plus(QStringLiteral("tabella_asl"), QStringLiteral("codice"),
                                                      QStringLiteral("denominazione"),
                                                      QStringLiteral("ROMA")),
              QString());
    EXPECT_EQ(messages(),
              QStringList(QStringLiteral("tc_Zantopat.tabelle_leggi_attributo_generico_plus(): eccezione")));
}

TEST_F(DemoHostTest, EveryTownTheSeedUsesIsInTheTownTable)
{
    prepareDatabase();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(databaseFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "SELECT comune_nascita FROM pazienti WHERE comune_nascita NOT IN "
                                 "(SELECT denominazione FROM tabella_comuni) UNION "
                                 "SELECT valore FROM attributi_persona WHERE attributo = "
                                 "'persona\\residenza\\indirizzo\\comune' AND valore NOT IN "
                                 "(SELECT denominazione FROM tabella_comuni)",
                                 -1, &st, nullptr),
              SQLITE_OK);
    EXPECT_EQ(sqlite3_step(st), SQLITE_DONE) << sqlite3_column_text(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

} // namespace
} // namespace demohost_test
