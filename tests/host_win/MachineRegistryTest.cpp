// platform::win::readMachineString against values written into one registry view or both. 64-bit Windows
// has both views, for 64-bit programs and for 32-bit ones under WoW64; 32-bit Windows has one, which both
// view flags reach.

#include "platform/win/MachineRegistry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using platform::win::kProgramView;
using platform::win::readMachineString;
using platform::win::RegistryView;

const wchar_t* const kKey = L"SOFTWARE\\InvCivTest";
const std::wstring kName = L"ultimo_utente";
// As the login passes it, with its leading backslash.
const std::wstring kKeyPath = L"\\SOFTWARE\\InvCivTest";

constexpr RegistryView kBothViews[] = {RegistryView::Bits32, RegistryView::Bits64};

REGSAM flag(RegistryView view)
{
    return view == RegistryView::Bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

RegistryView otherThan(RegistryView view)
{
    return view == RegistryView::Bits64 ? RegistryView::Bits32 : RegistryView::Bits64;
}

const char* nameOf(RegistryView view)
{
    return view == RegistryView::Bits64 ? "64-bit view" : "32-bit view";
}

bool twoViews()
{
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

class MachineRegistry : public testing::Test
{
protected:
    void SetUp() override { removeAll(); }
    void TearDown() override { removeAll(); }

    static void remove(RegistryView view) { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, flag(view), 0); }
    static void removeAll()
    {
        for (const RegistryView view : kBothViews)
            remove(view);
    }

    // Below HKEY_LOCAL_MACHINE, which needs an administrator on Windows; wine's prefix lets the user write
    // there.
    static void write(RegistryView view, DWORD type, const void* data, DWORD bytes)
    {
        HKEY key = nullptr;
        const LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                               KEY_SET_VALUE | flag(view), nullptr, &key, nullptr);
        if (status == ERROR_ACCESS_DENIED)
            GTEST_SKIP() << "HKEY_LOCAL_MACHINE is not writable here";
        ASSERT_EQ(status, ERROR_SUCCESS) << nameOf(view);
        EXPECT_EQ(RegSetValueExW(key, kName.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static void writeText(RegistryView view, const std::wstring& text)
    {
        write(view, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    static void writeNumber(RegistryView view, DWORD number)
    {
        write(view, REG_DWORD, &number, sizeof number);
    }
};

} // namespace

// The program reads its own view first: a 64-bit program finds what a 32-bit installer wrote, and a 32-bit
// one on 64-bit Windows what a 64-bit installer wrote.
TEST_F(MachineRegistry, TheProgramFindsTheValueWrittenInEitherView)
{
    for (const RegistryView written : kBothViews) {
        SCOPED_TRACE(nameOf(written));
        removeAll();
        EXPECT_EQ(readMachineString(kKeyPath, kName), L"");
        writeText(written, L"dott.Nicol\u00f2");
        if (IsSkipped() || HasFatalFailure())
            return;
        EXPECT_EQ(readMachineString(kKeyPath, kName), L"dott.Nicol\u00f2");
        EXPECT_EQ(readMachineString(kKeyPath, L"altro_valore"), L"");
    }
}

// Either view read first, as the 32- and the 64-bit program do, whichever this test program is.
TEST_F(MachineRegistry, TheViewReadFirstWinsAndHoldsOnlyStrings)
{
    if (!twoViews())
        GTEST_SKIP() << "32-bit Windows has a single registry view";
    for (const RegistryView first : kBothViews) {
        SCOPED_TRACE(std::string(nameOf(first)) + " first" +
                     (first == kProgramView ? " (this program's)" : ""));
        removeAll();
        writeText(first, L"proprio");
        writeText(otherThan(first), L"altro");
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_EQ(readMachineString(kKeyPath, kName, first), L"proprio")
            << "the two views are not kept apart";
        remove(first);
        EXPECT_EQ(readMachineString(kKeyPath, kName, first), L"altro");
        // A number where the string belongs counts as no value.
        writeNumber(first, 7);
        EXPECT_EQ(readMachineString(kKeyPath, kName, first), L"altro");
        remove(otherThan(first));
        EXPECT_EQ(readMachineString(kKeyPath, kName, first), L"");
    }
}
