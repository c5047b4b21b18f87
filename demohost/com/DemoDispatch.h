#pragma once
// The demo host as an automation object reached through IDispatch, as the program reaches the host's own
// server: every method by name (case ignored), texts by reference, the omitted marker, results as text,
// integer, floating or boolean, and failures as DISP_E_EXCEPTION with the demo host's message.

#include "host/AutomationObject.h"
#include "host/win/ComServer.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace demohost::com {

class DemoDispatch final : public host::win::ServedDispatch
{
public:
    // `host` answers the calls named in `methods` (DISPID = index + 1). Without a host every call raises
    // `unavailable`, so that the program shows why at its login.
    DemoDispatch(std::unique_ptr<host::AutomationObject> host, std::vector<std::string_view> methods,
                 std::u16string unavailable);

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override;

private:
    std::unique_ptr<host::AutomationObject> m_host;
    std::vector<std::string_view> m_methods;
    std::u16string m_unavailable;
};

// The server's object: the demo host over its database (ServerRegistration.h names it), or, when it
// cannot serve, an object that says why at the first call (the program shows it at its login); a
// "Korvalis.Server" registered since the demo host makes it say how to remove the demo host with
// `removal`. Holds one reference; nullptr when out of memory.
IDispatch* newDemoObject(const std::wstring& removal) noexcept;

} // namespace demohost::com
