#pragma once
// What the Windows backend's tests share: whether they run under wine, the files built beside them, and
// string values written into the registry.

#include <windows.h>

#include <initializer_list>
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

// Wine's COM reads only the machine's classes, where Windows reads the user's first: under wine the
// per-user keys below Software\Classes are copied there, in both registry views (or removed from there,
// `present` false), so that the program's lookup finds what a server's own registration wrote.
inline void mirrorClassesUnderWine(std::initializer_list<const wchar_t*> keys, bool present)
{
    if (!underWine())
        return;
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        for (const wchar_t* key : keys) {
            HKEY classes = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_ALL_ACCESS | view, &classes) == 0) {
                RegDeleteTreeW(classes, key + std::wstring(L"Software\\Classes\\").size());
                RegCloseKey(classes);
            }
            HKEY from = nullptr;
            HKEY to = nullptr;
            if (present && RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ | view, &from) == 0 &&
                RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &to,
                                nullptr) == 0)
                RegCopyTreeW(from, nullptr, to);
            RegCloseKey(from);
            RegCloseKey(to);
        }
    }
}

// Runs a program with its arguments and waits for it; its exit status, or -1 when it did not run.
inline long runProgram(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(status);
}

} // namespace host_win_test
