#pragma once
// Creation of automation objects by ProgID. Which backend stands behind the host's ProgID (COM, the demo
// host, a test's fake) is chosen by the front ends (app/HostChoice.h); the session only receives a
// factory.

#include "AutomationObject.h"

#include <functional>
#include <string>

namespace host {

// The host application's automation server.
inline const std::u16string kHostProgId = u"Korvalis.Server";

// Creates an automation object by ProgID. Tzantopat receives one of these, so tests can hand it fakes.
using AutomationFactory = std::function<std::unique_ptr<AutomationObject>(const std::u16string& progId)>;

// The error of a ProgID that no backend serves, worded as COM words it.
AutomationError classNotRegistered(const std::u16string& progId);

} // namespace host
