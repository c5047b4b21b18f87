// host::createComObject end to end: the test server DLL beside the tests is registered under
// "InvCivTest.Server", created by ProgID and called through late binding.

#include "TestServerIds.h"
#include "WinTestSupport.h"

#include "host/win/ComAutomation.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using host::Arguments;
using host::AutomationError;
using host::Omitted;
using host::Result;

namespace {

const std::wstring kProgIdKey = L"Software\\Classes\\" INVCIV_TEST_SERVER_PROGID;
const std::wstring kClsidKey = L"Software\\Classes\\CLSID\\" INVCIV_TEST_SERVER_CLSID;

// Windows finds classes registered for the current user, which needs no administrator. Wine's COM reads
// only the machine's classes, which its prefix lets the user write.
HKEY classesRoot()
{
    return host_win_test::underWine() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

void setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    ASSERT_TRUE(host_win_test::writeRegistryString(classesRoot(), key, name, value))
        << "cannot write the key " << std::string(key.begin(), key.end());
}

std::string failureOfCreating(const std::u16string& progId)
{
    try {
        host::createComObject(progId);
    } catch (const AutomationError& e) {
        return e.what();
    }
    return "(no failure)";
}

class ComCreation : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        setValue(kProgIdKey + L"\\CLSID", nullptr, INVCIV_TEST_SERVER_CLSID);
        setValue(kClsidKey, nullptr, INVCIV_TEST_SERVER_PROGID);
        setValue(kClsidKey + L"\\InprocServer32", nullptr, host_win_test::besideTests(INVCIV_TEST_SERVER_DLL));
        setValue(kClsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    }
    static void TearDownTestSuite()
    {
        RegDeleteTreeW(classesRoot(), kProgIdKey.c_str());
        RegDeleteTreeW(classesRoot(), kClsidKey.c_str());
    }
};

} // namespace

TEST_F(ComCreation, CreatesTheRegisteredServerByProgIdAndCallsItsMethods)
{
    const auto server = host::createComObject(u"InvCivTest.Server");
    ASSERT_TRUE(server);

    Arguments none;
    EXPECT_EQ(server->invoke("new", none), Result(std::monostate{}));
    Arguments login{u"medico", u"segreta"};
    EXPECT_EQ(server->invoke("connetti", login), Result(std::u16string()));
    Arguments omitted{Omitted{}};
    EXPECT_EQ(server->invoke("get_error", omitted), Result(std::monostate{}));
    Arguments surname{u"cognome"};
    EXPECT_EQ(server->invoke("leggi_attributo", surname), Result(std::u16string(u"Forl\u00ec")));
    Arguments age{u"eta"};
    EXPECT_EQ(server->invoke("leggi_attributo", age), Result(std::int32_t{42}));
}

TEST_F(ComCreation, TheServersRefusalsAndExceptionsReachTheCaller)
{
    const auto server = host::createComObject(u"InvCivTest.Server");

    Arguments login{u"medico", u"sbagliata"};
    try {
        server->invoke("connetti", login);
        FAIL() << "connetti before new must fail";
    } catch (const AutomationError& e) {
        EXPECT_STREQ(e.what(), "Sessione non creata: manca la chiamata a new");
    }
    Arguments none;
    server->invoke("new", none);
    EXPECT_EQ(server->invoke("connetti", login), Result(std::u16string(u"Utente o password non validi")));
    Arguments name{u"cognome"};
    try {
        server->invoke("leggi_attributo", name);
        FAIL() << "a refused user reads nothing";
    } catch (const AutomationError& e) {
        EXPECT_STREQ(e.what(), "Nessun utente connesso");
    }
    // The server checks the argument count: new with any argument is refused.
    Arguments extra{Omitted{}};
    EXPECT_THROW(server->invoke("new", extra), AutomationError);
}

TEST_F(ComCreation, AnUnregisteredProgIdFailsWithAClearMessage)
{
    const std::string message = failureOfCreating(u"InvCivTest.Inesistente");
    EXPECT_NE(message.find("Impossibile creare l'oggetto di automazione \"InvCivTest.Inesistente\""),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("0x800401F3"), std::string::npos) << message; // CO_E_CLASSSTRING
}
