#pragma once
// A host that turns calls away while a window of its own waits for the doctor (COM rejects them:
// RPC_E_CALL_REJECTED, or SERVERCALL_RETRYLATER from the host's message filter). The user-interface
// thread's OLE message filter retries them at a fixed pace; past the patience it asks whether to keep
// trying, and gives up when told so, or at once when there is no one to ask. A call the runtime hands
// back rejected without consulting the filter (wine's COM does not) is retried by the caller on the same
// terms (DispatchObject).

#include "ComErrors.h"

#include <functional>

namespace host::win {

struct BusyHandling
{
    // The pace of retries. A host busy in a dialog answers as soon as the dialog closes; a quarter of a
    // second is not noticed, and costs the host four rejected calls a second.
    unsigned retryEveryMs = 250;
    // How long to wait, silently, before asking; asked again after each such stretch.
    unsigned askAfterMs = 3000;
    // Asked past the patience: true waits on, false gives the call up (it fails as rejected). Empty: gives
    // up at the first patience's end.
    std::function<bool()> keepTrying;
    // Told true when a call starts waiting for a busy host, false when it has ended either way.
    std::function<void(bool waiting)> waiting;
};

// Registers the message filter of the calling thread's apartment (CoRegisterMessageFilter), handling a
// busy host as `handling` says. The thread must be in a single-threaded apartment; the handling lasts
// until it is set again. False when COM refused the filter (the caller's own retries still apply).
bool setBusyHandling(BusyHandling handling);

// The calling thread's state of waiting on a busy host, shared by the message filter and the caller.
class BusyWait
{
public:
    static BusyWait& current();

    // A call starts: nothing waited yet.
    void begin();
    // The host rejected the call once more: the ms to wait before retrying, or -1 to give it up.
    long retryAfter();
    // The call has ended, answered or not.
    void end();
    // The call was given up (by the message filter or by retryAfter).
    bool gaveUp() const { return m_gaveUp; }

private:
    BusyHandling m_handling;
    bool m_waiting = false;
    bool m_gaveUp = false;
    unsigned long long m_askedAt = 0;
    friend bool setBusyHandling(BusyHandling handling);
};

// Makes one call to the host (`call` gives its HRESULT), again while the host rejects it as busy and the
// handling says to retry.
template <class Call> HRESULT retryWhileBusy(Call&& call)
{
    BusyWait& busy = BusyWait::current();
    busy.begin();
    HRESULT hr = S_OK;
    for (;;) {
        hr = call();
        if (faultOf(hr) != HostFault::Busy || busy.gaveUp())
            break;
        const long delay = busy.retryAfter();
        if (delay < 0)
            break;
        Sleep(static_cast<DWORD>(delay));
    }
    busy.end();
    return hr;
}

} // namespace host::win
