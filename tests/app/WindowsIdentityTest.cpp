// What Explorer's properties, an antivirus and the installers read from our Windows files: each program's
// and the demo server's version resource (product, version, maker, Italian description, own name) and
// each program's icon. The files are the ones beside this test (the build's bin/), or those of the folder
// INVCIV_IDENTITY_DIR names (an installed copy). Each file's identity is printed on an "identity:" line.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::wstring folder()
{
    if (const wchar_t* dir = _wgetenv(L"INVCIV_IDENTITY_DIR"); dir && *dir) {
        std::wstring path(dir);
        if (path.back() != L'\\' && path.back() != L'/')
            path += L'\\';
        return path;
    }
    std::vector<wchar_t> self(MAX_PATH * 4);
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    std::wstring path(self.data(), n);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring widen(const char* text)
{
    return std::wstring(text, text + strlen(text));
}

// One value of the Italian, Unicode string table; "" when absent.
std::wstring stringValue(std::vector<char>& block, const wchar_t* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\041004B0\\") + name;
    if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || !value || length == 0)
        return {};
    return std::wstring(static_cast<const wchar_t*>(value));
}

struct File
{
    const wchar_t* name;
    DWORD fileType;
    bool always; // false: checked where the build made it
};

TEST(WindowsIdentity, EachFileSaysWhatItIsWhoMadeItAndWhichVersion)
{
    const File files[] = {{L"invciv.exe", VFT_APP, true},
                          {L"invciv-cli.exe", VFT_APP, true},
                          {L"invciv-demo-server.dll", VFT_DLL, true},
                          {L"invciv-demo-host.exe", VFT_APP, false}};
    for (const File& file : files) {
        const std::wstring path = folder() + file.name;
        if (!file.always && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        SCOPED_TRACE(utf8(path));
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource (error " << GetLastError() << ")";
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), INVCIV_VERSION_MAJOR);
        EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), INVCIV_VERSION_MINOR);
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwFileType, file.fileType);

        // Italian text in Unicode, the one table the strings are in.
        WORD* translation = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                   reinterpret_cast<void**>(&translation), &length));
        ASSERT_GE(length, 4u);
        EXPECT_EQ(translation[0], 0x0410);
        EXPECT_EQ(translation[1], 1200);

        EXPECT_EQ(stringValue(block, L"ProductName"), L"InvCiv");
        EXPECT_EQ(stringValue(block, L"CompanyName"), L"Brevalon-Ostrena");
        EXPECT_EQ(stringValue(block, L"ProductVersion"), widen(INVCIV_VERSION));
        EXPECT_EQ(stringValue(block, L"OriginalFilename"), file.name);
        const std::wstring description = stringValue(block, L"FileDescription");
        EXPECT_FALSE(description.empty());

        bool icon = false;
        if (file.fileType == VFT_APP) {
            const HMODULE module = LoadLibraryExW(path.c_str(), nullptr,
                                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
            ASSERT_NE(module, nullptr);
            // The first icon group is what Explorer, the shortcuts and the uninstall entry show.
            icon = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)) != nullptr;
            FreeLibrary(module);
#ifdef INVCIV_EXPECT_ICON
            EXPECT_TRUE(icon) << "no icon";
#endif
        }
        std::cout << "identity: " << utf8(file.name) << ": " << utf8(stringValue(block, L"ProductName"))
                  << ' ' << utf8(stringValue(block, L"ProductVersion")) << " (file "
                  << utf8(stringValue(block, L"FileVersion")) << "), "
                  << utf8(stringValue(block, L"CompanyName")) << ", \"" << utf8(description) << '"'
                  << (icon ? ", with its icon" : "") << std::endl;
    }
}

} // namespace
