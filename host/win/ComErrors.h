#pragma once
// Texts for failed COM calls, in UTF-8 for host::AutomationError.

#include <windows.h>

#include <oaidl.h>

#include "host/AutomationObject.h"

#include <string>

namespace host::win {

// The system's text for an HRESULT followed by its code, e.g. "Invalid class string (0x800401F3)".
std::string systemMessage(HRESULT code);

// What a failed call's HRESULT says of the host: busy (the call was rejected until the program's message
// filter gave up), gone (its process ended or cut the connection), or nothing in particular.
host::HostFault faultOf(HRESULT code);

// The error of a failed call: for a busy or gone host a sentence that says so, then the system's text.
host::AutomationError callFailed(HRESULT code, const std::string& message);

// The message of a failed Invoke: the server's EXCEPINFO description when it raised one (its scode's or
// wCode's text when it gave no description), the HRESULT's system text otherwise.
std::string invocationMessage(HRESULT code, const EXCEPINFO* exception);

} // namespace host::win
