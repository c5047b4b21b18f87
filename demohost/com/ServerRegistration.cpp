#include "ServerRegistration.h"

#include "DemoServerIds.h"

#include "host/AutomationFactory.h"
#include "host/win/ComErrors.h"
#include "host/win/ComValues.h"
#include "platform/win/MachineRegistry.h"

#include <olectl.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <vector>

namespace demohost::com {

namespace {

using platform::win::readRegistryString;
using platform::win::RegistryRoot;
using platform::win::RegistryView;

constexpr RegistryView kOtherView =
    platform::win::kProgramView == RegistryView::Bits64 ? RegistryView::Bits32 : RegistryView::Bits64;

struct Place
{
    RegistryRoot root;
    RegistryView view;
};

// The per-user classes come first, as the program's lookup reads them; then the machine's. Each in both
// views: a program of either bitness may look (32-bit Windows has one view, which both name).
constexpr std::array<Place, 4> kPlaces{{{RegistryRoot::CurrentUser, platform::win::kProgramView},
                                        {RegistryRoot::CurrentUser, kOtherView},
                                        {RegistryRoot::LocalMachine, platform::win::kProgramView},
                                        {RegistryRoot::LocalMachine, kOtherView}}};

bool twoViews()
{
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

std::wstring placeText(const Place& place)
{
    std::wstring text = place.root == RegistryRoot::CurrentUser ? L"HKEY_CURRENT_USER\\Software\\Classes"
                                                                : L"HKEY_LOCAL_MACHINE\\Software\\Classes";
    if (twoViews())
        text += place.view == RegistryView::Bits64 ? L", vista a 64 bit" : L", vista a 32 bit";
    return text;
}

bool isDemoClass(const std::wstring& clsidText)
{
    CLSID registered{};
    return SUCCEEDED(CLSIDFromString(clsidText.c_str(), &registered)) && IsEqualCLSID(registered, kClsidValue);
}

std::optional<std::wstring> registeredClass(const Place& place)
{
    return readRegistryString(place.root, std::wstring(kProgIdKey) + L"\\CLSID", nullptr, place.view);
}

// The server a class names, found beside the ProgID first.
std::wstring serverOf(const std::wstring& clsidText, const Place& where)
{
    std::array<Place, 5> order{};
    order[0] = where;
    std::copy(kPlaces.begin(), kPlaces.end(), order.begin() + 1);
    for (const Place& place : order) {
        for (const wchar_t* kind : {L"\\InprocServer32", L"\\LocalServer32"}) {
            const auto path = readRegistryString(place.root, L"Software\\Classes\\CLSID\\" + clsidText + kind,
                                                 nullptr, place.view);
            if (path && !path->empty())
                return L"il server \"" + *path + L"\"";
        }
    }
    return L"la classe " + clsidText + L", senza percorso del server";
}

REGSAM viewFlag(RegistryView view)
{
    return view == RegistryView::Bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

bool keyExists(const std::wstring& key, RegistryView view)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE | viewFlag(view), &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

const wchar_t* serverKey(ServerKind kind)
{
    return kind == ServerKind::InProcess ? L"\\InprocServer32" : L"\\LocalServer32";
}

// The views a registration of that kind is written to and taken from.
std::vector<RegistryView> viewsOf(ServerKind kind)
{
    if (kind == ServerKind::InProcess || !twoViews())
        return {platform::win::kProgramView};
    return {platform::win::kProgramView, kOtherView};
}

LSTATUS deleteTree(const std::wstring& key, RegistryView view)
{
    HKEY classes = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0,
                                   KEY_ALL_ACCESS | viewFlag(view), &classes);
    if (status == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS)
        return status;
    status = RegDeleteTreeW(classes, key.substr(std::wstring(L"Software\\Classes\\").size()).c_str());
    RegCloseKey(classes);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LSTATUS setText(const std::wstring& key, const wchar_t* name, const std::wstring& value, RegistryView view)
{
    HKEY handle = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE | viewFlag(view),
                                     nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status;
}

std::wstring registeredText(const ForeignServer& foreign)
{
    return L"\"Korvalis.Server\" è registrato per " + foreign.server + L" (" + foreign.where + L")";
}

std::wstring environment(const wchar_t* name)
{
    std::wstring value(256, L'\0');
    for (;;) {
        const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length < value.size()) {
            value.resize(length); // 0 also when the variable is not set
            return value;
        }
        value.resize(length);
    }
}

std::string utf8(const std::wstring& text)
{
    return host::win::wideToUtf8(text.data(), text.size());
}

} // namespace

std::optional<ForeignServer> foreignServer()
{
    for (const Place& place : kPlaces) {
        const auto clsid = registeredClass(place);
        if (clsid && !isDemoClass(*clsid))
            return ForeignServer{placeText(place), serverOf(*clsid, place)};
    }
    return std::nullopt;
}

HRESULT registerServer(const std::wstring& path, ServerKind kind, std::wstring& message)
{
    if (const auto foreign = foreignServer()) {
        message = L"Registrazione del demo host rifiutata: " + registeredText(*foreign) +
                  L", e il demo host non ne prende il posto.";
        return SELFREG_E_CLASS;
    }
    const ServerKind other = kind == ServerKind::InProcess ? ServerKind::LocalServer : ServerKind::InProcess;
    const std::wstring progIdKey = kProgIdKey;
    const std::wstring clsidKey = kClsidKey;
    const std::wstring server = clsidKey + serverKey(kind);
    // COM starts a local server by its command line, which a quoted path keeps whole.
    const std::wstring command = kind == ServerKind::InProcess ? path : L"\"" + path + L"\"";
    struct Value
    {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    };
    std::vector<Value> values{
        {progIdKey, nullptr, L"Demo host InvCiv"},
        {progIdKey + L"\\CLSID", nullptr, kClsid},
        {clsidKey, nullptr, L"Demo host InvCiv (Korvalis.Server)"},
        {clsidKey + L"\\ProgID", nullptr, L"Korvalis.Server"},
        {server, nullptr, command},
    };
    if (kind == ServerKind::InProcess)
        values.push_back({server, L"ThreadingModel", L"Apartment"});
    for (const RegistryView view : viewsOf(other)) {
        if (const LSTATUS status = deleteTree(clsidKey + serverKey(other), view); status != ERROR_SUCCESS) {
            message = L"Registrazione del demo host non riuscita: HKEY_CURRENT_USER\\" + clsidKey + serverKey(other) +
                      L": " + host::win::toWide(host::win::systemMessage(HRESULT_FROM_WIN32(status)));
            return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
        }
    }
    for (const RegistryView view : viewsOf(kind)) {
        for (const auto& v : values) {
            const LSTATUS status = setText(v.key, v.name, v.value, view);
            if (status != ERROR_SUCCESS) {
                unregisterServer(kind); // no half registration stays behind
                const HRESULT hr = HRESULT_FROM_WIN32(static_cast<DWORD>(status));
                message = L"Registrazione del demo host non riuscita: HKEY_CURRENT_USER\\" + v.key + L": " +
                          host::win::toWide(host::win::systemMessage(hr));
                return hr;
            }
        }
    }
    return S_OK;
}

HRESULT unregisterServer(ServerKind kind)
{
    const std::wstring clsidKey = kClsidKey;
    for (const RegistryView view : viewsOf(kind)) {
        LSTATUS status = deleteTree(clsidKey + serverKey(kind), view);
        // The class goes with the last of its servers.
        if (status == ERROR_SUCCESS && !keyExists(clsidKey + L"\\InprocServer32", view) &&
            !keyExists(clsidKey + L"\\LocalServer32", view))
            status = deleteTree(clsidKey, view);
        if (status != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
    }
    // The ProgID serves both bitnesses: it goes with the last of the demo host's classes.
    const Place own{RegistryRoot::CurrentUser, platform::win::kProgramView};
    const auto clsid = registeredClass(own);
    if (clsid && isDemoClass(*clsid) && !keyExists(clsidKey, RegistryView::Bits32) &&
        !keyExists(clsidKey, RegistryView::Bits64)) {
        const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, kProgIdKey);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
    }
    return S_OK;
}

std::wstring shadowingMessage(const ForeignServer& foreign, const std::wstring& removal)
{
    return L"Il demo host non risponde: " + registeredText(foreign) +
           L", che il demo host nasconderebbe. Rimuovere il demo host con: " + removal;
}

std::string databaseFile()
{
    if (const std::wstring named = environment(L"INVCIV_DEMO_HOST"); !named.empty())
        return utf8(named);
    const auto chosen =
        readRegistryString(RegistryRoot::CurrentUser, kProgIdKey, kDatabaseValue, platform::win::kProgramView);
    if (chosen && !chosen->empty())
        return utf8(*chosen);
    PWSTR folder = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder);
    const std::wstring local = SUCCEEDED(hr) && folder ? folder : L"";
    CoTaskMemFree(folder);
    if (local.empty())
        throw host::AutomationError("Il demo host non trova la cartella dei dati locali dell'utente: " +
                                    host::win::systemMessage(hr));
    return utf8(local + L"\\InvCiv\\demo-host.sqlite");
}

} // namespace demohost::com
