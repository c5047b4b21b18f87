#include "BusyHost.h"

#include "ComServer.h"

#include <windows.h>

#include <objbase.h>

namespace host::win {

namespace {

// The apartment's message filter, for the life of the thread.
class RetryingFilter final : public StaticMessageFilter
{
public:
    // Calls into this program (none are made by the host) are taken as they come.
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override
    {
        return static_cast<DWORD>(BusyWait::current().retryAfter());
    }
    // The window repaints during a long call; input waits until the call has ended.
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

} // namespace

BusyWait& BusyWait::current()
{
    thread_local BusyWait wait;
    return wait;
}

bool setBusyHandling(BusyHandling handling)
{
    BusyWait::current().m_handling = std::move(handling);
    thread_local RetryingFilter filter;
    IMessageFilter* previous = nullptr;
    return SUCCEEDED(CoRegisterMessageFilter(&filter, &previous));
}

void BusyWait::begin()
{
    m_gaveUp = false;
}

long BusyWait::retryAfter()
{
    const unsigned long long now = GetTickCount64();
    if (!m_waiting) {
        m_waiting = true;
        m_askedAt = now;
        if (m_handling.waiting)
            m_handling.waiting(true);
    }
    if (now - m_askedAt >= m_handling.askAfterMs) {
        if (!m_handling.keepTrying || !m_handling.keepTrying()) {
            m_gaveUp = true;
            return -1;
        }
        m_askedAt = GetTickCount64(); // the patience starts again once the question is answered
    }
    // Values below 100 would retry at once.
    return static_cast<long>(m_handling.retryEveryMs < 100 ? 100 : m_handling.retryEveryMs);
}

void BusyWait::end()
{
    if (m_waiting) {
        m_waiting = false;
        if (m_handling.waiting)
            m_handling.waiting(false);
    }
}

} // namespace host::win
