// A small in-process automation server, "InvCivTest.Server", for the creation-by-ProgID tests. Like the
// host's server it is reached by late binding only: new, connetti, leggi_attributo and get_error, names
// matched without regard to letter case.

#include "TestServerIds.h"

#include "host/win/ComServer.h"

#include <windows.h>

#include <oleauto.h>

#include <new>
#include <string>

namespace {

// {0B6E2D5C-7A41-4F3B-9C2E-5D1A8E4F6B27}, the same as INVCIV_TEST_SERVER_CLSID.
const CLSID kClsid = {0x0b6e2d5c, 0x7a41, 0x4f3b, {0x9c, 0x2e, 0x5d, 0x1a, 0x8e, 0x4f, 0x6b, 0x27}};

enum Method : DISPID { New = 1, Connetti, LeggiAttributo, GetError };

struct Name
{
    const wchar_t* text;
    DISPID id;
};
constexpr Name kNames[] = {
    {L"new", New}, {L"connetti", Connetti}, {L"leggi_attributo", LeggiAttributo}, {L"get_error", GetError}};

std::wstring textOf(const VARIANTARG& v)
{
    const BSTR text = *V_BSTRREF(&v);
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

HRESULT raise(EXCEPINFO* exception, const std::wstring& description)
{
    if (exception) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(INVCIV_TEST_SERVER_PROGID);
        exception->bstrDescription =
            SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
        exception->scode = E_FAIL;
    }
    return DISP_E_EXCEPTION;
}

void setText(VARIANT* result, const std::wstring& text)
{
    if (result) {
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
}

class Server final : public host::win::ServedDispatch
{
public:
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const Name& name : kNames) {
                if (CompareStringOrdinal(names[i], -1, name.text, -1, TRUE) == CSTR_EQUAL)
                    ids[i] = name.id;
            }
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override
    {
        if (!(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        const UINT expected = id == New ? 0 : id == Connetti ? 2 : 1;
        if (params->cArgs != expected)
            return DISP_E_BADPARAMCOUNT;
        for (UINT i = 0; i < params->cArgs; ++i) {
            const VARTYPE wanted = id == GetError ? VT_ERROR : VT_BSTR | VT_BYREF;
            if (V_VT(&params->rgvarg[i]) != wanted) {
                if (argumentError)
                    *argumentError = i;
                return DISP_E_TYPEMISMATCH;
            }
        }
        switch (id) {
        case New:
            m_created = true;
            return S_OK;
        case Connetti: {
            if (!m_created)
                return raise(exception, L"Sessione non creata: manca la chiamata a new");
            m_connected = textOf(params->rgvarg[1]) == L"medico" && textOf(params->rgvarg[0]) == L"segreta";
            setText(result, m_connected ? L"" : L"Utente o password non validi");
            return S_OK;
        }
        case LeggiAttributo: {
            if (!m_connected)
                return raise(exception, L"Nessun utente connesso");
            const std::wstring name = textOf(params->rgvarg[0]);
            if (name == L"cognome") {
                setText(result, L"Forl\u00ec");
            } else if (name == L"eta") {
                if (result) {
                    V_VT(result) = VT_I4;
                    V_I4(result) = 42;
                }
            } else {
                return raise(exception, L"Attributo sconosciuto: " + name);
            }
            return S_OK;
        }
        case GetError:
            if (V_ERROR(&params->rgvarg[0]) != DISP_E_PARAMNOTFOUND)
                return DISP_E_TYPEMISMATCH;
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    bool m_created = false;
    bool m_connected = false;
};

host::win::SingleClassFactory factory(kClsid, []() -> IDispatch* { return new (std::nothrow) Server; });

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object)
{
    return factory.classObject(clsid, iid, object);
}

// The module stays loaded for the whole test run.
STDAPI DllCanUnloadNow()
{
    return S_FALSE;
}
