#include "ComAutomation.h"

#include "BusyHost.h"
#include "ComErrors.h"
#include "ComValues.h"
#include "DispatchObject.h"

namespace host {

namespace {

[[noreturn]] void creationFailed(const std::u16string& progId, HRESULT hr)
{
    throw AutomationError("Impossibile creare l'oggetto di automazione \"" + toUtf8(progId) +
                          "\": " + win::systemMessage(hr));
}

} // namespace

std::unique_ptr<AutomationObject> createComObject(const std::u16string& progId)
{
    const std::wstring name = win::toWide(progId);
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
    if (FAILED(hr))
        creationFailed(progId, hr);

    // The host's server may run in its own process or inside ours; either way it is reached through
    // IDispatch.
    // A server of its own that is ending as it is asked (the host's program closing, or a server whose
    // last object has just gone) fails the creation as a broken call: COM starts it afresh the next time.
    win::ComRef<IUnknown> unknown;
    for (int attempt = 0; attempt < 2; ++attempt) {
        hr = win::retryWhileBusy([&] {
            return CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(unknown.out()));
        });
        if (win::faultOf(hr) != HostFault::Gone)
            break;
    }
    if (FAILED(hr))
        creationFailed(progId, hr);
    win::ComRef<IDispatch> dispatch;
    hr = win::retryWhileBusy(
        [&] { return unknown.get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.out())); });
    if (FAILED(hr))
        creationFailed(progId, hr);
    return std::make_unique<win::DispatchObject>(dispatch.get());
}

} // namespace host
