#include "host/Tzantopat.h"

#include "RecordingAutomation.h"
#include "RecordingPlatform.h"

#include <gtest/gtest.h>

#include <functional>

using testing_support::AutomationLog;
using testing_support::RecordingPlatform;

namespace {

const QString kOmitted = QStringLiteral("<omitted>");

class TzantopatTest : public ::testing::Test
{
protected:
    TzantopatTest()
    {
        log->handler = [this](const std::string& method, host::Arguments&) -> host::Result {
            if (method == "connetti")
                return refusal;
            if (method == "carica")
                return std::int32_t{3};
            if (method == "call_method_pipe")
                return pipeAnswer;
            if (method == "leggi_attributo" || method == "utente_leggi_attributo" || method == "new_object" ||
                method == "tabelle_leggi_attributo_generico_plus")
                return std::u16string(u"valore");
            return std::monostate{};
        };
        session.s_utente = QStringLiteral("demo");
        session.s_password = QStringLiteral("pw 'x'|=");
    }

    QStringList calls() const { return log->texts(); }
    void startConnected()
    {
        ASSERT_TRUE(session.start());
        log->calls.clear();
    }

    std::shared_ptr<AutomationLog> log = std::make_shared<AutomationLog>();
    RecordingPlatform platform;
    Tzantopat session{platform, testing_support::recordingFactory(log)};
    std::u16string refusal;
    std::u16string pipeAnswer = u"12";
};

TEST_F(TzantopatTest, BeforeStartEveryGuardedOperationFailsSilently)
{
    EXPECT_EQ(session.carica(QStringLiteral("f"), QStringLiteral("o")), 0);
    EXPECT_EQ(session.leggi_attributo(QStringLiteral("cognome")), QString());
    EXPECT_FALSE(session.select_single(QStringLiteral("41")));
    EXPECT_FALSE(session.skip());
    EXPECT_EQ(session.call_method_pipe(QStringLiteral("h"), QStringLiteral("carica"), QStringLiteral("p")), QString());
    EXPECT_FALSE(session.is_on());
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_TRUE(calls().isEmpty());
}

TEST_F(TzantopatTest, GeneraXmlHasNoGuardAndReportsItsFailure)
{
    EXPECT_FALSE(session.genera_xml(QStringLiteral("publ_dati_essenziali"), QString(), QStringLiteral("/x")));
    EXPECT_EQ(platform.messageTexts(), QStringList{QStringLiteral("Tgate_zantopat.genera_xml(): eccezione\r\n\r\n  "
                                                                  "Oggetto di automazione non assegnato")});
}

TEST_F(TzantopatTest, StartCreatesConnectsWithTheStoredCredentials)
{
    EXPECT_TRUE(session.start());
    EXPECT_TRUE(session.b_connesso());
    EXPECT_EQ(calls(), (QStringList{QStringLiteral("new()"), QStringLiteral("connetti(demo, pw 'x'|=)")}));
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(TzantopatTest, StartShowsTheHostsRefusal)
{
    refusal = u"Utente o password non validi";
    EXPECT_FALSE(session.start());
    EXPECT_FALSE(session.b_connesso());
    EXPECT_TRUE(session.hasServer()); // started and refused
    EXPECT_EQ(platform.messageTexts(),
              QStringList{QStringLiteral("ole_zantopat.start(): errore in connessione\r\n\r\n  Utente o password non validi")});
}

TEST_F(TzantopatTest, StartFailuresShowTheExceptionMessageWithItsReason)
{
    log->creationFailure = "Classe non registrata (0x80040154)";
    EXPECT_FALSE(session.start());
    log->creationFailure.reset();
    log->failures["new"] = "boom";
    EXPECT_FALSE(session.start());
    log->failures = {{"connetti", "rete assente"}};
    EXPECT_FALSE(session.start());
    const QString message = QStringLiteral("ole_zantopat.start(): eccezione\r\n\r\n  ");
    EXPECT_EQ(platform.messageTexts(),
              (QStringList{message + QStringLiteral("Classe non registrata (0x80040154)"),
                           message + QStringLiteral("boom"), message + QStringLiteral("rete assente")}));
}

TEST_F(TzantopatTest, ASecondStartReleasesTheFirstObjectWithoutCallingIt)
{
    ASSERT_TRUE(session.start());
    ASSERT_TRUE(session.start());
    session.stop();
    for (const auto& call : log->calls) {
        if (call.object == 1) {
            EXPECT_TRUE(call.method == "new" || call.method == "connetti") << call.method;
        }
    }
    EXPECT_EQ(log->created, 2);
}

TEST_F(TzantopatTest, StopDisconnectsDestroysFreesOnceOnly)
{
    startConnected();
    session.stop();
    EXPECT_EQ(calls(), (QStringList{QStringLiteral("disconnetti(<omitted>)"), QStringLiteral("Destroy(<omitted>)"),
                                    QStringLiteral("Free(<omitted>)")}));
    EXPECT_FALSE(session.b_connesso());
    EXPECT_FALSE(session.hasServer());
    session.stop();
    EXPECT_EQ(calls().size(), 3);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(TzantopatTest, StopAfterARefusalSkipsDisconnetti)
{
    refusal = u"no";
    session.start();
    log->calls.clear();
    session.stop();
    EXPECT_EQ(calls(), (QStringList{QStringLiteral("Destroy(<omitted>)"), QStringLiteral("Free(<omitted>)")}));
}

TEST_F(TzantopatTest, AFailingStepEndsStopSilently)
{
    startConnected();
    log->failures["disconnetti"] = "gone";
    session.stop();
    EXPECT_EQ(calls(), QStringList{QStringLiteral("disconnetti(<omitted>)")});
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(TzantopatTest, DestructorStops)
{
    auto sharedLog = std::make_shared<AutomationLog>();
    {
        Tzantopat scoped(platform, testing_support::recordingFactory(sharedLog));
        ASSERT_TRUE(scoped.start());
    }
    EXPECT_EQ(sharedLog->texts().mid(2), (QStringList{QStringLiteral("disconnetti(<omitted>)"),
                                                      QStringLiteral("Destroy(<omitted>)"), QStringLiteral("Free(<omitted>)")}));
}

struct Operation
{
    const char* name;
    std::function<QString(Tzantopat&)> run; // the result as text
    const char* expectedCall;               // after get_error(<omitted>)
    const char* label;
    const char* failureResult;
};

TEST_F(TzantopatTest, GuardedOperationsSendExactCallsAndReportFailuresByLabel)
{
    const std::vector<Operation> operations = {
        {"select_single", [](Tzantopat& s) { return QString::number(s.select_single(QStringLiteral("41424331"))); },
         "select_single(41424331)", "Tzantopat.select_single()", "0"},
        {"carica",
         [](Tzantopat& s) {
             return QString::number(s.carica(QStringLiteral("codice_medico =42|tipo_di_convenzione=S"),
                                             QStringLiteral("alfabetico")));
         },
         "carica(codice_medico =42|tipo_di_convenzione=S, alfabetico)", "Tzantopat.carica()", "0"},
        {"skip", [](Tzantopat& s) { return QString::number(s.skip()); }, "skip(<omitted>)", "Tzantopat.skip()", "0"},
        {"leggi_attributo", [](Tzantopat& s) { return s.leggi_attributo(QStringLiteral("persona\\e-mail")); },
         "leggi_attributo(persona\\e-mail)", "Tzantopat.leggi_attributo()", ""},
        {"utente_leggi_attributo", [](Tzantopat& s) { return s.utente_leggi_attributo(QStringLiteral("cognome")); },
         "utente_leggi_attributo(cognome)", "Tzantopat.utente_leggi_attributo()", ""},
        {"new_object",
         [](Tzantopat& s) { return s.new_object(QStringLiteral("i_hl_dataset"), QStringLiteral("pressione")); },
         "new_object(i_hl_dataset, pressione)", "Tzantopat.new_object()", ""},
    };
    const QStringList successResults = {"1", "3", "1", "valore", "valore", "valore"};
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const Operation& op = operations[i];
        SCOPED_TRACE(op.name);
        startConnected();
        platform.messages.clear();
        EXPECT_EQ(op.run(session), successResults[static_cast<int>(i)]);
        EXPECT_EQ(calls(), (QStringList{QStringLiteral("get_error(<omitted>)"), QString::fromUtf8(op.expectedCall)}));

        log->failures[op.name] = "errore del server";
        EXPECT_EQ(op.run(session), QString::fromUtf8(op.failureResult));
        EXPECT_EQ(platform.messageTexts(), QStringList{QString::fromUtf8(op.label) + QStringLiteral(": eccezione")});
        // The support log keeps the host's reason that the message leaves out.
        EXPECT_EQ(platform.logged.value(platform.logged.size() - 1),
                  QStringLiteral("errore dell'host: ") + QString::fromUtf8(op.label) +
                      QStringLiteral(" - errore del server"));
        log->failures.clear();
    }
}

TEST_F(TzantopatTest, CaricaFailsWhenTheCountIsNotAnInteger)
{
    startConnected();
    log->handler = [](const std::string&, host::Arguments&) -> host::Result { return std::u16string(u"tanti"); };
    EXPECT_EQ(session.carica(QStringLiteral("f"), QStringLiteral("alfabetico")), 0);
    EXPECT_EQ(platform.messageTexts(), QStringList{QStringLiteral("Tzantopat.carica(): eccezione")});
}

TEST_F(TzantopatTest, CallMethodPipeChecksRowCountsButReturnsThemAsTheyCame)
{
    const QString warning = QStringLiteral(
        "Tzantopat.call_method_pipe(H1, carica, codice=41|ordinamento=ordine_data_desc): eccezione: \r\n"
        "s_handle = H1\r\ns_metodo = carica\r\ns_lista_parametri = codice=41|ordinamento=ordine_data_desc");
    struct Case
    {
        std::u16string answer;
        const char* method;
        bool warns;
    };
    const Case cases[] = {{u"12", "carica", false},       {u"-3", "carica", false},
                          {u"", "carica", false},         {u"12 righe", "carica", true},
                          {u"dodici", "rowcount", true},  {u"12 righe", "Carica", false},
                          {u"12 righe", "leggi_attributo", false}};
    startConnected();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        platform.messages.clear();
        pipeAnswer = c.answer;
        const QString method = QString::fromUtf8(c.method);
        const QString result = session.call_method_pipe(QStringLiteral("H1"), method,
                                                        QStringLiteral("codice=41|ordinamento=ordine_data_desc"));
        EXPECT_EQ(result, QString::fromStdU16String(c.answer));
        if (c.warns) {
            QString expected = warning;
            expected.replace(QStringLiteral("carica"), method);
            EXPECT_EQ(platform.messageTexts(), QStringList{expected});
        } else {
            EXPECT_TRUE(platform.messages.isEmpty());
        }
    }
}

TEST_F(TzantopatTest, CallMethodPipeFailureAppendsTheErrorText)
{
    startConnected();
    log->failures["call_method_pipe"] = "handle sconosciuto";
    EXPECT_EQ(session.call_method_pipe(QStringLiteral("H9"), QStringLiteral("carica"), QStringLiteral("x=1")),
              QString());
    EXPECT_EQ(platform.messageTexts(),
              QStringList{QStringLiteral("Tzantopat.call_method_pipe(H9, carica, x=1): eccezionehandle sconosciuto")});
    // The log names neither the parameters (a patient's id) nor what the host's message quotes.
    log->failures["call_method_pipe"] = "parametro non valido \"codice=31303432\" per \"ROSSI";
    session.call_method_pipe(QStringLiteral("H9"), QStringLiteral("carica"), QStringLiteral("codice=31303432"));
    EXPECT_EQ(platform.logged.mid(platform.logged.size() - 2),
              (QStringList{QStringLiteral("errore dell'host: Tzantopat.call_method_pipe(carica) - handle sconosciuto"),
                           QStringLiteral("errore dell'host: Tzantopat.call_method_pipe(carica) - parametro non "
                                          "valido \"…\" per \"…")}));
}

TEST_F(TzantopatTest, TownLookupReconnectsWhenTheHostHasGone)
{
    startConnected();
    log->failures["get_error"] = "server disconnesso";
    EXPECT_EQ(session.tabelle_leggi_attributo_generico_plus(QStringLiteral("tabella_comuni"),
                                                            QStringLiteral("codice_catastale"),
                                                            QStringLiteral("denominazione"), QStringLiteral("ROMA")),
              QStringLiteral("valore"));
    EXPECT_EQ(calls(), (QStringList{QStringLiteral("get_error(<omitted>)"), QStringLiteral("new()"),
                                    QStringLiteral("connetti(demo, pw 'x'|=)"),
                                    QStringLiteral("tabelle_leggi_attributo_generico_plus(tabella_comuni, "
                                                   "codice_catastale, denominazione, ROMA)")}));
    EXPECT_EQ(log->calls.back().object, 2);
    EXPECT_TRUE(platform.messages.isEmpty());

    // When the new start fails too, the lookup gives nothing after start's own message.
    log->failures["connetti"] = "rete assente";
    EXPECT_EQ(session.tabelle_leggi_attributo_generico_plus(QStringLiteral("tabella_comuni"),
                                                            QStringLiteral("codice_catastale"),
                                                            QStringLiteral("denominazione"), QStringLiteral("ROMA")),
              QString());
    EXPECT_EQ(platform.messageTexts(),
              QStringList{QStringLiteral("ole_zantopat.start(): eccezione\r\n\r\n  rete assente")});
}

TEST_F(TzantopatTest, TownLookupFailureHasItsOwnLabel)
{
    startConnected();
    log->failures["tabelle_leggi_attributo_generico_plus"] = "x";
    EXPECT_EQ(session.tabelle_leggi_attributo_generico_plus(QStringLiteral("tabella_comuni"), QStringLiteral("a"),
                                                            QStringLiteral("b"), QStringLiteral("c")),
              QString());
    EXPECT_EQ(platform.messageTexts(),
              QStringList{QStringLiteral("tc_Zantopat.tabelle_leggi_attributo_generico_plus(): eccezione")});
}

} // namespace

namespace {

// A busy or closed host is named, with what to do, by the operation that met it, whether the call itself
// or the guard before it failed; a closed one is let go and the session stays lost, every later call
// silent, until the next action logs in again.
TEST_F(TzantopatTest, ABusyOrClosedHostIsNamedByTheOperationThatMetItAndAClosedOneIsLoggedInToAgain)
{
    const struct
    {
        const char* failing;
        host::HostFault fault;
        const char* advice;
    } cases[] = {
        {"leggi_attributo", host::HostFault::Busy, "Chiudere la finestra"},
        {"get_error", host::HostFault::Busy, "Chiudere la finestra"},
        {"leggi_attributo", host::HostFault::Gone, "Riaprire il programma"},
        {"get_error", host::HostFault::Gone, "Riaprire il programma"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.failing) + (c.fault == host::HostFault::Gone ? " gone" : " busy"));
        startConnected();
        platform.messages.clear();
        log->failures = {{c.failing, "chiamata non riuscita"}};
        log->failureFaults = {{c.failing, c.fault}};
        EXPECT_EQ(session.leggi_attributo(QStringLiteral("cognome")), QString());
        const QStringList shown = platform.messageTexts();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].startsWith(QStringLiteral(
            "Tzantopat.leggi_attributo(): eccezione\r\n\r\n  chiamata non riuscita\r\n\r\n  ")))
            << shown[0].toStdString();
        EXPECT_TRUE(shown[0].contains(QString::fromUtf8(c.advice))) << shown[0].toStdString();
        const bool gone = c.fault == host::HostFault::Gone;
        EXPECT_EQ(session.lost(), gone);
        EXPECT_EQ(session.hasServer(), !gone);
        log->failures.clear();
        EXPECT_EQ(session.leggi_attributo(QStringLiteral("cognome")).isEmpty(), gone);
        EXPECT_EQ(platform.messages.size(), 1);
    }

    // The next action: without a way to log in again it does not start; with one it does, after the login.
    EXPECT_FALSE(session.readyForAction());
    int logins = 0;
    session.relogin = [&] { return ++logins, session.start(); };
    EXPECT_TRUE(session.readyForAction());
    EXPECT_TRUE(session.readyForAction()); // once back, no login more
    EXPECT_EQ(logins, 1);
    EXPECT_FALSE(session.lost());
    EXPECT_EQ(session.leggi_attributo(QStringLiteral("cognome")), QStringLiteral("valore"));
}

TEST_F(TzantopatTest, OddTextsFromTheHostAreConvertedOrRefusedWithTheOperationsMessage)
{
    const struct
    {
        host::Result answer;
        QString text;
        bool refused;
    } cases[] = {
        {std::int32_t{4242}, QStringLiteral("4242"), false},
        {std::monostate{}, QString(), false},
        {std::u16string(u"RO\0SSI", 6), QString(), true},
        {std::u16string(Tzantopat::kMaxHostText, u'X'), QString(Tzantopat::kMaxHostText, QLatin1Char('X')), false},
        {std::u16string(2 * 1024 * 1024, u'X'), QString(), true},
    };
    startConnected();
    for (const auto& c : cases) {
        platform.messages.clear();
        log->handler = [answer = c.answer](const std::string&, host::Arguments&) { return answer; };
        EXPECT_EQ(session.leggi_attributo(QStringLiteral("cognome")), c.text);
        EXPECT_EQ(platform.messageTexts(),
                  c.refused ? QStringList{QStringLiteral("Tzantopat.leggi_attributo(): eccezione")} : QStringList{});
    }
}

} // namespace
