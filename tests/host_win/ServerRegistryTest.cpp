// platform::win::findServerRegistration: what the self-check reports of a server's registration, read
// from keys written per user for a ProgID of the tests' own.

#include "platform/win/ServerRegistry.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>

namespace {

using platform::win::findServerRegistration;
using platform::win::kProgramView;
using platform::win::RegistryRoot;

const std::wstring kProgId = L"InvCivTest.Diagnosis";
const std::wstring kClsid = L"{6A1E2F1B-0D2C-4C55-9E44-1F0A3B7C9D21}";
const std::wstring kProgIdKey = L"Software\\Classes\\" + kProgId;
const std::wstring kClsidKey = L"Software\\Classes\\CLSID\\" + kClsid;

void clear()
{
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY classes = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_ALL_ACCESS | view, &classes) == 0) {
            RegDeleteTreeW(classes, kProgId.c_str());
            RegDeleteTreeW(classes, (L"CLSID\\" + kClsid).c_str());
            RegCloseKey(classes);
        }
    }
}

// A file that is a DLL of the other bitness as far as its PE header goes.
std::wstring otherBitnessDll()
{
    const std::wstring path = host_win_test::besideTests(L"other-bitness.dll");
    unsigned char bytes[0x48] = {'M', 'Z'};
    bytes[0x3c] = 0x40;
    const unsigned machine = sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64;
    const unsigned char pe[6] = {
        'P', 'E', 0, 0, static_cast<unsigned char>(machine & 0xff), static_cast<unsigned char>(machine >> 8)};
    std::copy(std::begin(pe), std::end(pe), bytes + 0x40);
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file) {
        std::fwrite(bytes, 1, sizeof bytes, file);
        std::fclose(file);
    }
    return path;
}

std::wstring testProgram()
{
    wchar_t buffer[MAX_PATH];
    return std::wstring(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
}

TEST(ServerRegistry, TellsWhereWhichKindAndWhetherTheFileIsThere)
{
    const std::wstring program = testProgram();
    struct Case
    {
        const char* what;
        const wchar_t* kind; // the class's server key; nullptr: none
        std::wstring entry;
        bool inProcess;
        std::wstring file;
        bool exists;
        int bits = 0; // the file's, as its PE header says
    };
    const int own = sizeof(void*) * 8;
    const std::wstring otherDll = otherBitnessDll();
    const Case cases[] = {
        {"in process", L"\\InprocServer32", program, true, program, true, own},
        {"server file gone", L"\\InprocServer32", host_win_test::besideTests(L"gone-server.dll"), true,
         host_win_test::besideTests(L"gone-server.dll"), false},
        {"separate program with arguments", L"\\LocalServer32", L"\"" + program + L"\" /automation", false,
         program, true, own},
        {"no server for the class", nullptr, {}, false, {}, false},
        {"in process of the other bitness", L"\\InprocServer32", otherDll, true, otherDll, true, 96 - own},
    };
    clear();
    EXPECT_FALSE(findServerRegistration(kProgId).has_value()) << "no registered server";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clear();
        ASSERT_TRUE(
            host_win_test::writeRegistryString(HKEY_CURRENT_USER, kProgIdKey + L"\\CLSID", nullptr, kClsid));
        if (c.kind) {
            ASSERT_TRUE(
                host_win_test::writeRegistryString(HKEY_CURRENT_USER, kClsidKey + c.kind, nullptr, c.entry));
        }
        const auto found = findServerRegistration(kProgId);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->root, RegistryRoot::CurrentUser);
        EXPECT_EQ(found->view, kProgramView);
        EXPECT_EQ(found->clsid, kClsid);
        EXPECT_EQ(found->inProcess, c.inProcess);
        EXPECT_EQ(found->file, c.file);
        EXPECT_EQ(found->fileExists, c.exists);
        EXPECT_EQ(found->fileBits, c.bits);
    }
    clear();
    DeleteFileW(otherDll.c_str());
    EXPECT_EQ(platform::win::serverFile(L"  C:\\Host\\Host.EXE -Embedding"), L"C:\\Host\\Host.EXE");
}

} // namespace
