#pragma once
// String values from the Windows registry: machine-wide settings found in either registry view, and single
// reads for the demo host's COM server. Free of Qt, so that the Windows cross-build tests it under wine
// beside the COM backend.

#include <optional>
#include <string>

namespace platform::win {

// 64-bit Windows keeps two views of HKEY_LOCAL_MACHINE\SOFTWARE: a 32-bit installer writes into the 32-bit
// view (WOW6432Node), a 64-bit one into the 64-bit view. 32-bit Windows has one view, which both name.
enum class RegistryView { Bits32, Bits64 };
constexpr RegistryView kProgramView = sizeof(void*) == 8 ? RegistryView::Bits64 : RegistryView::Bits32;

enum class RegistryRoot { CurrentUser, LocalMachine };

// The string value `name` (nullptr: the key's default value) of the key `keyPath` below `root`, in one view;
// nothing when the key or a string value is missing (a value of another type counts as none).
std::optional<std::wstring> readRegistryString(RegistryRoot root, const std::wstring& keyPath, const wchar_t* name,
                                               RegistryView view);

// The string value `name` of the key `keyPath` (leading backslashes ignored) below HKEY_LOCAL_MACHINE,
// read in the view `first` (the program's own bitness) and, when that holds no such string value, in the
// other view. "" when neither does; a value of another type counts as none.
std::wstring readMachineString(const std::wstring& keyPath, const std::wstring& name,
                               RegistryView first = kProgramView);

} // namespace platform::win
