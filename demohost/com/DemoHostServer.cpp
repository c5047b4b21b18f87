// invciv-demo-host.exe: the demo host as a program of its own, the local COM server "Korvalis.Server", as
// the host's own server is: the program reaches it across a process boundary, through the same dispatch
// layer as the in-process server. COM starts it with -Embedding when a program creates "Korvalis.Server";
// it serves every object from one process and ends when the last one goes.
//
//   invciv-demo-host.exe /regserver [/s]     registers it per user (refused beside another server)
//   invciv-demo-host.exe /unregserver [/s]
//
// For tests only, every object also answers the method "demo_guasto"(kind, value), which makes the
// whole process behave as a troubled host would (docs/demo-host.md): "occupato" rejects calls for
// `value` ms, "lento" makes each call take `value` ms, "chiuso" ends the process at the start of the
// `value`-th call from now (0: once this call has answered), "strano" answers every text from now as
// `value` says ("I4", "NULL", "EMPTY", "4MB", "NUL"; "" ends it).

#include "DemoDispatch.h"
#include "DemoServerIds.h"
#include "ServerRegistration.h"

#include "host/win/ComErrors.h"
#include "host/win/ComServer.h"
#include "host/win/ComValues.h"

#include <windows.h>

#include <oleauto.h>
#include <shellapi.h>

#include <string>

