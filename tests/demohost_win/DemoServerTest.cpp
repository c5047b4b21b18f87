// The demo host's COM server as the program meets it: registered per user by its own DllRegisterServer,
// created by ProgID and called through IDispatch by the program's COM backend (host::createComObject). Every
// call of the program's sessions must answer exactly as the demo host in process over the same file (texts,
// integers and failures alike), and its export must be the same bytes.

#include "demohost/DemoHost.h"
#include "demohost/com/DemoServerIds.h"
#include "demohost/com/ServerRegistration.h"
#include "host/win/BusyHost.h"
#include "host/win/ComAutomation.h"
#include "host/win/ComValues.h"
#include "platform/win/MachineRegistry.h"
#include "tests/host_win/WinTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <olectl.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using host::Arguments;
using host::AutomationObject;
using host::Omitted;

namespace {

namespace fs = std::filesystem;
using demohost::com::kClsidKey;
using demohost::com::kProgIdKey;
using host_win_test::writeRegistryString;
using platform::win::kProgramView;
using platform::win::RegistryRoot;
using platform::win::RegistryView;

constexpr RegistryView kOtherView = kProgramView == RegistryView::Bits64 ? RegistryView::Bits32 : RegistryView::Bits64;
const std::wstring kForeignClsidKey = L"Software\\Classes\\CLSID\\{5C0F1D2E-3B4A-4C5D-8E9F-0A1B2C3D4E5F}";
const std::wstring kForeignServer = L"C:\\Programmi\\Korvalis\\KServer.exe";

// The server DLL beside the tests, loaded once; CoCreateInstance finds the same module by its path.
HRESULT callServer(const char* entry)
{
    static const HMODULE module = LoadLibraryW(host_win_test::besideTests(INVCIV_DEMO_SERVER_DLL).c_str());
    const FARPROC proc = module ? GetProcAddress(module, entry) : nullptr;
    return proc ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void (*)()>(proc))() : E_FAIL;
}

using demohost::com::ServerKind;

// The program of its own to register: INVCIV_TEST_LOCAL_SERVER names another build's (the other
// bitness), else the one beside the tests.
std::wstring localServer()
{
    wchar_t named[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"INVCIV_TEST_LOCAL_SERVER", named, MAX_PATH) > 0)
        return named;
    return host_win_test::besideTests(INVCIV_DEMO_HOST_EXE);
}

// The local server run with an option, as a person runs it; its exit status, or -1 when it did not run.
long runLocalServer(const wchar_t* option)
{
    return host_win_test::runProgram(localServer(), std::wstring(option) + L" /s");
}

HRESULT registerAs(ServerKind kind)
{
    if (kind == ServerKind::InProcess)
        return callServer("DllRegisterServer");
    return runLocalServer(L"/regserver") == 0 ? S_OK : SELFREG_E_CLASS;
}

HRESULT unregisterAs(ServerKind kind)
{
    if (kind == ServerKind::InProcess)
        return callServer("DllUnregisterServer");
    return runLocalServer(L"/unregserver") == 0 ? S_OK : E_FAIL;
}

const char* kindName(ServerKind kind)
{
    return kind == ServerKind::InProcess ? "InProcess" : "LocalServer";
}

// What a failed DllRegisterServer left as the thread's error information.
std::string errorDescription()
{
    IErrorInfo* info = nullptr;
    host::win::Bstr description;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        info->GetDescription(description.slot());
        info->Release();
    }
    return host::toUtf8(description.text());
}

struct Place
{
    RegistryRoot root;
    RegistryView view;

