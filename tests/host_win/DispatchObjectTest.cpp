// host::win::DispatchObject against a recording fake IDispatch: what the server receives, what the
// caller gets back, and how failures read.

#include "FakeDispatch.h"

#include "host/win/DispatchObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

using host::Arguments;
using host::AutomationError;
using host::Omitted;
using host::Result;
using host::win::DispatchObject;
using namespace host_win_test;

namespace {

constexpr VARTYPE kTextByRef = VT_BSTR | VT_BYREF;

std::string failureOf(DispatchObject& object, const std::string& method, Arguments arguments = {})
{
    try {
        object.invoke(method, arguments);
    } catch (const AutomationError& e) {
        return e.what();
    }
    return "(no failure)";
}

std::string hex(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(hr));
    return buffer;
}

// A deferred fill-in has the automation runtime's calling convention (stdcall on 32-bit Windows), which a
// lambda cannot be given.
HRESULT STDAPICALLTYPE fillDescriptionLater(EXCEPINFO* exception)
{
    exception->bstrDescription = newBstr(u"Descrizione compilata dopo");
    return S_OK;
}

} // namespace

TEST(DispatchObject, LooksEachNameUpOnceAndCallsItAsAMethodWantingAResult)
{
    FakeDispatch server;
    server.define("carica");
    server.define("skip");
    DispatchObject object(&server);

    Arguments none;
    Arguments filter{u"a", u"b"};
    object.invoke("carica", filter);
    object.invoke("skip", none);
    object.invoke("carica", filter);

    EXPECT_EQ(server.lookups, (std::vector<std::string>{"carica", "skip"}));
    ASSERT_EQ(server.calls.size(), 3u);
    for (const ReceivedCall& call : server.calls) {
        EXPECT_EQ(call.flags, DISPATCH_METHOD) << call.method;
        EXPECT_EQ(call.namedArguments, 0u) << call.method;
        EXPECT_TRUE(call.resultWanted) << call.method;
    }
    EXPECT_EQ(server.calls[2].method, "carica");
}

