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

host::HostFault faultOf(HRESULT code)
{
    switch (static_cast<unsigned long>(code)) {
    case 0x80010001UL: // RPC_E_CALL_REJECTED
    case 0x8001010AUL: // RPC_E_SERVERCALL_RETRYLATER
    case 0x8001010BUL: // RPC_E_SERVERCALL_REJECTED
        return host::HostFault::Busy;
    case 0x80010108UL: // RPC_E_DISCONNECTED
    case 0x80010007UL: // RPC_E_SERVER_DIED
    case 0x80010012UL: // RPC_E_SERVER_DIED_DNE
    case 0x800401FDUL: // CO_E_OBJNOTCONNECTED
    case 0x800706BAUL: // RPC_S_SERVER_UNAVAILABLE
    case 0x800706BEUL: // RPC_S_CALL_FAILED
    case 0x800706BFUL: // RPC_S_CALL_FAILED_DNE
        return host::HostFault::Gone;
    default:
        return host::HostFault::None;
    }
}

host::AutomationError callFailed(HRESULT code, const std::string& message)
{
    switch (const host::HostFault fault = faultOf(code)) {
    case host::HostFault::Busy:
        return host::AutomationError(
            "Il programma della cartella clinica è occupato e non ha accettato la richiesta: " + message, fault);
    case host::HostFault::Gone:
        return host::AutomationError(
            "Il programma della cartella clinica è stato chiuso o non risponde più: " + message, fault);
    case host::HostFault::None:
        break;
    }
    return host::AutomationError(message);
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
