#pragma once
// Which host the front ends talk to: the real host through COM on Windows, or the demo host over an
// SQLite file (everywhere else, and on Windows with --demo-host).

#include "host/AutomationFactory.h"

#include <QString>

namespace platform {
class Platform;
}

namespace app {

// Both front ends share one application name, so they share the default demo-host file.
void setApplicationIdentity();

// The demo host's default file: $INVCIV_DEMO_HOST when set, else demo-host.sqlite in the application's
// local data folder (created when missing).
QString defaultDemoHostFile();

// `demoHostOption` is the --demo-host argument, "" when not given.
host::HostSelection hostSelection(const QString& demoHostOption);

// When the demo host is chosen, makes sure its database can be used (creating it from the seed when it
// is missing). Shows the reason as an error and gives false when it cannot.
bool prepareHost(const host::HostSelection& selection, platform::Platform& platform);

} // namespace app