namespace {

using namespace demohost::com;

constexpr DISPID kFaultId = 10000;
constexpr UINT kCloseDelayMs = 200;
constexpr UINT kEndMessage = WM_APP + 1;

DWORD g_mainThread = 0;

struct Faults
{
    ULONGLONG busyUntil = 0;
    DWORD slowMs = 0;
    long closeAfter = -1; // calls left before the process ends; -1: never
    std::wstring odd;
};
Faults g_faults;

// The process lives while COM holds an object or a lock of its.
LONG g_references = 0;
void addRefProcess()
{
    InterlockedIncrement(&g_references);
}
// The last object gone, the process waits a moment before it stops taking new ones and ends: a program
// that creates the server again straight away (a new session after the last) is served here rather
// than by a process on its way out.
constexpr UINT kLingerMs = 500;
constexpr UINT_PTR kLingerTimer = 1;
void releaseProcess()
{
    if (InterlockedDecrement(&g_references) == 0)
        PostThreadMessageW(g_mainThread, kEndMessage, 0, 0);
}

// A text answer turned into what a troubled host might hand back instead.
void makeOdd(VARIANT& result)
{
    if (V_VT(&result) != VT_BSTR || g_faults.odd.empty())
        return;
    const std::wstring odd = g_faults.odd;
    if (odd == L"I4") {
        VariantClear(&result);
        V_VT(&result) = VT_I4;
        V_I4(&result) = 4242;
    } else if (odd == L"NULL") {
        VariantClear(&result);
        V_VT(&result) = VT_NULL;
    } else if (odd == L"EMPTY") {
        VariantClear(&result);
    } else if (odd == L"4MB" || odd == L"NUL") {
        std::wstring text(V_BSTR(&result), SysStringLen(V_BSTR(&result)));
        if (odd == L"NUL")
            text = text.substr(0, 1) + L'\0' + text.substr(std::min<std::size_t>(1, text.size()));
        else
            text.resize(2 * 1024 * 1024, L'X'); // two million UTF-16 units: 4 MB
        VariantClear(&result);
        V_VT(&result) = VT_BSTR;
        V_BSTR(&result) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
}

void CALLBACK closeNow(HWND, UINT, UINT_PTR, DWORD)
{
    ExitProcess(0); // the host's program closed between two calls
}

HRESULT setFault(DISPPARAMS* params)
{
    if (!params || params->cArgs != 2)
        return DISP_E_BADPARAMCOUNT;
    const auto kind = host::win::argumentFromVariant(params->rgvarg[1]);
    const auto value = host::win::argumentFromVariant(params->rgvarg[0]);
    const auto* k = kind ? std::get_if<std::u16string>(&*kind) : nullptr;
    const auto* v = value ? std::get_if<std::u16string>(&*value) : nullptr;
    if (!k || !v)
        return DISP_E_TYPEMISMATCH;
    const std::wstring name = host::win::toWide(*k);
    const std::wstring text = host::win::toWide(*v);
    const long number = text.empty() ? 0 : std::wcstol(text.c_str(), nullptr, 10);
    if (name == L"occupato")
        g_faults.busyUntil = GetTickCount64() + static_cast<ULONGLONG>(number);
    else if (name == L"lento")
        g_faults.slowMs = static_cast<DWORD>(number);
    else if (name == L"chiuso" && number == 0)
        SetTimer(nullptr, 0, kCloseDelayMs, &closeNow); // once this call has answered
    else if (name == L"chiuso")
        g_faults.closeAfter = number;
    else if (name == L"strano")
        g_faults.odd = text;
    else
        return E_INVALIDARG;
    return S_OK;
}

// The demo host's object as this process serves it, with the test-only faults around its calls.
class ServedDemo final : public host::win::ServedDispatch
{
public:
    explicit ServedDemo(IDispatch* inner) : m_inner(inner) { addRefProcess(); }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override
    {
        if (names && ids && count == 1 && names[0] && CompareStringOrdinal(names[0], -1, L"demo_guasto", -1, TRUE) == CSTR_EQUAL) {
            ids[0] = kFaultId;
            return S_OK;
        }
        return m_inner->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override
    {
        if (id == kFaultId)
            return setFault(params);
        if (g_faults.closeAfter > 0 && --g_faults.closeAfter == 0)
            ExitProcess(0); // the host's program closed in the middle of a call
        if (g_faults.slowMs)
            Sleep(g_faults.slowMs);
        const HRESULT hr = m_inner->Invoke(id, iid, lcid, flags, params, result, exception, argumentError);
        if (SUCCEEDED(hr) && result)
            makeOdd(*result);
        return hr;
    }

protected:
    ~ServedDemo() override
    {
        m_inner->Release();
        releaseProcess();
    }

private:
    IDispatch* m_inner;
};

// The server's side of a busy host: while "occupato" lasts every call is turned away, as COM turns away
// the calls of a program whose own window waits in a dialog. SERVERCALL_REJECTED rather than RETRYLATER,
// which wine does not hand on to the caller; the caller's message filter retries either.
class BusyFilter final : public host::win::StaticMessageFilter
{
public:
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return GetTickCount64() < g_faults.busyUntil ? SERVERCALL_REJECTED : SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

std::wstring programPath()
{
    return host::win::moduleFile(nullptr);
}

IDispatch* createServer() noexcept
{
    IDispatch* inner = newDemoObject(L"\"" + programPath() + L"\" /unregserver");
    if (!inner)
        return nullptr;
    try {
        return new ServedDemo(inner);
    } catch (...) {
        inner->Release();
        return nullptr;
    }
}

// What the command line's user reads: on the console that started it, else in a message box unless /s.
void tell(const std::wstring& text, bool silent, bool error)
{
    const HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) {
        const std::string utf8 = host::win::wideToUtf8(text.data(), text.size()) + "\r\n";
        DWORD written = 0;
        WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    } else if (!silent) {
        MessageBoxW(nullptr, text.c_str(), L"InvCiv - demo host", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
    }
}

bool isOption(const wchar_t* argument, const wchar_t* name)
{
    return (argument[0] == L'/' || argument[0] == L'-') && CompareStringOrdinal(argument + 1, -1, name, -1, TRUE) == CSTR_EQUAL;
}

int serve()
{
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init))
        return 1;
    BusyFilter filter;
    IMessageFilter* previous = nullptr;
    CoRegisterMessageFilter(&filter, &previous);
    // The class object keeps the process alive while a client locks it.
    static host::win::SingleClassFactory factory(kClsidValue, &createServer,
                                                 [](bool locked) { locked ? addRefProcess() : releaseProcess(); });
    DWORD cookie = 0;
    const HRESULT hr = CoRegisterClassObject(kClsidValue, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    int status = 0;
    if (SUCCEEDED(hr)) {
        MSG message;
        UINT_PTR linger = 0;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == kEndMessage) {
                linger = SetTimer(nullptr, kLingerTimer, kLingerMs, nullptr);
                continue;
            }
            if (message.hwnd == nullptr && message.message == WM_TIMER && linger && message.wParam == linger) {
                KillTimer(nullptr, linger);
                linger = 0;
                if (g_references == 0)
                    break;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // No new object from here on; one asked for in the meantime is refused, and COM starts the
        // server again for the next.
        CoRevokeClassObject(cookie);
    } else {
        status = 1;
    }
    CoRegisterMessageFilter(previous, nullptr);
    CoUninitialize();
    return status;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    g_mainThread = GetCurrentThreadId();
    // The thread's message queue exists before any client can ask it to end.
    MSG peek;
    PeekMessageW(&peek, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    bool doRegister = false;
    bool doUnregister = false;
    bool silent = false;
    bool embedding = false;
    for (int i = 1; arguments && i < count; ++i) {
        doRegister = doRegister || isOption(arguments[i], L"regserver");
        doUnregister = doUnregister || isOption(arguments[i], L"unregserver");
        silent = silent || isOption(arguments[i], L"s");
        embedding = embedding || isOption(arguments[i], L"Embedding");
    }
    LocalFree(arguments);

    if (doRegister || doUnregister) {
        std::wstring message;
        HRESULT hr = S_OK;
        if (doRegister)
            hr = registerServer(programPath(), ServerKind::LocalServer, message);
        else
            hr = unregisterServer(ServerKind::LocalServer);
        if (FAILED(hr)) {
            if (message.empty())
                message = L"Rimozione del demo host non riuscita: " + host::win::toWide(host::win::systemMessage(hr));
            tell(message, silent, true);
            return 1;
        }
        if (!silent)
            tell(doRegister ? L"Demo host registrato come \"Korvalis.Server\" per l'utente: " + programPath()
                            : L"Demo host rimosso.",
                 false, false);
        return 0;
    }
    if (!embedding) {
        tell(L"invciv-demo-host.exe è il demo host di InvCiv, avviato da Windows quando un programma lo chiede.\n"
             L"Registrarlo con: invciv-demo-host.exe /regserver  (rimuoverlo con /unregserver)",
             silent, false);
        return 0;
    }
    return serve();
}
