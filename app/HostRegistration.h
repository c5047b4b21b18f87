#pragma once
// Where "Korvalis.Server" is registered, for the self-check (Windows; elsewhere there is no registry and
// the demo host stands in).

#include <QString>

#include <vector>

namespace app {

struct HostRegistrationFinding
{
    bool ok = true;
    QString text; // what was found; for a problem, what to do about it
};

// The registration the program's creation would find: per user or per machine, in which registry view,
// the class, in-process (InprocServer32) or a program of its own (LocalServer32), the registered file and
// whether it is there, whether it is the demo host's server, and whether a program of this bitness can
// load it (an in-process server must be of the program's bitness; a separate program need not). Empty
// off Windows.
std::vector<HostRegistrationFinding> hostRegistration();

} // namespace app
