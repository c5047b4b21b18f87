#pragma once
// Creation of automation objects by ProgID, and the choice between the real host and the demo host.

#include "AutomationObject.h"

#include <functional>
#include <string>

namespace host {

// The host application's automation server.
inline const std::u16string kHostProgId = u"Korvalis.Server";

// Creates an automation object by ProgID. Tzantopat receives one of these, so tests can hand it fakes.
using AutomationFactory = std::function<std::unique_ptr<AutomationObject>(const std::u16string& progId)>;

struct HostSelection
{
    // When true, "Korvalis.Server" is the demo host over demoHostFile. Always true off Windows.
    bool useDemoHost = true;
    // The demo host's SQLite file; created from the bundled seed when missing.
    std::string demoHostFile;
};

// The system's creation by ProgID: "Korvalis.Server" resolves to the demo host when the selection asks
// for it; anything else goes to COM on Windows and fails with AutomationError elsewhere.
std::unique_ptr<AutomationObject> createAutomationObject(const std::u16string& progId,
                                                         const HostSelection& selection);

AutomationFactory automationFactoryFor(HostSelection selection);

} // namespace host
