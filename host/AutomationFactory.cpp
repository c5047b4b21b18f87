#include "AutomationFactory.h"

#include "demohost/DemoHost.h"

#ifdef _WIN32
#include "host/win/ComAutomation.h"
#endif

namespace host {

std::unique_ptr<AutomationObject> createAutomationObject(const std::u16string& progId,
                                                         const HostSelection& selection)
{
    if (progId == kHostProgId && selection.useDemoHost)
        return std::make_unique<demohost::DemoHost>(selection.demoHostFile);
#ifdef _WIN32
    return createComObject(progId);
#else
    throw AutomationError("Classe non registrata: \"" + toUtf8(progId) +
                          "\" (gli oggetti di automazione esistono solo su Windows)");
#endif
}

AutomationFactory automationFactoryFor(HostSelection selection)
{
    return [selection = std::move(selection)](const std::u16string& progId) {
        return createAutomationObject(progId, selection);
    };
}

} // namespace host
