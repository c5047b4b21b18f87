#include "AutomationFactory.h"

#ifdef _WIN32
#include "host/win/ComAutomation.h"
#endif

namespace host {

std::unique_ptr<AutomationObject> createAutomationObject(const std::u16string& progId)
{
#ifdef _WIN32
    return createComObject(progId);
#else
    throw AutomationError("Classe non registrata: \"" + toUtf8(progId) +
                          "\" (gli oggetti di automazione esistono solo su Windows)");
#endif
}

} // namespace host
