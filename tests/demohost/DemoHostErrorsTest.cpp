// What the demo host refuses, as a real automation server would: each refusal is an AutomationError
// with a clear message, never a crash.

#include "DemoHostFixture.h"

#include <QDir>
#include <QFile>

#include <filesystem>

namespace demohost_test {
namespace {

using demohost::DemoHost;

host::Arguments texts(std::initializer_list<std::u16string> values)
{
    host::Arguments arguments;
    for (const auto& v : values)
        arguments.emplace_back(v);
    return arguments;
}

std::string errorOf(DemoHost& demoHost, const std::string& method, host::Arguments arguments)
{
    try {
        demoHost.invoke(method, arguments);
    } catch (const host::AutomationError& error) {
        return error.what();
    }
    return "(nessun errore)";
}

// A well-formed call of every data method.
const std::vector<std::pair<std::string, host::Arguments>>& dataCalls()
{
    static const std::vector<std::pair<std::string, host::Arguments>> calls{
        {"carica", texts({u"codice_medico =42|tipo_di_convenzione=S", u"alfabetico"})},
        {"skip", {host::Omitted{}}},
        {"select_single", texts({u"31303031"})},
        {"leggi_attributo", texts({u"userid_utente"})},
        {"utente_leggi_attributo", texts({u"cognome"})},
        {"genera_xml", texts({u"publ_dati_essenziali", u"", u"/tmp/x.xml"})},
        {"new_object", texts({u"i_hl_dataset", u"pressione"})},
        {"call_method_pipe", texts({u"hds_1", u"carica", u"codice=31303031"})},
        {"tabelle_leggi_attributo_generico_plus",
         texts({u"tabella_comuni", u"codice_catastale", u"denominazione", u"ROMA"})},
    };
    return calls;
}

TEST_F(DemoHostTest, DataCallsBeforeALoginAndAfterARefusalOrDisconnectionAreRefused)
{
    prepareDatabase();
    DemoHost demoHost(databaseFile);
    host::Arguments none;
    demoHost.invoke("new", none);
    const auto refuseAll = [&](const char* when) {
        for (const auto& [method, arguments] : dataCalls())
            EXPECT_EQ(errorOf(demoHost, method, arguments),
                      method + ": nessun utente connesso (connetti non riuscito o non chiamato)")
                << method << " " << when;
    };
    refuseAll("before connetti");
    auto wrong = texts({u"demo", u"sbagliata"});
    EXPECT_EQ(std::get<std::u16string>(demoHost.invoke("connetti", wrong)), u"Utente o password non validi");
    refuseAll("after a refusal");
    auto right = texts({u"demo", u"demo"});
    EXPECT_EQ(std::get<std::u16string>(demoHost.invoke("connetti", right)), u"");
    auto omitted = host::Arguments{host::Omitted{}};
    demoHost.invoke("disconnetti", omitted);
    refuseAll("after disconnetti");
    // The session-level methods still answer.
    EXPECT_NO_THROW(demoHost.invoke("get_error", omitted));
}

TEST_F(DemoHostTest, UnknownMethodsAndWrongArgumentCountsAreRefused)
{
    prepareDatabase();
    DemoHost demoHost(databaseFile);
    auto login = texts({u"demo", u"demo"});
    demoHost.invoke("connetti", login);
    EXPECT_EQ(errorOf(demoHost, "carica_tutto", {}), "Metodo sconosciuto: \"carica_tutto\"");
    EXPECT_EQ(errorOf(demoHost, "", {}), "Metodo sconosciuto: \"\"");
    const std::pair<std::string, host::Arguments> wrongCounts[] = {
        {"new", {host::Omitted{}}},
        {"connetti", texts({u"demo"})},
        {"carica", texts({u"codice_medico =42"})},
        {"skip", {host::Omitted{}, host::Omitted{}}},
        {"select_single", {}},
        {"leggi_attributo", texts({u"cognome", u"nome"})},
        {"genera_xml", texts({u"publ_dati_essenziali", u""})},
        {"call_method_pipe", texts({u"hds_1", u"carica"})},
        {"tabelle_leggi_attributo_generico_plus",
         texts({u"tabella_comuni", u"codice_catastale", u"denominazione"})},
        {"get_error", {host::Omitted{}, host::Omitted{}}},
    };
    for (const auto& [method, arguments] : wrongCounts)
        EXPECT_EQ(errorOf(demoHost, method, arguments),
                  method + ": numero di argomenti errato (" + std::to_string(arguments.size()) + ")");
    // An omitted argument where a text is needed, and texts the host cannot take.
    EXPECT_EQ(errorOf(demoHost, "leggi_attributo", {host::Omitted{}}),
              "leggi_attributo: manca l'argomento 1");
    EXPECT_EQ(errorOf(demoHost, "carica", texts({u"codice_medico", u"alfabetico"})),
              "carica: parametro senza \"=\": \"codice_medico\"");
    EXPECT_EQ(errorOf(demoHost, "carica", texts({u"reparto=3", u"alfabetico"})),
              "carica: filtro sconosciuto \"reparto\"");
    EXPECT_EQ(errorOf(demoHost, "carica", texts({u"titolare= 34ZZ", u"alfabetico"})),
              "carica: valore non valido per titolare: \"\"");
    EXPECT_EQ(errorOf(demoHost, "carica", texts({u"codice_medico =42", u"casuale"})),
              "carica: ordinamento sconosciuto \"casuale\"");
    // Method names are looked up without regard to case, as automation does.
    auto omitted = host::Arguments{host::Omitted{}};
    EXPECT_NO_THROW(demoHost.invoke("GET_ERROR", omitted));
}

TEST_F(DemoHostTest, AfterFreeEveryCallIsRefused)
{
    prepareDatabase();
    DemoHost demoHost(databaseFile);
    auto login = texts({u"demo", u"demo"});
    demoHost.invoke("connetti", login);
    auto omitted = host::Arguments{host::Omitted{}};
    demoHost.invoke("Destroy", omitted);
    demoHost.invoke("Free", omitted);
    for (const auto& [method, arguments] : dataCalls())
        EXPECT_EQ(errorOf(demoHost, method, arguments),
                  method + ": l'oggetto Korvalis.Server è già stato liberato (Free)");
    for (const char* method : {"get_error", "disconnetti", "Destroy", "Free"})
        EXPECT_NE(errorOf(demoHost, method, {host::Omitted{}}), "(nessun errore)") << method;
    EXPECT_NE(errorOf(demoHost, "new", {}), "(nessun errore)");
    EXPECT_NE(errorOf(demoHost, "connetti", texts({u"demo", u"demo"})), "(nessun errore)");
}

TEST_F(DemoHostTest, SessionStopAndStartRunCleanlyOnTheDemoHost)
{
    prepareDatabase();
    Tzantopat& s = login();
    EXPECT_TRUE(s.is_on());
    s.stop();
    EXPECT_FALSE(s.is_on());
    EXPECT_EQ(s.carica(QStringLiteral("codice_medico =42"), QStringLiteral("alfabetico")), 0);
    // The town lookup reconnects by itself with the stored user.
    EXPECT_EQ(s.tabelle_leggi_attributo_generico_plus(
                  QStringLiteral("tabella_comuni"), QStringLiteral("codice_catastale"),
                  QStringLiteral("denominazione"), QStringLiteral("Bari")),
              QStringLiteral("A662"));
    s.stop();
    s.stop();
    EXPECT_TRUE(messages().isEmpty());
}

class DemoHostFileTest : public DemoHostTest
{
protected:
    void expectRefused(const std::string& file, const std::string& expectedStart)
    {
        for (int via = 0; via < 2; ++via) {
            try {
                if (via == 0)
                    DemoHost demoHost(file);
                else
                    DemoHost::ensureDatabase(file);
                ADD_FAILURE() << "accepted " << file;
            } catch (const host::AutomationError& error) {
                const std::string message = error.what();
                EXPECT_EQ(message.rfind(expectedStart, 0), 0u) << message;
                EXPECT_NE(message.find("\"" + file + "\""), std::string::npos) << message;
            }
        }
        // Through the session: the start fails with its own message and the reason, nothing crashes.
        platform.messages.clear();
        Tzantopat s(platform, demohost::automationFactory(file));
        s.s_utente = s.s_password = kDemoUser;
        EXPECT_FALSE(s.start());
        ASSERT_EQ(messages().size(), 1);
        EXPECT_TRUE(messages()[0].startsWith(QStringLiteral("ole_zantopat.start(): eccezione\r\n\r\n  ") +
                                             QString::fromStdString(expectedStart)))
            << messages()[0].toStdString();
    }
};

TEST_F(DemoHostFileTest, FilesThatAreNotDemoHostDatabasesAreRefusedNamingTheFile)
{
    const std::string base = dir.path().toStdString();
    const std::string textFile = base + "/testo.sqlite";
    QFile text(QString::fromStdString(textFile));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Questo non è un database, ma un file di testo piuttosto lungo.\n"
               "Questo non è un database, ma un file di testo piuttosto lungo.\n");
    text.close();
    expectRefused(textFile, "Il file \"" + textFile + "\" non è un database del demo host: ");

