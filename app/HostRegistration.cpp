#include "HostRegistration.h"

#ifdef _WIN32
#include "demohost/com/DemoServerIds.h"
#include "platform/win/MachineRegistry.h"

#include <QFileInfo>

#include <array>
#include <optional>
#include <string>
#endif

namespace app {

#ifdef _WIN32

namespace {

using platform::win::readRegistryString;
using platform::win::RegistryRoot;
using platform::win::RegistryView;

constexpr RegistryView kOtherView =
    platform::win::kProgramView == RegistryView::Bits64 ? RegistryView::Bits32 : RegistryView::Bits64;

struct Place
{
    RegistryRoot root;
    RegistryView view;
};

// In the order the program's own lookup reads them: per user, then per machine, its own view first.
constexpr std::array<Place, 4> kPlaces{{{RegistryRoot::CurrentUser, platform::win::kProgramView},
                                        {RegistryRoot::CurrentUser, kOtherView},
                                        {RegistryRoot::LocalMachine, platform::win::kProgramView},
                                        {RegistryRoot::LocalMachine, kOtherView}}};

QString placeText(const Place& place)
{
    return QString::fromUtf8(place.root == RegistryRoot::CurrentUser ? "per l'utente (HKEY_CURRENT_USER)"
                                                                       : "per il computer (HKEY_LOCAL_MACHINE)") +
           (place.view == RegistryView::Bits64 ? QStringLiteral(", vista a 64 bit")
                                               : QStringLiteral(", vista a 32 bit"));
}

// The file a registered server path names: quotes and a program's arguments dropped.
QString serverFile(QString path)
{
    path = path.trimmed();
    if (path.startsWith(QLatin1Char('"')))
        return path.mid(1).section(QLatin1Char('"'), 0, 0);
    if (QFileInfo(path).isFile())
        return path;
    const qsizetype exe = path.indexOf(QStringLiteral(".exe"), 0, Qt::CaseInsensitive);
    return exe < 0 ? path : path.left(exe + 4);
}

} // namespace

std::vector<HostRegistrationFinding> hostRegistration()
{
    std::vector<HostRegistrationFinding> findings;
    const int bits = sizeof(void*) * 8;
    for (const Place& place : kPlaces) {
        const auto clsid =
            readRegistryString(place.root, std::wstring(demohost::com::kProgIdKey) + L"\\CLSID", nullptr, place.view);
        if (!clsid || clsid->empty())
            continue;
        const QString classText = QString::fromStdWString(*clsid);
        const bool demo = classText.compare(QString::fromWCharArray(demohost::com::kClsid), Qt::CaseInsensitive) == 0;
        QString text = QStringLiteral("registrato ") + placeText(place) + QStringLiteral(", classe ") + classText +
                       (demo ? QStringLiteral(" (l'host dimostrativo di InvCiv)") : QString());
        for (const auto& [kind, inProcess] :
             {std::pair{L"\\InprocServer32", true}, std::pair{L"\\LocalServer32", false}}) {
            const auto server = readRegistryString(place.root, L"Software\\Classes\\CLSID\\" + *clsid + kind,
                                                   nullptr, place.view);
            if (!server || server->empty())
                continue;
            const QString file = serverFile(QString::fromStdWString(*server));
            text += inProcess ? QStringLiteral("; nel processo (InprocServer32): ")
                              : QStringLiteral("; programma separato (LocalServer32): ");
            text += file;
            if (!QFileInfo(file).isFile()) {
                findings.push_back({false, text + QStringLiteral(": il file non esiste. Cosa fare: reinstallare il "
                                                                 "programma di cartella clinica (o, per l'host "
                                                                 "dimostrativo, registrare di nuovo "
                                                                 "invciv-demo-server.dll con regsvr32)")});
                return findings;
            }
            // An in-process server is loaded into this program: only one of its bitness can be.
            if (inProcess && place.view != platform::win::kProgramView) {
                findings.push_back({false, text + QStringLiteral(": è registrato solo nella vista dell'altra "
                                                                 "architettura e questo programma è a %1 bit. "
                                                                 "Cosa fare: installare InvCiv della stessa "
                                                                 "architettura del server")
                                                      .arg(bits)});
                return findings;
            }
            findings.push_back({true, text + (inProcess ? QStringLiteral(" (a %1 bit come il programma)").arg(bits)
                                                        : QStringLiteral(" (usabile da un programma a %1 bit)").arg(bits))});
            return findings;
        }
        findings.push_back({false, text + QStringLiteral(": nessun file del server registrato. Cosa fare: "
                                                         "reinstallare il programma di cartella clinica")});
        return findings;
    }
    findings.push_back({false, QStringLiteral("non registrato, né per l'utente né per il computer, in nessuna "
                                              "vista. Cosa fare: installare il programma di cartella clinica, o "
                                              "avviare InvCiv con --demo-host per l'host dimostrativo")});
    return findings;
}

#else

std::vector<HostRegistrationFinding> hostRegistration()
{
    return {};
}

#endif

} // namespace app
