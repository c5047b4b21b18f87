#include "DemoHost.h"

namespace demohost {

struct DemoHost::Impl
{
};

DemoHost::DemoHost(const std::string& databaseFile) : d(std::make_unique<Impl>())
{
    throw host::AutomationError("Demo host non ancora disponibile: " + databaseFile);
}

DemoHost::~DemoHost() = default;

host::Result DemoHost::invoke(const std::string& method, host::Arguments&)
{
    throw host::AutomationError("Metodo sconosciuto: " + method);
}

void DemoHost::ensureDatabase(const std::string&) {}

} // namespace demohost
