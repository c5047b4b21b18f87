#pragma once
// Which host the front ends talk to: the real host through COM on Windows, or the demo host over an
// SQLite file (everywhere else, and on Windows with --demo-host).

#include "host/AutomationFactory.h"

#include <QString>

#include <functional>
#include <string>

namespace platform {
class Platform;
}

namespace app {

struct HostSelection
{
    // When true, "Korvalis.Server" is the demo host over demoHostFile. Always true off Windows.
    bool useDemoHost = true;
    // The demo host's SQLite file; created from the bundled seed when missing.
    std::string demoHostFile;
};

// Both front ends share one application name, so they share the default demo-host file.
void setApplicationIdentity();

// The demo host's default file: $INVCIV_DEMO_HOST when set, else demo-host.sqlite in the application's
// local data folder (created when missing).
QString defaultDemoHostFile();

// `demoHostOption` is the --demo-host argument, "" when not given.
HostSelection hostSelection(const QString& demoHostOption);

// The selection of the running program, from its own command line (--demo-host FILE or
// --demo-host=FILE), for windows that need it after start-up (the self-check).
HostSelection hostSelectionOfProgram();

// When the demo host is chosen, makes sure its database can be used (creating it from the seed when it
// is missing). Shows the reason as an error and gives false when it cannot.
bool prepareHost(const HostSelection& selection, platform::Platform& platform);

// Creation by ProgID as the selection asks: "Korvalis.Server" is the demo host when it is chosen;
// anything else goes to COM on Windows and fails with host::AutomationError elsewhere.
host::AutomationFactory automationFactoryFor(HostSelection selection);

// How the program waits for a host that turns its calls away while a window of its own waits for the
// doctor (Windows): the windows (`askWith` given) wait three seconds, told by `waiting` (the hourglass),
// then ask through it whether to keep trying, each three seconds again; the command line, with no one
// to ask, waits ten seconds and gives up. Either way a call given up fails with the operation's message.
// Nothing elsewhere.
void handleBusyHost(platform::Platform* askWith, std::function<void(bool waiting)> waiting = {});

inline const QString kHostBusyQuestion =
    QStringLiteral("Il programma della cartella clinica è occupato: forse una sua finestra attende una "
                   "risposta.\n\nRispondere in quella finestra, poi scegliere \"Sì\" per riprovare, oppure "
                   "\"No\" per rinunciare all'operazione (quanto scritto resta).");

} // namespace app
