#pragma once
// The demo host as an automation object reached through IDispatch, as the program reaches the host's own
// server: every method by name (case ignored), texts by reference, the omitted marker, results as text,
// integer, floating or boolean, and failures as DISP_E_EXCEPTION with the demo host's message.

#include "host/AutomationObject.h"

#include <windows.h>

#include <oaidl.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace demohost::com {

class DemoDispatch final : public IDispatch
{
public:
    // `host` answers the calls named in `methods` (DISPID = index + 1). Without a host every call raises
    // `unavailable`, so that the program shows why at its login.
    DemoDispatch(std::unique_ptr<host::AutomationObject> host, std::vector<std::string_view> methods,
                 std::u16string unavailable);
    DemoDispatch(const DemoDispatch&) = delete;
    DemoDispatch& operator=(const DemoDispatch&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override;

private:
    ~DemoDispatch() = default; // Release deletes it

    LONG m_references = 1;
    std::unique_ptr<host::AutomationObject> m_host;
    std::vector<std::string_view> m_methods;
    std::u16string m_unavailable;
};

} // namespace demohost::com
