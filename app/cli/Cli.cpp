#include "Cli.h"

#include "CliCommands.h"
#include "CliOptions.h"
#include "app/Diagnosis.h"
#include "app/HostChoice.h"
#include "app/Login.h"
#include "fdf/OutputFiles.h"
#include "host/Tzantopat.h"
#include "platform/ConsolePlatform.h"
#include "platform/SupportLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace cli {

QString usage()
{
    QString text = QStringLiteral(
        "usage: invciv-cli [--demo-host FILE] [--desktop DIR] --user NAME COMMAND [ARGUMENTS]\n"
        "\n"
        "The password is read from the environment variable INVCIV_PASSWORD, or else from the first line\n"
        "of standard input: at a terminal, after the prompt \"Password: \", without showing what is typed.\n"
        "\n"
        "options:\n"
        "  --demo-host FILE  use the demo host over FILE (created from the seed when missing)\n"
        "  --desktop DIR     the folder that stands for the desktop\n"
        "  --user NAME       the host user name\n"
        "  --help            print this text\n"
        "\n"
        "commands:\n");
    for (const CliCommand& command : commands()) {
        const QString head = QStringLiteral("  ") + command.name + QLatin1Char(' ') + command.synopsis;
        const QStringList lines = command.description.split(QLatin1Char('\n'));
        text += head.leftJustified(30) + QLatin1Char(' ') + lines.first() + QLatin1Char('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            text += QString(31, QLatin1Char(' ')) + lines.at(i) + QLatin1Char('\n');
    }
    text += QStringLiteral(
        "  diagnose                     the installation's self-check, without --user and without\n"
        "                               logging in: one line per check, OK or the problem and\n"
        "                               what to do (in Italian); status 0 only when all hold\n");
    text +=
        QStringLiteral("\n"
                       "exit status: 2 wrong usage; 1 when any error was shown on standard error, whatever\n"
                       "was printed (a warning, which starts with \"Attenzione:\", is not an error);\n"
                       "0 otherwise\n");
    return text;
}

namespace {

// Turns the terminal's echo off for its lifetime when standard input is a terminal, so that what is
// typed does not show; restores it however the scope ends.
class HiddenTyping
{
public:
    HiddenTyping()
    {
#ifdef _WIN32
        m_input = GetStdHandle(STD_INPUT_HANDLE);
        m_terminal = GetConsoleMode(m_input, &m_mode) != 0;
        if (m_terminal)
            SetConsoleMode(m_input, m_mode & ~DWORD(ENABLE_ECHO_INPUT));
#else
        m_terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &m_mode) == 0;
        if (m_terminal) {
            termios hidden = m_mode;
            hidden.c_lflag &= ~tcflag_t(ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
        }
#endif
    }
    ~HiddenTyping()
    {
        if (!m_terminal)
            return;
#ifdef _WIN32
        SetConsoleMode(m_input, m_mode);
#else
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_mode);
#endif
    }
    HiddenTyping(const HiddenTyping&) = delete;
    HiddenTyping& operator=(const HiddenTyping&) = delete;

    bool terminal() const
    {
        return m_terminal;
    }

private:
    bool m_terminal = false;
#ifdef _WIN32
    HANDLE m_input = nullptr;
    DWORD m_mode = 0;
#else
    termios m_mode{};
#endif
};

} // namespace

QString passwordFromEnvironmentOrInput()
{
    if (qEnvironmentVariableIsSet("INVCIV_PASSWORD"))
        return qEnvironmentVariable("INVCIV_PASSWORD");
    std::string line;
    {
        const HiddenTyping hidden;
        // A person at a terminal is asked; a pipe is read as it comes.
        if (hidden.terminal()) {
            std::fputs("Password: ", stderr);
            std::fflush(stderr);
        }
        std::getline(std::cin, line);
        if (hidden.terminal()) // the Enter typed did not show either
            std::fputs("\n", stderr);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromLocal8Bit(line);
}

namespace {

int usageError(QTextStream& err, const QString& problem)
{
    err << "invciv-cli: " << problem << "\n\n" << usage();
    err.flush();
    return kExitUsage;
}

QString programFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

QString desktopFolder(const CliOptions& options)
{
    return QDir::toNativeSeparators(options.desktop.isEmpty()
                                        ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                                        : QDir(options.desktop).absolutePath());
}

const QString kDiagnose = QStringLiteral("diagnose");

// The self-check's report on standard output; nothing is asked of the host but its creation.
int runDiagnose(const CliOptions& options, QTextStream& out)
{
    platform::ConsolePlatform console(desktopFolder(options), programFolder());
    console.log(QStringLiteral("avvio di invciv-cli ") + platform::programVersion() +
                QStringLiteral(", comando diagnose"));
    const app::Diagnosis diagnosis = app::diagnose(console, app::hostSelection(options.demoHost));
    out << diagnosis.text();
    out.flush();
    console.log(diagnosis.allOk() ? QStringLiteral("verifica dell'installazione: tutto in ordine")
                                  : QStringLiteral("verifica dell'installazione: problemi trovati"));
    return diagnosis.allOk() ? kExitDone : kExitRefused;
}

} // namespace

int runCli(const QStringList& words, QTextStream& out, QTextStream& err,
           const std::function<QString()>& password)
{
    QString problem;
    const std::optional<CliOptions> options =
        parseCliOptions(words, problem, commandOptionNames(), commandFlagNames());
    if (!options)
        return usageError(err, problem);
    if (options->help) {
        out << usage();
        out.flush();
        return kExitDone;
    }
    if (options->command.isEmpty())
        return usageError(err, QStringLiteral("missing command"));
    if (options->command == kDiagnose) {
        if (!options->arguments.isEmpty() || !options->commandOptions.isEmpty())
            return usageError(err, QStringLiteral("diagnose takes no arguments"));
        return runDiagnose(*options, out);
    }
    const CliCommand* command = findCommand(options->command);
    if (!command)
        return usageError(err, QStringLiteral("unknown command: ") + options->command);
    if (options->arguments.size() < command->minArguments ||
        options->arguments.size() > command->maxArguments)
        return usageError(err, QStringLiteral("wrong arguments, expected: ") + command->name +
                                   QLatin1Char(' ') + command->synopsis);
    if (options->user.isEmpty())
        return usageError(err, QStringLiteral("missing --user NAME"));
    for (const QString& name : options->commandOptions.keys()) {
        if (!command->options.contains(name) && !command->flags.contains(name))
            return usageError(err, QStringLiteral("option ") + name + QStringLiteral(" does not apply to ") +
                                       command->name);
    }
    if (command->checkOptions) {
        if (const QString problem = command->checkOptions(options->commandOptions); !problem.isEmpty())
            return usageError(err, problem);
    }

    platform::ConsolePlatform console(desktopFolder(*options), programFolder());
    console.log(QStringLiteral("avvio di invciv-cli ") + platform::programVersion() +
                QStringLiteral(", comando ") + command->name);
    const app::HostSelection selection = app::hostSelection(options->demoHost);
    if (!app::prepareHost(selection, console))
        return kExitRefused;

    Tzantopat session(console, app::automationFactoryFor(selection));
    if (!app::CheckLogin(session, console, options->user, password()))
        return kExitRefused;
    fdf::clearTempFolder(console);
    CliContext context{session, console, out, options->commandOptions};
    const int status = command->run(context, options->arguments);
    session.stop();
    // A failure shown on the way (a host call that failed, say) makes the command's status 1, whatever
    // it printed; a warning does not.
    return status == kExitDone && console.failureShown() ? kExitRefused : status;
}

} // namespace cli
