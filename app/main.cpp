// invciv: the desktop program. Logs the doctor in to the host and opens the patient search.

#include "HostChoice.h"
#include "HostOutputFlows.h"
#include "TFormMain.h"
#include "platform/QtPlatform.h"
#include "platform/SupportLog.h"
#include "widgets/ZantoLogo.h"

#include <QApplication>
#include <QCommandLineParser>

#ifdef _WIN32
#include "host/win/ComApartment.h"
#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The host's automation server lives in the user-interface thread's single-threaded apartment.
    const host::win::ComApartment apartment;
#endif
    QApplication application(argc, argv);
    app::setApplicationIdentity();
    // Every window's title bar and the taskbar show the product's emblem.
    application.setWindowIcon(widgets::zantoIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(platform::kApplicationTitle);
    parser.addHelpOption();
    const QCommandLineOption demoHost(QStringLiteral("demo-host"),
                                      QStringLiteral("Use the demo host over FILE (created when missing)."),
                                      QStringLiteral("FILE"));
    parser.addOption(demoHost);
    parser.process(application);

    platform::QtPlatform platform;
    platform.log(QStringLiteral("avvio di invciv ") + platform::programVersion());
    app::handleBusyHost(&platform, [](bool waiting) {
        if (waiting)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    const app::HostSelection selection = app::hostSelection(parser.value(demoHost));
    if (!app::prepareHost(selection, platform))
        return 1;

    app::TFormMain window(platform, app::automationFactoryFor(selection), [](app::TFormMain& main) {
        return std::make_unique<app::HostOutputFlows>(
            main.Session(), main.platform(), &main, [&main](const QString& text) { main.ShowStatus(text); });
    });
    if (!window.FormCreate())
        return 0; // login cancelled: the window's destruction stops the session
    window.show();
    return application.exec();
}
