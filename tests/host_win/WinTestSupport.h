#pragma once
// What the Windows backend's tests share: whether they run under wine, the files built beside them, and
// string values written into the registry.

#include <windows.h>

#include <string>

namespace host_win_test {

inline bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// True where the registry has a 64-bit and a 32-bit view: 64-bit Windows, for programs of either bitness.
inline bool twoRegistryViews()
{
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

// A file in the test program's own folder, where the build puts the server DLLs.
inline std::wstring besideTests(const std::wstring& file)
{
    wchar_t buffer[MAX_PATH];
    const std::wstring path(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
    return path.substr(0, path.find_last_of(L"\\/") + 1) + file;
}

// Sets a string value (nullptr: the key's default), creating the key, in the registry view `view` asks
// for (0: the program's own). False when the key cannot be made: below HKEY_LOCAL_MACHINE that needs an
// administrator on Windows, while wine's prefix lets the user write there.
inline bool writeRegistryString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value,
                                REGSAM view = 0)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const bool written =
        RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
    RegCloseKey(handle);
    return written;
}

} // namespace host_win_test