    HKEY key() const { return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
    REGSAM flag() const { return view == RegistryView::Bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }
    std::optional<std::wstring> read(const std::wstring& key, const wchar_t* name = nullptr) const
    {
        return platform::win::readRegistryString(root, key, name, view);
    }
};

// Another "Korvalis.Server", as the host's installer would register it; false where the test may not.
bool registerForeign(const Place& place)
{
    const std::wstring clsid = kForeignClsidKey.substr(kForeignClsidKey.rfind(L'\\') + 1);
    return writeRegistryString(place.key(), std::wstring(kProgIdKey) + L"\\CLSID", nullptr, clsid, place.flag()) &&
           writeRegistryString(place.key(), kForeignClsidKey + L"\\LocalServer32", nullptr, kForeignServer,
                               place.flag());
}

void removeForeign(const Place& place)
{
    HKEY classes = nullptr;
    if (RegOpenKeyExW(place.key(), L"Software\\Classes", 0, KEY_ALL_ACCESS | place.flag(), &classes) == 0) {
        for (const std::wstring& key : {std::wstring(kProgIdKey), kForeignClsidKey})
            RegDeleteTreeW(classes, key.substr(std::wstring(L"Software\\Classes\\").size()).c_str());
        RegCloseKey(classes);
    }
}

void mirrorRegistration(bool present)
{
    host_win_test::mirrorClassesUnderWine({kProgIdKey, kClsidKey}, present);
}

std::u16string hex(const std::u16string& text)
{
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string out;
    for (const char16_t c : text)
        out += {digits[(c >> 4) & 15], digits[c & 15]};
    return out;
}

// An answer as text with its kind, or the failure's message.
std::string describe(AutomationObject& object, const std::string& method, Arguments arguments)
{
    try {
        const host::Result result = object.invoke(method, arguments);
        static constexpr const char* kinds[] = {"empty", "text", "integer", "floating", "boolean"};
        return std::string(kinds[result.index()]) + " \"" + host::toUtf8(host::resultToText(result)) + "\"";
    } catch (const host::AutomationError& error) {
        return std::string("error: ") + error.what();
    }
}

std::string fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The program's calls made on the server through COM and on the demo host in process.
struct Twins
{
    std::unique_ptr<AutomationObject> viaCom;
    std::unique_ptr<AutomationObject> inProcess;

    // Both must answer alike, kind of value included; gives what the server answered.
    std::string call(const std::string& method, const Arguments& arguments = {})
    {
        const std::string answer = describe(*viaCom, method, arguments);
        EXPECT_EQ(answer, describe(*inProcess, method, arguments)) << method;
        return answer;
    }
    // The answer's text: "" for a failure.
    std::u16string text(const std::string& method, const Arguments& arguments)
    {
        const std::string answer = call(method, arguments);
        const auto quote = answer.find('"');
        return answer.rfind("error: ", 0) == 0 ? std::u16string()
                                               : host::fromUtf8(answer.substr(quote + 1, answer.size() - quote - 2));
    }
    int number(const std::string& method, const Arguments& arguments)
    {
        const std::u16string answer = text(method, arguments);
        return answer.empty() ? -1 : std::stoi(host::toUtf8(answer));
    }
};

// A session with one of the servers registered.
class ServerSession : public testing::Test
{
protected:
    virtual ServerKind kind() const = 0;

    static inline fs::path folder;

