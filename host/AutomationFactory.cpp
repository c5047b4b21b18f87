#include "AutomationFactory.h"

namespace host {

AutomationError classNotRegistered(const std::u16string& progId)
{
    return AutomationError("Classe non registrata: \"" + toUtf8(progId) + "\"");
}

} // namespace host