TEST(DispatchObject, SendsArgumentsLastFirstWithTextsByReferenceAndTheOmittedMarker)
{
    struct Case
    {
        const char* name;
        Arguments arguments;
        std::vector<ReceivedArgument> received; // last argument first
    };
    const Case cases[] = {
        {"new takes no argument at all", {}, {}},
        {"one omitted argument", {Omitted{}}, {{VT_ERROR, u"", false, DISP_E_PARAMNOTFOUND}}},
        {"filter and order, blanks kept",
         {u"codice_medico =12|tipo_di_convenzione=S", u"alfabetico"},
         {{kTextByRef, u"alfabetico", false, S_OK},
          {kTextByRef, u"codice_medico =12|tipo_di_convenzione=S", false, S_OK}}},
        {"texts around an omitted argument",
         {u"primo", Omitted{}, u"terzo"},
         {{kTextByRef, u"terzo", false, S_OK},
          {VT_ERROR, u"", false, DISP_E_PARAMNOTFOUND},
          {kTextByRef, u"primo", false, S_OK}}},
        {"empty and non-ASCII texts",
         {u"", u"Forl\u00ec \u20ac \U0001F600"},
         {{kTextByRef, u"Forl\u00ec \u20ac \U0001F600", false, S_OK}, {kTextByRef, u"", false, S_OK}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDispatch server;
        server.define("metodo");
        DispatchObject object(&server);
        Arguments arguments = c.arguments;
        object.invoke("metodo", arguments);

        ASSERT_EQ(server.calls.size(), 1u);
        const auto& received = server.calls[0].arguments;
        ASSERT_EQ(received.size(), c.received.size());
        for (std::size_t i = 0; i < received.size(); ++i) {
            EXPECT_EQ(received[i].type, c.received[i].type) << "slot " << i;
            EXPECT_EQ(received[i].text, c.received[i].text) << "slot " << i;
            EXPECT_EQ(received[i].error, c.received[i].error) << "slot " << i;
            EXPECT_FALSE(received[i].nullText) << "slot " << i; // an empty text is a real, empty BSTR
        }
        EXPECT_EQ(arguments, c.arguments); // a server that changes nothing leaves the caller's texts alone
    }
}

TEST(DispatchObject, TextAServerChangesByReferenceComesBackToTheCaller)
{
    FakeDispatch server;
    // Rewrites its second argument (slot 0, last first) the way a server does: frees the old BSTR and
    // leaves a new one in its place.
    server.define("normalizza", [](DISPPARAMS& params, VARIANT& result, EXCEPINFO&) {
        BSTR* text = V_BSTRREF(&params.rgvarg[0]);
        SysFreeString(*text);
        *text = newBstr(u"ROSSI MARIO \u00c8");
        V_VT(&result) = VT_I4;
        V_I4(&result) = 1;
        return S_OK;
    });
    DispatchObject object(&server);

    Arguments arguments{u"invariato", u"rossi mario"};
    const Result result = object.invoke("normalizza", arguments);

    EXPECT_EQ(result, Result(std::int32_t{1}));
    EXPECT_EQ(arguments, (Arguments{u"invariato", u"ROSSI MARIO \u00c8"}));
}

TEST(DispatchObject, AFailedCallLeavesTheCallersTextsAsTheyWere)
{
    FakeDispatch server;
    server.define("fallisce", [](DISPPARAMS& params, VARIANT&, EXCEPINFO& exception) {
        BSTR* text = V_BSTRREF(&params.rgvarg[0]);
        SysFreeString(*text);
        *text = newBstr(u"cambiato");
        exception.bstrDescription = newBstr(u"errore");
        return DISP_E_EXCEPTION;
    });
    DispatchObject object(&server);

    Arguments arguments{u"originale"};
    EXPECT_THROW(object.invoke("fallisce", arguments), AutomationError);
    EXPECT_EQ(arguments, Arguments{u"originale"});
}

TEST(DispatchObject, MapsTheResultOntoTheHostResultKinds)
{
    struct Case
    {
        const char* name;
        std::function<void(VARIANT&)> fill;
        Result expected;
    };
    static LONG referenced = 77;
    const Case cases[] = {
        {"nothing", [](VARIANT&) {}, std::monostate{}},
        {"null", [](VARIANT& v) { V_VT(&v) = VT_NULL; }, std::monostate{}},
        {"text",
         [](VARIANT& v) {
             V_VT(&v) = VT_BSTR;
             V_BSTR(&v) = newBstr(u"Forl\u00ec");
         },
         std::u16string(u"Forl\u00ec")},
        {"null text",
         [](VARIANT& v) {
             V_VT(&v) = VT_BSTR;
             V_BSTR(&v) = nullptr;
         },
         std::u16string()},
        {"short",
         [](VARIANT& v) {
             V_VT(&v) = VT_I2;
             V_I2(&v) = -3;
         },
         std::int32_t{-3}},
        {"long",
         [](VARIANT& v) {
             V_VT(&v) = VT_I4;
             V_I4(&v) = 12;
         },
         std::int32_t{12}},
        {"byte",
         [](VARIANT& v) {
             V_VT(&v) = VT_UI1;
             V_UI1(&v) = 200;
         },
         std::int32_t{200}},
        {"64-bit that fits",
         [](VARIANT& v) {
             V_VT(&v) = VT_I8;
             V_I8(&v) = -7;
         },
         std::int32_t{-7}},
        {"64-bit beyond 32 bits, as text",
         [](VARIANT& v) {
             V_VT(&v) = VT_I8;
             V_I8(&v) = 5000000000LL;
         },
         std::u16string(u"5000000000")},
        {"unsigned beyond 31 bits, as text",
         [](VARIANT& v) {
             V_VT(&v) = VT_UI4;
             V_UI4(&v) = 4000000000u;
         },
         std::u16string(u"4000000000")},
        {"double",
         [](VARIANT& v) {
             V_VT(&v) = VT_R8;
             V_R8(&v) = 2.5;
         },
         2.5},
        {"float",
         [](VARIANT& v) {
             V_VT(&v) = VT_R4;
             V_R4(&v) = 0.25f;
         },
         0.25},
        {"true",
         [](VARIANT& v) {
             V_VT(&v) = VT_BOOL;
             V_BOOL(&v) = VARIANT_TRUE;
         },
         true},
        {"false",
         [](VARIANT& v) {
             V_VT(&v) = VT_BOOL;
             V_BOOL(&v) = VARIANT_FALSE;
         },
         false},
        {"currency, as text",
         [](VARIANT& v) {
             V_VT(&v) = VT_CY;
             V_CY(&v).int64 = 70000; // 7.0000
         },
         std::u16string(u"7")},
        {"by reference",
         [](VARIANT& v) {
             V_VT(&v) = VT_I4 | VT_BYREF;
             V_I4REF(&v) = &referenced;
         },
         std::int32_t{77}},
        {"error value",
         [](VARIANT& v) {
             V_VT(&v) = VT_ERROR;
             V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
         },
         std::monostate{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDispatch server;
        server.define("leggi_attributo", answerVariant(c.fill));
        DispatchObject object(&server);
        Arguments arguments{u"x"};
        EXPECT_EQ(object.invoke("leggi_attributo", arguments), c.expected);
    }
}

TEST(DispatchObject, AnObjectHandedBackIsTakenAsNothingAndReleased)
{
    FakeDispatch returned;
    FakeDispatch server;
    server.define("new", answerVariant([&returned](VARIANT& v) {
                      returned.AddRef();
                      V_VT(&v) = VT_DISPATCH;
                      V_DISPATCH(&v) = &returned;
                  }));
    DispatchObject object(&server);
    Arguments none;
    EXPECT_EQ(object.invoke("new", none), Result(std::monostate{}));
    EXPECT_EQ(returned.references(), 1u);
}

TEST(DispatchObject, AServerExceptionBecomesTheErrorMessage)
{
    FakeDispatch server;
    server.define("connetti", raiseDescription(u"Attivit\u00e0 non consentita all'utente"));
    server.define("deferred", [](DISPPARAMS&, VARIANT&, EXCEPINFO& exception) {
        exception.pfnDeferredFillIn = fillDescriptionLater;
        return DISP_E_EXCEPTION;
    });
    server.define("scode only", [](DISPPARAMS&, VARIANT&, EXCEPINFO& exception) {
        exception.scode = E_ACCESSDENIED;
        return DISP_E_EXCEPTION;
    });
    server.define("wcode only", [](DISPPARAMS&, VARIANT&, EXCEPINFO& exception) {
        exception.wCode = 1001;
        return DISP_E_EXCEPTION;
    });
    DispatchObject object(&server);

    EXPECT_EQ(failureOf(object, "connetti", {u"medico", u"x"}), "Attivit\xc3\xa0 non consentita all'utente");
    EXPECT_EQ(failureOf(object, "deferred"), "Descrizione compilata dopo");
    const std::string scode = failureOf(object, "scode only");
    EXPECT_NE(scode.find(hex(E_ACCESSDENIED)), std::string::npos) << scode;
    EXPECT_GT(scode.find(hex(E_ACCESSDENIED)), 2u) << "system text before the code: " << scode;
    EXPECT_NE(failureOf(object, "wcode only").find("1001"), std::string::npos);
}

TEST(DispatchObject, AFailureWithoutExceptionCarriesTheSystemText)
{
    FakeDispatch server;
    server.define("skip", [](DISPPARAMS&, VARIANT&, EXCEPINFO&) { return RPC_E_DISCONNECTED; });
    server.define("carica", [](DISPPARAMS&, VARIANT&, EXCEPINFO&) { return DISP_E_TYPEMISMATCH; });
    server.argumentErrorToReport = 0; // the last argument
    DispatchObject object(&server);

    const std::string gone = failureOf(object, "skip", {Omitted{}});
    EXPECT_NE(gone.find(hex(RPC_E_DISCONNECTED)), std::string::npos) << gone;

    const std::string mismatch = failureOf(object, "carica", {u"filtro", u"ordine"});
    EXPECT_NE(mismatch.find(hex(DISP_E_TYPEMISMATCH)), std::string::npos) << mismatch;
    EXPECT_NE(mismatch.find("(argomento 2)"), std::string::npos) << mismatch;
}

TEST(DispatchObject, AnUnknownMethodFailsNamingItAndInvokesNothing)
{
    FakeDispatch server;
    server.define("leggi_attributo");
    DispatchObject object(&server);

    const std::string message = failureOf(object, "leggi_attributi", {u"cognome"});
    EXPECT_NE(message.find("\"leggi_attributi\""), std::string::npos) << message;
    EXPECT_NE(message.find(hex(DISP_E_UNKNOWNNAME)), std::string::npos) << message;
    EXPECT_TRUE(server.calls.empty());
    // A failed lookup is not remembered: the name is asked again next time.
    failureOf(object, "leggi_attributi");
    EXPECT_EQ(server.lookups.size(), 2u);
}

TEST(DispatchObject, HoldsItsOwnReferenceForItsLifetime)
{
    FakeDispatch server;
    {
        DispatchObject object(&server);
        EXPECT_EQ(server.references(), 2u);
    }
    EXPECT_EQ(server.references(), 1u);
    EXPECT_THROW(DispatchObject(nullptr), AutomationError);
}
