#include "ServerRegistry.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <cwctype>

namespace platform::win {

namespace {

bool isFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring trimmed(const std::wstring& text)
{
    const auto first = text.find_first_not_of(L" \t");
    const auto last = text.find_last_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring() : text.substr(first, last - first + 1);
}

} // namespace

int executableBits(const std::wstring& path)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return 0;
    unsigned char dos[0x40] = {};
    unsigned char pe[6] = {};
    int bits = 0;
    if (std::fread(dos, 1, sizeof dos, file) == sizeof dos && dos[0] == 'M' && dos[1] == 'Z') {
        const long offset =
            long(dos[0x3c]) | long(dos[0x3d]) << 8 | long(dos[0x3e]) << 16 | long(dos[0x3f]) << 24;
        if (offset > 0 && std::fseek(file, offset, SEEK_SET) == 0 &&
            std::fread(pe, 1, sizeof pe, file) == sizeof pe && pe[0] == 'P' && pe[1] == 'E' && pe[2] == 0 &&
            pe[3] == 0) {
            const unsigned machine = unsigned(pe[4]) | unsigned(pe[5]) << 8;
            bits = machine == IMAGE_FILE_MACHINE_I386                                     ? 32
                   : machine == IMAGE_FILE_MACHINE_AMD64 || machine == 0xAA64 /* ARM64 */ ? 64
                                                                                          : 0;
        }
    }
    std::fclose(file);
    return bits;
}

std::wstring serverFile(const std::wstring& entry)
{
    const std::wstring path = trimmed(entry);
    if (!path.empty() && path.front() == L'"') {
        const auto close = path.find(L'"', 1);
        return path.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    if (isFile(path))
        return path;
    std::wstring lower = path;
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    const auto exe = lower.find(L".exe");
    return exe == std::wstring::npos ? path : path.substr(0, exe + 4);
}

std::optional<ServerRegistration> findServerRegistration(const std::wstring& progId)
{
    constexpr RegistryView other =
        kProgramView == RegistryView::Bits64 ? RegistryView::Bits32 : RegistryView::Bits64;
    const std::array<std::pair<RegistryRoot, RegistryView>, 4> places{
        {{RegistryRoot::CurrentUser, kProgramView},
         {RegistryRoot::CurrentUser, other},
         {RegistryRoot::LocalMachine, kProgramView},
         {RegistryRoot::LocalMachine, other}}};
    for (const auto& [root, view] : places) {
        const auto clsid =
            readRegistryString(root, L"Software\\Classes\\" + progId + L"\\CLSID", nullptr, view);
        if (!clsid || clsid->empty())
            continue;
        ServerRegistration found;
        found.root = root;
        found.view = view;
        found.clsid = *clsid;
        // The class is looked for beside the ProgID, in its view and then the other: an in-process server
        // registered for the other bitness only is still found, and told apart by its view.
        for (const RegistryView classView :
             {view, view == RegistryView::Bits64 ? RegistryView::Bits32 : RegistryView::Bits64}) {
            for (const bool inProcess : {true, false}) {
                const auto entry =
                    readRegistryString(root,
                                       L"Software\\Classes\\CLSID\\" + *clsid +
                                           (inProcess ? L"\\InprocServer32" : L"\\LocalServer32"),
                                       nullptr, classView);
                if (!entry || trimmed(*entry).empty())
                    continue;
                found.view = classView;
                found.inProcess = inProcess;
                found.file = serverFile(*entry);
                found.fileExists = isFile(found.file);
                // A bare name ("server.dll") is looked for as Windows loads it: the system folders, PATH.
                std::wstring located = found.file;
                if (!found.fileExists && found.file.find_first_of(L"\\/") == std::wstring::npos) {
                    wchar_t buffer[MAX_PATH];
                    const DWORD length =
                        SearchPathW(nullptr, found.file.c_str(), nullptr, MAX_PATH, buffer, nullptr);
                    found.fileExists = length > 0 && length < MAX_PATH;
                    if (found.fileExists)
                        located.assign(buffer, length);
                }
                if (found.fileExists)
                    found.fileBits = executableBits(located);
                return found;
            }
        }
        return found;
    }
    return std::nullopt;
}

} // namespace platform::win