    const std::string otherSchema = base + "/altro.sqlite";
    runSql(otherSchema,
           "CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome TEXT); INSERT INTO clienti VALUES (1, 'x');");
    expectRefused(otherSchema, "Il file \"" + otherSchema + "\" non è un database del demo host: ");

    // The right marker but a table missing: found when the queries are prepared.
    const std::string partial = base + "/parziale.sqlite";
    runSql(partial, "CREATE TABLE demohost_info (chiave TEXT PRIMARY KEY, valore TEXT NOT NULL);"
                    "INSERT INTO demohost_info VALUES ('formato', 'invciv-demohost');");
    expectRefused(partial, "Il file \"" + partial + "\" non è un database del demo host: ");

    const std::string folder = base + "/cartella";
    QDir().mkpath(QString::fromStdString(folder));
    expectRefused(folder, "Il database del demo host \"" + folder + "\" non si può aprire: ");

    // None of them was changed or replaced by a seed.
    EXPECT_EQ(QFile(QString::fromStdString(textFile)).size(), text.size());
}

TEST_F(DemoHostFileTest, FileLockedByAnotherProgramIsBusyNotBrokenAndStaysAsItWas)
{
    prepareDatabase();
    const auto contents = [this] {
        QFile file(QString::fromStdString(databaseFile));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(databaseFile.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        DemoHost::ensureDatabase(databaseFile);
        ADD_FAILURE() << "opened a file another connection holds locked";
    } catch (const host::AutomationError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Il file del demo host \"" + databaseFile + "\" è in uso da un altro programma: riprovare");
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    EXPECT_EQ(contents(), before);
    // Trying again, as the message says, works once the other program lets go.
    EXPECT_NO_THROW(DemoHost::ensureDatabase(databaseFile));
}

TEST_F(DemoHostFileTest, MissingFileIsCreatedWholeFromTheSeed)
{
    const std::string file = dir.path().toStdString() + "/nuova cartella/dàti demo.sqlite";
    DemoHost::ensureDatabase(file);
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(file)));
    // Only the database itself: the temporary file it was built in is gone.
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/nuova cartella")).entryList(QDir::Files | QDir::Hidden),
              QStringList(QStringLiteral("dàti demo.sqlite")));
    databaseFile = file;
    Tzantopat& s = login();
    EXPECT_EQ(
        s.carica(QStringLiteral("codice_medico =42|tipo_di_convenzione=S"), QStringLiteral("alfabetico")),
        322);

    // A folder that cannot be made gives a clear error, not a half-made file.
    const std::string blocked = dir.path().toStdString() + "/testo.txt/demo.sqlite";
    QFile(QString::fromStdString(dir.path().toStdString() + "/testo.txt")).open(QIODevice::WriteOnly);
    try {
        DemoHost::ensureDatabase(blocked);
        ADD_FAILURE();
    } catch (const host::AutomationError& error) {
        EXPECT_EQ(std::string(error.what())
                      .rfind("Il database del demo host \"" + blocked + "\" non si può creare: ", 0),
                  0u)
            << error.what();
    }
}

} // namespace
} // namespace demohost_test
