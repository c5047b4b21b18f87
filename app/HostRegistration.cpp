#include "HostRegistration.h"

#ifdef _WIN32
#include "demohost/com/DemoServerIds.h"
#include "host/AutomationFactory.h"
#include "platform/win/ServerRegistry.h"
#endif

namespace app {

#ifdef _WIN32

std::vector<HostRegistrationFinding> hostRegistration()
{
    using platform::win::RegistryRoot;
    using platform::win::RegistryView;
    const auto found = platform::win::findServerRegistration(
        std::wstring(host::kHostProgId.begin(), host::kHostProgId.end()));
    if (!found)
        return {{false,
                 QStringLiteral("non registrato, né per l'utente né per il computer, in nessuna vista del "
                                "registro. Cosa fare: installare il programma di cartella clinica, o avviare "
                                "InvCiv con --demo-host per l'host dimostrativo")}};
    const int bits = static_cast<int>(sizeof(void*) * 8);
    const QString classText = QString::fromStdWString(found->clsid);
    const bool demo =
        classText.compare(QString::fromWCharArray(demohost::com::kClsid), Qt::CaseInsensitive) == 0;
    QString text =
        QStringLiteral("registrato ") +
        (found->root == RegistryRoot::CurrentUser ? QStringLiteral("per l'utente (HKEY_CURRENT_USER)")
                                                  : QStringLiteral("per il computer (HKEY_LOCAL_MACHINE)")) +
        (found->view == RegistryView::Bits64 ? QStringLiteral(", vista a 64 bit")
                                             : QStringLiteral(", vista a 32 bit")) +
        QStringLiteral(", classe ") + classText +
        (demo ? QStringLiteral(" (l'host dimostrativo di InvCiv)") : QString());
    if (found->file.empty())
        return {
            {false, text + QStringLiteral(": nessun file del server registrato. Cosa fare: reinstallare il "
                                          "programma di cartella clinica")}};
    text += (found->inProcess ? QStringLiteral("; nel processo (InprocServer32): ")
                              : QStringLiteral("; programma separato (LocalServer32): ")) +
            QString::fromStdWString(found->file);
    if (!found->fileExists) {
        // Each server of the demo host is registered again as it registers itself.
        const QString remedy =
            !demo ? QStringLiteral("reinstallare il programma di cartella clinica")
            : found->inProcess
                ? QStringLiteral("registrare di nuovo invciv-demo-server.dll con regsvr32, dalla cartella del "
                                 "programma")
                : QStringLiteral("registrare di nuovo l'host dimostrativo con \"invciv-demo-host.exe "
                                 "/regserver\", dalla cartella del programma");
        return {{false, text + QStringLiteral(": il file non esiste. Cosa fare: ") + remedy}};
    }
    // An in-process server is loaded into this program, which only one of its own bitness can be; a
    // separate program serves either.
    if (found->inProcess && found->fileBits != 0 && found->fileBits != bits)
        return {{false,
                 text + QStringLiteral(": il server è a %1 bit e questo programma a %2. Cosa fare: "
                                       "installare InvCiv a %1 bit (la sua versione x86 per un server a 32 "
                                       "bit)")
                            .arg(found->fileBits)
                            .arg(bits)}};
    return {
        {true, text + (found->inProcess ? QStringLiteral(" (a %1 bit come il programma)").arg(bits)
                                        : QStringLiteral(" (usabile da un programma a %1 bit)").arg(bits))}};
}

#else

std::vector<HostRegistrationFinding> hostRegistration()
{
    return {};
}

#endif

} // namespace app
