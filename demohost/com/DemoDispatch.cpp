#include "DemoDispatch.h"

#include "ServerRegistration.h"

#include "demohost/DemoHost.h"
#include "host/win/ComValues.h"

#include <exception>
#include <new>

namespace demohost::com {

namespace {

const std::u16string kSource = u"Korvalis.Server";

bool sameNameIgnoringCase(const wchar_t* name, std::string_view method)
{
    const std::wstring wide = host::win::toWide(std::string(method));
    return CompareStringOrdinal(name, -1, wide.c_str(), -1, TRUE) == CSTR_EQUAL;
}

} // namespace

DemoDispatch::DemoDispatch(std::unique_ptr<host::AutomationObject> host, std::vector<std::string_view> methods,
                           std::u16string unavailable)
    : m_host(std::move(host)), m_methods(std::move(methods)), m_unavailable(std::move(unavailable))
{
}

HRESULT DemoDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids)
        return E_POINTER;
    // The first name is the method's; named arguments are not taken.
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        for (std::size_t m = 0; i == 0 && m < m_methods.size(); ++m) {
            if (names[i] && sameNameIgnoringCase(names[i], m_methods[m]))
                ids[i] = static_cast<DISPID>(m + 1);
        }
        if (ids[i] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT DemoDispatch::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argumentError)
{
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (id < 1 || static_cast<std::size_t>(id) > m_methods.size() || !(flags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    if (!params || (params->cArgs && !params->rgvarg))
        return E_INVALIDARG;
    if (params->cNamedArgs)
        return DISP_E_NONAMEDARGS;
    try {
        // Invoke has the arguments last to first.
        const UINT count = params->cArgs;
        host::Arguments arguments;
        arguments.reserve(count);
        for (UINT i = 0; i < count; ++i) {
            auto argument = host::win::argumentFromVariant(params->rgvarg[count - 1 - i]);
            if (!argument) {
                if (argumentError)
                    *argumentError = count - 1 - i;
                return DISP_E_TYPEMISMATCH;
            }
            arguments.push_back(std::move(*argument));
        }
        if (!m_host)
            throw host::AutomationError(host::toUtf8(m_unavailable));
        const host::Result answer = m_host->invoke(std::string(m_methods[static_cast<std::size_t>(id - 1)]),
                                                   arguments);
        // A text passed by reference comes back as the method left it.
        for (UINT i = 0; i < count; ++i) {
            VARIANTARG& slot = params->rgvarg[count - 1 - i];
            const auto* text = std::get_if<std::u16string>(&arguments[i]);
            if (text && V_VT(&slot) == (VT_BSTR | VT_BYREF) && V_BSTRREF(&slot) &&
                *text != host::win::fromWide(*V_BSTRREF(&slot), SysStringLen(*V_BSTRREF(&slot)))) {
                host::win::Bstr changed(*text);
                SysFreeString(*V_BSTRREF(&slot));
                *V_BSTRREF(&slot) = changed.release();
            }
        }
        if (result)
            host::win::resultToVariant(answer, *result);
        return S_OK;
    } catch (const std::exception& error) {
        if (exception)
            host::win::raiseException(*exception, kSource, host::fromUtf8(error.what()));
        return DISP_E_EXCEPTION;
    }
}

IDispatch* newDemoObject(const std::wstring& removal) noexcept
{
    try {
        std::u16string unavailable;
        std::unique_ptr<host::AutomationObject> demo;
        if (const auto foreign = foreignServer()) {
            const std::wstring message = shadowingMessage(*foreign, removal);
            unavailable = host::win::fromWide(message.data(), message.size());
        } else {
            try {
                demo = std::make_unique<demohost::DemoHost>(databaseFile());
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception& error) {
                unavailable = host::fromUtf8(error.what());
            }
        }
        // COM's reference count owns it from here: its last Release deletes it.
        return new DemoDispatch(std::move(demo), demohost::DemoHost::methodNames(), std::move(unavailable));
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace demohost::com
