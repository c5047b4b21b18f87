// The cost of the host in another process (Windows, under wine here): calls per second and the search
// window's reload of 1,000 rows through the demo host as a program of its own (the local COM server),
// through the demo host's DLL inside this process, and with the demo host called directly (--demo-host),
// side by side; and for each reload the longest stretch the window's event loop would go without taking
// input, under the window's own rule (it takes input between two rows once kReloadYieldMs have passed).
//
//   bench_host_boundary [ROWS] [CALLS]      (1000 rows, 2000 calls by default)

#include "DemoPatients.h"

#include "app/PatientSearch.h"
#include "demohost/DemoHost.h"
#include "demohost/com/DemoServerIds.h"
#include "host/Tzantopat.h"
#include "host/win/ComApartment.h"
#include "host/win/ComAutomation.h"
#include "platform/ConsolePlatform.h"
#include "tests/host_win/WinTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct Figures
{
    double callsPerSecond = 0;
    double reloadMs = 0;
    double longestStretchMs = 0;
    int rows = 0;
};

Figures measure(const host::AutomationFactory& factory, int calls)
{
    Figures figures;
    platform::ConsolePlatform platform(QDir::tempPath(), QDir::tempPath() + QLatin1Char('/'));
    Tzantopat session(platform, factory);
    session.s_utente = session.s_password = QStringLiteral("bench");
    if (!session.start())
        return figures;

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < calls; ++i)
        session.leggi_attributo(QStringLiteral("userid_utente"));
    figures.callsPerSecond = calls * 1e9 / std::max<qint64>(clock.nsecsElapsed(), 1);

    // The reload as the window makes it: the stretch runs from its start to the first time the window
    // takes input, and from each such time to the next, or to the end.
    QElapsedTimer sinceInput;
    double longest = 0;
    clock.restart();
    sinceInput.start();
    const app::PatientList list = app::readPatients(session, QStringLiteral("BE"), QString(), [&] {
        if (sinceInput.nsecsElapsed() >= app::kReloadYieldMs * 1000000LL) {
            longest = std::max(longest, sinceInput.nsecsElapsed() / 1e6);
            sinceInput.restart();
        }
        return true;
    });
    figures.reloadMs = clock.nsecsElapsed() / 1e6;
    figures.longestStretchMs = std::max(longest, sinceInput.nsecsElapsed() / 1e6);
    figures.rows = static_cast<int>(list.rows.size());
    return figures;
}

void print(const char* name, const Figures& f)
{
    std::printf("%-34s %10.0f calls/s   reload of %d rows: %8.1f ms   longest stretch without input: %6.1f ms\n",
                name, f.callsPerSecond, f.rows, f.reloadMs, f.longestStretchMs);
}

} // namespace

int main(int argc, char** argv)
{
    const host::win::ComApartment apartment;
    QCoreApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int calls = argc > 2 ? std::atoi(argv[2]) : 2000;

    QTemporaryDir folder;
    const std::string database = QDir(folder.path()).filePath(QStringLiteral("bench.sqlite")).toStdString();
    bench_support::addDemoPatients(database, 900, "bench", rows,
                                   [](int i) { return "BENCH" + std::to_string(100000 + i); });
    const std::wstring file = QDir::toNativeSeparators(QString::fromStdString(database)).toStdWString();
    host_win_test::writeRegistryString(HKEY_CURRENT_USER, demohost::com::kProgIdKey, demohost::com::kDatabaseValue,
                                       file);
    SetEnvironmentVariableW(L"INVCIV_DEMO_HOST", file.c_str());

    const auto viaCom = [](const std::u16string& progId) { return host::createComObject(progId); };
    const std::wstring server = host_win_test::besideTests(INVCIV_DEMO_HOST_EXE);
    const std::wstring dll = host_win_test::besideTests(INVCIV_DEMO_SERVER_DLL);
    const auto registered = [](bool ok) {
        host_win_test::mirrorClassesUnderWine({demohost::com::kProgIdKey, demohost::com::kClsidKey}, ok);
        return ok;
    };

    std::printf("bench_host_boundary: %d rows, %d calls each\n", rows, calls);
    if (registered(host_win_test::runProgram(server, L"/regserver /s") == 0))
        print("local server (another process)", measure(viaCom, calls));
    else
        std::printf("local server: NOT RUN, %ls could not be registered\n", server.c_str());
    host_win_test::runProgram(server, L"/unregserver /s");

    using Register = HRESULT(STDAPICALLTYPE*)();
    const HMODULE module = LoadLibraryW(dll.c_str());
    const auto entry = [module](const char* name) {
        const FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
        return proc ? reinterpret_cast<Register>(reinterpret_cast<void (*)()>(proc))() : E_FAIL;
    };
    if (registered(entry("DllRegisterServer") == S_OK))
        print("in-process server (DLL)", measure(viaCom, calls));
    else
        std::printf("in-process server: NOT RUN, %ls could not be registered\n", dll.c_str());
    entry("DllUnregisterServer");
    registered(false);

    print("--demo-host (no COM)", measure(demohost::automationFactory(database), calls));
    return 0;
}
