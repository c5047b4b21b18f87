#pragma once
// Where an automation server's ProgID is registered, as the facts the self-check reports: free of Qt, so
// that the Windows cross-build tests it under wine.

#include "MachineRegistry.h"

#include <optional>
#include <string>

namespace platform::win {

struct ServerRegistration
{
    RegistryRoot root = RegistryRoot::CurrentUser; // where the ProgID is
    RegistryView view = kProgramView;              // the view that holds the class's server
    std::wstring clsid;                            // as the ProgID's CLSID value gives it
    bool inProcess = false; // InprocServer32; otherwise LocalServer32, or no server at all
    std::wstring file;      // the server's file, quotes and a program's arguments dropped; "" when none
    bool fileExists = false;
    int fileBits = 0; // 32 or 64 as the file's PE header says; 0 when it cannot be told
};

// The first registration of `progId` the program's lookup would find: per user before per machine, the
// program's own registry view before the other; the class's server read beside it, in the ProgID's view
// and then in the other. Nothing when no place holds the ProgID.
std::optional<ServerRegistration> findServerRegistration(const std::wstring& progId);

// The file a server entry names: `"C:\Program Files\Host\host.exe" /automation` gives the path between
// the quotes; an unquoted entry is the path up to ".exe" unless it names an existing file whole.
std::wstring serverFile(const std::wstring& entry);

// 32 or 64: the bitness of the program or DLL at `path` by its PE header's machine; 0 when the file cannot
// be read or is no PE file. An in-process server can be loaded only by a program of its own bitness.
int executableBits(const std::wstring& path);

} // namespace platform::win
