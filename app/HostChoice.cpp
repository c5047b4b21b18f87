#include "HostChoice.h"

#include "demohost/DemoHost.h"
#include "platform/Platform.h"

#ifdef _WIN32
#include "host/win/BusyHost.h"
#include "host/win/ComAutomation.h"
#endif

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <exception>

namespace app {

void setApplicationIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("invciv"));
}

QString defaultDemoHostFile()
{
    const QString fromEnvironment = qEnvironmentVariable("INVCIV_DEMO_HOST");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("demo-host.sqlite"));
}

HostSelection hostSelection(const QString& demoHostOption)
{
    if (!demoHostOption.isEmpty())
        return {true, demoHostOption.toStdString()};
#ifdef _WIN32
    return {false, {}};
#else
    return {true, defaultDemoHostFile().toStdString()};
#endif
}

HostSelection hostSelectionOfProgram()
{
    const QStringList words = QCoreApplication::arguments();
    const QString option = QStringLiteral("--demo-host");
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (words[i] == QLatin1String("--"))
            break;
        if (words[i] == option && i + 1 < words.size())
            return hostSelection(words[i + 1]);
        if (words[i].startsWith(option + QLatin1Char('=')))
            return hostSelection(words[i].mid(option.size() + 1));
    }
    return hostSelection(QString());
}

bool prepareHost(const HostSelection& selection, platform::Platform& platform)
{
    if (!selection.useDemoHost)
        return true;
    try {
        demohost::DemoHost::ensureDatabase(selection.demoHostFile);
        return true;
    } catch (const std::exception& error) {
        platform.showMessage(platform::MessageKind::Error, QString::fromUtf8(error.what()));
        return false;
    }
}

host::AutomationFactory automationFactoryFor(HostSelection selection)
{
    if (selection.useDemoHost)
        return demohost::automationFactory(std::move(selection.demoHostFile));
    return [](const std::u16string& progId) -> std::unique_ptr<host::AutomationObject> {
#ifdef _WIN32
        return host::createComObject(progId);
#else
        // Automation servers exist on Windows only.
        throw host::AutomationError(host::classNotRegistered(progId).what() +
                                    std::string(" (gli oggetti di automazione esistono solo su Windows)"));
#endif
    };
}

void handleBusyHost([[maybe_unused]] platform::Platform* askWith,
                    [[maybe_unused]] std::function<void(bool waiting)> waiting)
{
#ifdef _WIN32
    host::win::BusyHandling handling;
    handling.waiting = std::move(waiting);
    if (askWith) {
        handling.keepTrying = [askWith] { return askWith->askYesNo(kHostBusyQuestion); };
    } else {
        handling.askAfterMs = 10000;
    }
    host::win::setBusyHandling(std::move(handling));
#endif
}

} // namespace app
