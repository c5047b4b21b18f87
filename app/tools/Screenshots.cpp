// invciv-screenshots: renders the login window and the patient search window (logged in to the demo
// host, with a list loaded) into PNG files, from the real windows. Used by scripts/screenshots.
//
//   invciv-screenshots --demo-host FILE --out DIR [--user NAME --password PW --initials TEXT]

#include "app/HostChoice.h"
#include "app/Login.h"
#include "app/TFormMain.h"
#include "app/TfrmLogin.h"
#include "platform/ConsolePlatform.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLineEdit>
#include <QTableView>

#include <cstdio>

namespace {

bool save(QWidget& widget, const QString& file)
{
    QApplication::processEvents();
    if (widget.grab().save(file))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    app::setApplicationIdentity();

    QCommandLineParser parser;
    const QCommandLineOption demoHost(QStringLiteral("demo-host"), QStringLiteral("Demo host file."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Output folder."),
                                 QStringLiteral("DIR"), QStringLiteral("."));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("Host user."),
                                  QStringLiteral("NAME"), QStringLiteral("demo"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("Password."),
                                      QStringLiteral("PW"), QStringLiteral("demo"));
    const QCommandLineOption initials(QStringLiteral("initials"), QStringLiteral("Surname initials."),
                                      QStringLiteral("TEXT"), QStringLiteral("RO"));
    parser.addOptions({demoHost, out, user, password, initials});
    parser.process(application);

    platform::ConsolePlatform console(QString(),
                                      QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + '/'));
    const host::HostSelection selection{true, parser.value(demoHost).isEmpty()
                                                  ? app::defaultDemoHostFile().toStdString()
                                                  : parser.value(demoHost).toStdString()};
    if (!app::prepareHost(selection, console))
        return 1;
    const QDir folder(parser.value(out));
    QDir().mkpath(folder.path());

    TFormMain window(console, host::automationFactoryFor(selection), nullptr);
    {
        TfrmLogin login(window.Session(), window.platform(), &window);
        login.findChild<QLineEdit*>(QStringLiteral("txtUtente"))->setText(parser.value(user));
        login.findChild<QLineEdit*>(QStringLiteral("txtPw"))->setText(parser.value(password));
        login.show();
        if (!save(login, folder.filePath(QStringLiteral("login.png"))))
            return 1;
    }

    if (!app::CheckLogin(window.Session(), window.platform(), parser.value(user), parser.value(password)))
        return 1;
    window.show();
    window.findChild<QLineEdit*>(QStringLiteral("editCognome"))->setText(parser.value(initials));
    window.LoadPatients();
    auto* grid = window.findChild<QTableView*>(QStringLiteral("gridDati"));
    if (grid->model()->rowCount() > 0)
        grid->selectRow(0);
    return save(window, folder.filePath(QStringLiteral("main.png"))) ? 0 : 1;
}
