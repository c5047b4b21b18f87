#include "ComErrors.h"

#include "ComValues.h"

#include <cstdio>

namespace host::win {

namespace {

std::string hexCode(HRESULT code)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(code));
    return buffer;
}

std::string bstrText(BSTR text)
{
    return wideToUtf8(text, SysStringLen(text));
}

} // namespace

std::string systemMessage(HRESULT code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    const std::string code16 = hexCode(code);
    if (text.empty())
        return "Errore " + code16;
    return wideToUtf8(text.data(), text.size()) + " (" + code16 + ")";
}

std::string invocationMessage(HRESULT code, const EXCEPINFO* exception)
{
    if (code == DISP_E_EXCEPTION && exception) {
        if (SysStringLen(exception->bstrDescription) > 0)
            return bstrText(exception->bstrDescription);
        if (FAILED(exception->scode))
            return systemMessage(exception->scode);
        if (exception->wCode != 0)
            return "Eccezione dell'oggetto di automazione, codice " + std::to_string(exception->wCode);
    }
    return systemMessage(code);
}

} // namespace host::win
