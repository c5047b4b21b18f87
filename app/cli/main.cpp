// invciv-cli: the windowless front end.

#include "Cli.h"
#include "app/HostChoice.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#ifdef _WIN32
#include "host/win/ComApartment.h"
#endif

namespace {

// Standard error carries the program's own messages only: Qt's warnings (about the desktop session, say)
// are dropped unless INVCIV_DEBUG is set.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("INVCIV_DEBUG"))
        qInstallMessageHandler(quietMessages);
#ifdef _WIN32
    const host::win::ComApartment apartment;
#endif
    QCoreApplication application(argc, argv);
    app::setApplicationIdentity();
    app::handleBusyHost(nullptr);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    return cli::runCli(words, out, err, &cli::passwordFromEnvironmentOrInput);
}
