// invciv-demo-server.dll: the demo host as the in-process COM server "Korvalis.Server", so that the program
// reaches the demo database through COM exactly as it reaches the host's own server. regsvr32 registers it
// per user (ServerRegistration.h); each object opens the database when it is created.

#include "DemoDispatch.h"
#include "DemoServerIds.h"
#include "ServerRegistration.h"

#include "host/win/ComValues.h"

#include <windows.h>

#include <oleauto.h>
#include <shellapi.h>

#include <exception>

namespace {

using namespace demohost::com;

// This DLL's own path.
std::wstring modulePath()
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&modulePath), &module))
        return {};
    return host::win::moduleFile(module);
}

IDispatch* createServer() noexcept
{
    return newDemoObject(L"regsvr32 /u \"" + modulePath() + L"\"");
}

host::win::SingleClassFactory factory(kClsidValue, &createServer);

bool sameIgnoringCase(const wchar_t* a, const wchar_t* b)
{
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// regsvr32 reports a failure by its code alone: unless it was told to be silent (/s), the reason is shown
// here. Any caller can read it as the thread's error information.
void tellWhy(const std::wstring& message)
{
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetSource(const_cast<LPOLESTR>(L"Korvalis.Server"));
        create->SetDescription(const_cast<LPOLESTR>(message.c_str()));
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }

    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return;
    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const wchar_t* name = program;
    for (const wchar_t* c = program; *c; ++c) {
        if (*c == L'\\' || *c == L'/')
            name = c + 1;
    }
    bool show = sameIgnoringCase(name, L"regsvr32.exe");
    for (int i = 1; i < count; ++i)
        show = show && !sameIgnoringCase(arguments[i], L"/s") && !sameIgnoringCase(arguments[i], L"-s");
    LocalFree(arguments);
    if (show)
        MessageBoxW(nullptr, message.c_str(), L"InvCiv - demo host", MB_OK | MB_ICONERROR);
}

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object)
{
    return factory.classObject(clsid, iid, object);
}

// The module keeps no count of its objects, so it stays loaded for the life of the process.
STDAPI DllCanUnloadNow()
{
    return S_FALSE;
}

STDAPI DllRegisterServer()
{
    try {
        const std::wstring path = modulePath();
        if (path.empty())
            return E_UNEXPECTED;
        std::wstring message;
        const HRESULT hr = registerServer(path, ServerKind::InProcess, message);
        if (FAILED(hr))
            tellWhy(message);
        return hr;
    } catch (const std::exception&) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer()
{
    return unregisterServer(ServerKind::InProcess);
}
