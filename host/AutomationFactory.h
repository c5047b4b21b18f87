#pragma once
// Creation of automation objects by ProgID. Which backend stands behind the host's ProgID is chosen by
// the front ends (app/HostChoice.h); the session only receives a factory.

#include "AutomationObject.h"

#include <functional>
#include <string>

namespace host {

// The host application's automation server.
inline const std::u16string kHostProgId = u"Korvalis.Server";

// Creates an automation object by ProgID. Tzantopat receives one of these, so tests can hand it fakes.
using AutomationFactory = std::function<std::unique_ptr<AutomationObject>(const std::u16string& progId)>;

// The system's own creation by ProgID: COM on Windows; elsewhere there is no such object, and
// AutomationError says so.
std::unique_ptr<AutomationObject> createAutomationObject(const std::u16string& progId);

} // namespace host