    static void SetUpTestSuite()
    {
        folder = fs::temp_directory_path() / ("invciv-demo-server-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(folder);
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    static fs::path database() { return folder / L"demo host \u00e8.sqlite"; }
    // The file both the server and the twin in process open: named to the DLL by the environment, to
    // the program of its own by the per-user value (it keeps the environment it was started with).
    void useDatabase(const fs::path& file) const
    {
        if (kind() == ServerKind::InProcess)
            SetEnvironmentVariableW(L"INVCIV_DEMO_HOST", file.empty() ? nullptr : file.c_str());
        writeRegistryString(HKEY_CURRENT_USER, kProgIdKey, demohost::com::kDatabaseValue, file.wstring());
    }
    void SetUp() override
    {
        ASSERT_EQ(registerAs(kind()), S_OK) << errorDescription();
        mirrorRegistration(true);
        useDatabase(database());
    }
    void TearDown() override
    {
        unregisterAs(kind());
        mirrorRegistration(false);
        SetEnvironmentVariableW(L"INVCIV_DEMO_HOST", nullptr);
    }

    static std::string createAndCall(const std::string& method)
    {
        return describe(*host::createComObject(u"Korvalis.Server"), method, {});
    }
    static Twins twins()
    {
        const auto u8 = database().u8string();
        return {host::createComObject(u"Korvalis.Server"),
                std::make_unique<demohost::DemoHost>(std::string(u8.begin(), u8.end()))};
    }
    static Twins loggedIn()
    {
        Twins t = twins();
        t.call("new");
        EXPECT_EQ(t.call("connetti", {u"demo", u"demo"}), "text \"\"");
        return t;
    }
};

// Each session test runs against both servers, the DLL and the program of its own.
class DemoServerSession : public ServerSession, public testing::WithParamInterface<ServerKind>
{
protected:
    ServerKind kind() const override { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Servers, DemoServerSession, testing::Values(ServerKind::InProcess, ServerKind::LocalServer),
                         [](const testing::TestParamInfo<ServerKind>& info) { return kindName(info.param); });

} // namespace

TEST(DemoServerRegistration, EachServerRegistersPerUserInPlaceOfTheOtherAndRefusesBesideAnotherKorvalisServer)
{
    const Place user{RegistryRoot::CurrentUser, kProgramView};
    const std::wstring inproc = std::wstring(kClsidKey) + L"\\InprocServer32";
    const std::wstring local = std::wstring(kClsidKey) + L"\\LocalServer32";
    const struct
    {
        ServerKind kind;
        std::wstring key, value, otherKey;
    } cases[] = {
        {ServerKind::InProcess, inproc, host_win_test::besideTests(INVCIV_DEMO_SERVER_DLL), local},
        {ServerKind::LocalServer, local, L"\"" + localServer() + L"\"", inproc},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(kindName(c.kind));
        // The other server first: this one takes its place.
        ASSERT_EQ(registerAs(c.kind == ServerKind::InProcess ? ServerKind::LocalServer : ServerKind::InProcess), S_OK);
        ASSERT_EQ(registerAs(c.kind), S_OK) << errorDescription();
        EXPECT_EQ(registerAs(c.kind), S_OK); // again, over its own registration
        EXPECT_EQ(user.read(std::wstring(kProgIdKey) + L"\\CLSID"), demohost::com::kClsid);
        EXPECT_EQ(user.read(c.key), c.value);
        EXPECT_FALSE(user.read(c.otherKey));
        if (c.kind == ServerKind::InProcess) {
            EXPECT_EQ(user.read(inproc, L"ThreadingModel"), L"Apartment");
        } else if (host_win_test::twoRegistryViews()) { // a program of either bitness starts it
            EXPECT_EQ((Place{RegistryRoot::CurrentUser, kOtherView}.read(c.key)), c.value);
        }
        EXPECT_EQ(unregisterAs(c.kind), S_OK);
        EXPECT_FALSE(user.read(std::wstring(kProgIdKey) + L"\\CLSID") || user.read(kClsidKey));

        for (const Place& place : {user, Place{RegistryRoot::LocalMachine, kProgramView},
                                   Place{RegistryRoot::LocalMachine, kOtherView}}) {
            SCOPED_TRACE(std::string(place.root == RegistryRoot::CurrentUser ? "per user" : "per machine") +
                         (place.view == RegistryView::Bits64 ? ", 64-bit view" : ", 32-bit view"));
            if (registerForeign(place)) {
                EXPECT_EQ(registerAs(c.kind), SELFREG_E_CLASS);
                if (c.kind == ServerKind::InProcess) {
                    const std::string message = errorDescription();
                    EXPECT_NE(message.find("C:\\Programmi\\Korvalis\\KServer.exe"), std::string::npos) << message;
                }
                EXPECT_FALSE(user.read(c.key));
                EXPECT_EQ(unregisterAs(c.kind), S_OK);
                EXPECT_EQ(place.read(kForeignClsidKey + L"\\LocalServer32"), kForeignServer);
                EXPECT_EQ(place.read(std::wstring(kProgIdKey) + L"\\CLSID"),
                          kForeignClsidKey.substr(kForeignClsidKey.rfind(L'\\') + 1));
            }
            removeForeign(place);
        }
    }
}

TEST_P(DemoServerSession, LoginsAnswerAsTheDemoHost)
{
    const struct
    {
        const char16_t* user;
        const char16_t* password;
        const char* answer;
        int patientsUnderS; // what the login's check counts; the program refuses a doctor with none
    } cases[] = {
        {u"demo", u"demo", "text \"\"", 322},
        {u"ferri", u"ferri", "text \"\"", 0},
        {u"galli", u"galli", "text \"\"", 0},
        {u"demo", u"sbagliata", "text \"Utente o password non validi\"", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(host::toUtf8(c.user));
        Twins t = twins();
        t.call("new");
        EXPECT_EQ(t.call("connetti", {c.user, c.password}), c.answer);
        const std::u16string userId = t.text("leggi_attributo", {u"userid_utente"});
        EXPECT_EQ(t.number("carica", {u"codice_medico =" + userId + u"|tipo_di_convenzione=S", u"alfabetico"}),
                  c.patientsUnderS);
    }
}

TEST_P(DemoServerSession, PatientListAttributesAndToolsTablesAnswerAsTheDemoHost)
{
    Twins t = loggedIn();
    const std::u16string filter =
        u"titolare= " + hex(t.text("leggi_attributo", {u"userid_utente"})) + u"|iniziali_cognome=RO|iniziali_nome=";
    const int count = t.number("carica", {filter, u"alfabetico"});
    ASSERT_GT(count, 0);
    std::vector<std::u16string> codes;
    for (int i = 0; i < count; ++i) {
        codes.push_back(t.text("leggi_attributo", {u"codice"}));
        EXPECT_EQ(t.text("leggi_attributo", {u"cognome"}).substr(0, 2), u"RO");
        t.call("leggi_attributo", {u"nome"});
        t.call("leggi_attributo", {u"data_nascita"});
        t.call("skip", {Omitted{}});
    }
    for (const std::u16string& code : codes) {
        t.call("select_single", {hex(code)});
        for (const char16_t* path : {u"persona\\attributi_persona\\cittadinanza", u"persona\\residenza\\indirizzo\\comune",
                                     u"persona\\telefono_cellulare", u"persona\\documento_identita\\data_rilascio"})
            t.call("leggi_attributo", {path});
        const std::u16string handle = t.text("new_object", {u"i_hl_dataset", u"pressione"});
        t.call("call_method_pipe", {handle, u"carica", u"codice=" + hex(code) + u"|ordinamento=ordine_data_desc"});
        for (const char16_t* name : {u"frequenza_cardiaca", u"pressione_massima", u"pressione_minima", u"data"})
            t.call("call_method_pipe", {handle, u"leggi_attributo", name});
        t.call("call_method_pipe", {handle, u"free", u""});
    }
    for (const char16_t* name : {u"cognome", u"nome", u"codice_fiscale"})
        t.call("utente_leggi_attributo", {name});
    for (const char16_t* town : {u"ROMA", u" forl\u00ec ", u"Atlantide"})
        t.call("tabelle_leggi_attributo_generico_plus", {u"tabella_comuni", u"codice_catastale", u"denominazione", town});
}

TEST_P(DemoServerSession, FailuresReachTheProgramWithTheDemoHostsMessages)
{
    Twins t = loggedIn();
    const struct
    {
        const char* method;
        Arguments arguments;
    } cases[] = {
        {"select_single", {u"zz"}},
        {"carica", {u"colore=rosso", u"alfabetico"}},
        {"skip", {u"tre"}},
        {"genera_xml", {u"publ_dati_essenziali", u"", (folder / L"manca" / L"x.xml").u16string()}},
        {"new_object", {u"i_hl_dataset", u"peso"}},
        {"call_method_pipe", {u"hds_99", u"rowcount", u""}},
        {"connetti", {u"demo"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t.call(c.method, c.arguments).rfind("error: ", 0), 0u) << c.method;
    // The session's close, with the omitted marker; after Free every call fails alike.
    for (const char* method : {"disconnetti", "Destroy", "Free", "get_error"})
        t.call(method, {Omitted{}});

    // A database the server cannot use: the program's login shows the demo host's own reason.
    const fs::path broken = folder / L"rotto.sqlite";
    std::ofstream(broken) << "non un database";
    std::string inProcess = "(no failure)";
    try {
        const auto u8 = broken.u8string();
        demohost::DemoHost unusable(std::string(u8.begin(), u8.end()));
    } catch (const host::AutomationError& error) {
        inProcess = std::string("error: ") + error.what();
    }
    useDatabase(broken);
    EXPECT_EQ(createAndCall("new"), inProcess);
}

TEST_P(DemoServerSession, TheEssentialDataExportIsTheDemoHostsOwnByteForByte)
{
    const fs::path viaCom = folder / L"export com.xml";
    const fs::path inProcess = folder / L"export.xml";
    // The export carries the second it was made in: a pair made across the turn of a second is made again.
    for (int attempt = 0; attempt < 3 && (attempt == 0 || fileBytes(viaCom) != fileBytes(inProcess)); ++attempt) {
        Twins t = loggedIn();
        t.call("select_single", {hex(u"1002")});
        Arguments com{u"publ_dati_essenziali", u"", viaCom.u16string()};
        Arguments local{u"publ_dati_essenziali", u"", inProcess.u16string()};
        t.viaCom->invoke("genera_xml", com);
        t.inProcess->invoke("genera_xml", local);
    }
    EXPECT_NE(fileBytes(viaCom).find("SILVESTRI"), std::string::npos);
    EXPECT_EQ(fileBytes(viaCom), fileBytes(inProcess));
}

TEST_P(DemoServerSession, TheDatabaseIsTheNamedFileThenThePerUserValueThenTheLocalDataFolder)
{
    wchar_t local[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    const fs::path named = folder / L"named.sqlite";
    const fs::path perUser = folder / L"per user.sqlite";
    const struct
    {
        fs::path environment, value, opened;
    } cases[] = {{named, perUser, named},
                 {{}, perUser, perUser},
                 {{}, {}, fs::path(local) / L"InvCiv" / L"demo-host.sqlite"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opened.string());
        // COM starts a program of its own with the user's environment, not the caller's.
        if (!c.environment.empty() && GetParam() == ServerKind::LocalServer)
            continue;
        for (const fs::path& file : {named, perUser})
            fs::remove(file);
        useDatabase(c.environment);
        writeRegistryString(HKEY_CURRENT_USER, kProgIdKey, demohost::com::kDatabaseValue, c.value.wstring());
        mirrorRegistration(true);
        EXPECT_EQ(createAndCall("new"), "empty \"\"");
        EXPECT_TRUE(fs::exists(c.opened)); // made from the seed
        for (const fs::path& other : {named, perUser})
            EXPECT_TRUE(other == c.opened || !fs::exists(other));
    }
}

// A "Korvalis.Server" registered after the demo host: the demo host serves nothing and says how to remove it.
TEST_P(DemoServerSession, AServerRegisteredSinceIsNeverHidden)
{
    // Under wine the demo host's own registration is the machine's too (mirrorRegistration): the other
    // server goes into the other view, where the lookup keeps the two apart.
    const Place machine{RegistryRoot::LocalMachine, kOtherView};
    const bool apart = registerForeign(machine) && Place{RegistryRoot::LocalMachine, kProgramView}.read(
                                                       std::wstring(kProgIdKey) + L"\\CLSID") == demohost::com::kClsid;
    const std::string refused = apart ? createAndCall("new") : "";
    removeForeign(machine);
    mirrorRegistration(true);
    if (!apart)
        GTEST_SKIP() << "no registry view here keeps another Korvalis.Server apart from the demo host's";
    EXPECT_NE(refused.find("KServer.exe"), std::string::npos) << refused;
    EXPECT_NE(refused.find(GetParam() == ServerKind::InProcess ? "regsvr32 /u" : "/unregserver"), std::string::npos)
        << refused;
}

namespace {

// The program of its own as a troubled host, told how to misbehave by its test-only "demo_guasto".
class TroubledHost : public ServerSession
{
protected:
    ServerKind kind() const override { return ServerKind::LocalServer; }
    void TearDown() override
    {
        host::win::setBusyHandling({});
        ServerSession::TearDown();
    }
    static void fault(AutomationObject& server, const char16_t* what, const char16_t* value)
    {
        Arguments arguments{what, value};
        server.invoke("demo_guasto", arguments);
    }
    static host::HostFault faultOf(AutomationObject& server, const std::string& method, Arguments arguments,
                                   std::string* message = nullptr)
    {
        try {
            server.invoke(method, arguments);
            return host::HostFault::None;
        } catch (const host::AutomationError& error) {
            if (message)
                *message = error.what();
            return error.fault();
        }
    }
};

} // namespace

// Rejected calls are retried at the handling's pace and given up past its patience when nobody says to
// wait on; a patient caller gets the answer once the host is free again.
TEST_F(TroubledHost, ABusyHostIsRetriedThenGivenUpOrWaitedFor)
{
    Twins t = loggedIn();
    std::vector<bool> told;
    int asked = 0;
    host::win::setBusyHandling({100, 300, [&] { return ++asked < 2; }, [&](bool waiting) { told.push_back(waiting); }});
    fault(*t.viaCom, u"occupato", u"2500");
    std::string message;
    EXPECT_EQ(faultOf(*t.viaCom, "leggi_attributo", {u"userid_utente"}, &message), host::HostFault::Busy);
    EXPECT_NE(message.find("occupato"), std::string::npos) << message;
    EXPECT_EQ(asked, 2); // waited on once when asked, then gave up
    EXPECT_EQ(told, (std::vector<bool>{true, false}));

    host::win::setBusyHandling({100, 600000, {}, {}});
    EXPECT_EQ(t.text("leggi_attributo", {u"userid_utente"}).empty(), false);
}

TEST_F(TroubledHost, AClosedHostIsAGoneFaultAtTheCallThatFindsItAndIsStartedAgainWhenCreatedAgain)
{
    const struct
    {
        const char16_t* after;
        int failingCall; // counted from the first call after the fault was set
    } cases[] = {{u"0", 1}, {u"3", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(host::toUtf8(c.after));
        Twins t = loggedIn();
        fault(*t.viaCom, u"chiuso", c.after);
        Sleep(500); // "0" ends the process once the fault's own call has answered
        int failed = 0;
        host::HostFault found = host::HostFault::None;
        std::string message;
        for (int call = 1; call <= 5 && !failed; ++call) {
            found = faultOf(*t.viaCom, "leggi_attributo", {u"userid_utente"}, &message);
            if (found != host::HostFault::None)
                failed = call;
        }
        EXPECT_EQ(failed, c.failingCall);
        EXPECT_EQ(found, host::HostFault::Gone) << message;
        EXPECT_NE(message.find("chiuso"), std::string::npos) << message;
        EXPECT_EQ(createAndCall("new"), "empty \"\""); // COM starts the host again
    }
}

TEST_F(TroubledHost, OddTextAnswersReachTheProgramAsTheHostSentThem)
{
    Twins t = loggedIn();
    const struct
    {
        const char16_t* odd;
        const char* answer;
    } cases[] = {{u"I4", "integer \"4242\""}, {u"NULL", "empty \"\""}, {u"EMPTY", "empty \"\""}};
    for (const auto& c : cases) {
        fault(*t.viaCom, u"strano", c.odd);
        EXPECT_EQ(describe(*t.viaCom, "leggi_attributo", {u"userid_utente"}), c.answer) << host::toUtf8(c.odd);
    }
    fault(*t.viaCom, u"strano", u"NUL");
    Arguments name{u"userid_utente"};
    const auto withNul = std::get<std::u16string>(t.viaCom->invoke("leggi_attributo", name));
    EXPECT_NE(withNul.find(u'\0'), std::u16string::npos);
    fault(*t.viaCom, u"strano", u"4MB");
    EXPECT_EQ(std::get<std::u16string>(t.viaCom->invoke("leggi_attributo", name)).size(), 2u * 1024 * 1024);
    fault(*t.viaCom, u"strano", u"");
}
