#include "MachineRegistry.h"

#include <windows.h>

#include <optional>

namespace platform::win {

namespace {

// 32-bit Windows ignores both flags.
REGSAM accessFlag(RegistryView view)
{
    return view == RegistryView::Bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

class OpenKey
{
public:
    OpenKey(HKEY root, const std::wstring& path, REGSAM view)
    {
        if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~OpenKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

} // namespace

std::optional<std::wstring> readRegistryString(RegistryRoot root, const std::wstring& keyPath, const wchar_t* name,
                                               RegistryView view)
{
    const OpenKey key(root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, keyPath,
                      accessFlag(view));
    if (!key.get())
        return std::nullopt;
    // Ask for the size, then read; again if the value grew in between. RRF_RT_REG_SZ also takes
    // REG_EXPAND_SZ, expanded, and always ends the text with a null.
    DWORD bytes = 0;
    LSTATUS status = RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    for (int attempt = 0; attempt < 3 && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA); ++attempt) {
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
        if (status == ERROR_SUCCESS) {
            text.resize(bytes / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0')
                text.pop_back();
            return text;
        }
    }
    return std::nullopt;
}

std::wstring readMachineString(const std::wstring& keyPath, const std::wstring& name, RegistryView first)
{
    const std::size_t start = keyPath.find_first_not_of(L'\\');
    const std::wstring path = start == std::wstring::npos ? std::wstring() : keyPath.substr(start);
    const RegistryView other = first == RegistryView::Bits64 ? RegistryView::Bits32 : RegistryView::Bits64;
    for (const RegistryView view : {first, other}) {
        if (auto value = readRegistryString(RegistryRoot::LocalMachine, path, name.c_str(), view))
            return *value;
    }
    return {};
}

} // namespace platform::win
