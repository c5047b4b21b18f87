#pragma once
// Identity of the demo host's COM server (invciv-demo-server.dll): the host's ProgID under a class of its
// own, so that its registration is told from any other server's.

#include <windows.h>

#define INVCIV_DEMO_SERVER_CLSID L"{3716A77F-FDDC-43B3-A78D-E531FA8FDD8D}"
#define INVCIV_DEMO_SERVER_DLL L"invciv-demo-server.dll"
#define INVCIV_DEMO_HOST_EXE L"invciv-demo-host.exe"

namespace demohost::com {

inline constexpr wchar_t kClsid[] = INVCIV_DEMO_SERVER_CLSID;
inline constexpr CLSID kClsidValue = {0x3716a77f, 0xfddc, 0x43b3, {0xa7, 0x8d, 0xe5, 0x31, 0xfa, 0x8f, 0xdd, 0x8d}};
inline constexpr wchar_t kProgIdKey[] = L"Software\\Classes\\Korvalis.Server";
inline constexpr wchar_t kClsidKey[] = L"Software\\Classes\\CLSID\\" INVCIV_DEMO_SERVER_CLSID;
// Per user, beside the ProgID: the database file the server opens (unless INVCIV_DEMO_HOST names one).
inline constexpr wchar_t kDatabaseValue[] = L"DemoHostFile";

} // namespace demohost::com
