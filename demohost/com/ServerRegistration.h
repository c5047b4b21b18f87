#pragma once
// Where the demo host's COM server is registered and which database it opens. It is registered per user
// (HKEY_CURRENT_USER\Software\Classes, no administrator needed), and never where it would take the place
// of another "Korvalis.Server", the host's own.

#include <windows.h>

#include <optional>
#include <string>

namespace demohost::com {

// A "Korvalis.Server" of another class than the demo host's.
struct ForeignServer
{
    std::wstring where;  // the classes key and registry view that hold it
    std::wstring server; // its server's path, or its class when no path is registered
};

// The first other "Korvalis.Server" the program's lookup could find: per user or per machine, in the
// registry view of either bitness.
std::optional<ForeignServer> foreignServer();

// The demo host's two servers under one class: invciv-demo-server.dll inside the program's process, or
// invciv-demo-host.exe, a program of its own as the host's server is. One is registered at a time: each
// registration takes the other's place.
enum class ServerKind { InProcess, LocalServer };

// Registers the ProgID and the class with `path` as its server of that kind, or refuses (SELFREG_E_CLASS)
// beside a foreign server, touching nothing; `message` says why whenever it fails. An in-process server
// is registered in this program's registry view, which only programs of its bitness read; a local
// server in both views, so that programs of either bitness start it.
HRESULT registerServer(const std::wstring& path, ServerKind kind, std::wstring& message);
// Removes the registration of that kind (the class's key where it names no other server), and the
// ProgID once it names the demo host's class and no view holds that class any more; another server's
// keys are left alone.
HRESULT unregisterServer(ServerKind kind);

// Why an object cannot be served: the demo host, registered first, would hide a server installed since.
// `removal` is the command that takes the demo host away.
std::wstring shadowingMessage(const ForeignServer& foreign, const std::wstring& removal);

// The database file (UTF-8): INVCIV_DEMO_HOST, else the per-user value DemoHostFile beside the ProgID,
// else demo-host.sqlite in the program's folder of the user's local application data (InvCiv, beside its
// work folder). Throws host::AutomationError when there is no local application data folder.
std::string databaseFile();

} // namespace demohost::com
