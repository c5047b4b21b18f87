#pragma once
// Texts for failed COM calls, in UTF-8 for host::AutomationError.

#include <windows.h>

#include <oaidl.h>

#include <string>

namespace host::win {

// The system's text for an HRESULT followed by its code, e.g. "Invalid class string (0x800401F3)".
std::string systemMessage(HRESULT code);

// The message of a failed Invoke: the server's EXCEPINFO description when it raised one (its scode's or
// wCode's text when it gave no description), the HRESULT's system text otherwise.
std::string invocationMessage(HRESULT code, const EXCEPINFO* exception);

} // namespace host::win
