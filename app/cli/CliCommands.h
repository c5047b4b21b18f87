#pragma once
// The windowless front end's commands: one small function each, listed in one table. A command runs
// after an accepted login and gives the program's exit status.

#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

class QTextStream;
class Tzantopat;

namespace platform {
class ConsolePlatform;
}

namespace cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

struct CliContext
{
    Tzantopat& session;
    platform::ConsolePlatform& platform; // messages go to standard error
    QTextStream& out;                    // the command's results
    QMap<QString, QString> options;      // the command's own options, checked against its list
};

struct CliCommand
{
    QString name;
    QString synopsis;    // arguments as the usage text shows them, e.g. "SURNAME [NAME]"
    QString description; // lines of the usage text
    int minArguments;
    int maxArguments;
    int (*run)(CliContext& context, const QStringList& arguments);
    QStringList options = {}; // the command's own options ("--anamnesi"), each taking a value
    // The usage problem in the values of those options, "" when there is none: checked with the rest of
    // the command line, before the host is asked for anything. None: every value is taken.
    QString (*checkOptions)(const QMap<QString, QString>& options) = nullptr;
    QStringList flags = {}; // the command's own options that take no value; given, they map to ""
};

const std::vector<CliCommand>& commands();
const CliCommand* findCommand(const QString& name);
// Every command's own option names, for the command-line parser: those that take a value, and flags.
QStringList commandOptionNames();
QStringList commandFlagNames();

// patients SURNAME [NAME]: the doctor's patients as the search window lists them.
int runPatients(CliContext& context, const QStringList& arguments);
// ap68 ID, ap42 ID: the "Compila" flows for one patient; print the FDF path.
int runAp68(CliContext& context, const QStringList& arguments);
int runAp42(CliContext& context, const QStringList& arguments);
// certificate ID --anamnesi ...: the editor's filling, checks and writer; print the XML path.
int runCertificate(CliContext& context, const QStringList& arguments);
// The certificate's --domanda, --dichiarazioni and --data: words the editor knows, a date that parses.
QString checkCertificateOptions(const QMap<QString, QString>& options);

} // namespace cli
