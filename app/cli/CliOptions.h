#pragma once
// The windowless front end's command line:
//   invciv-cli [--demo-host FILE] [--desktop DIR] --user NAME COMMAND [ARGUMENTS]

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

struct CliOptions
{
    QString demoHost; // "" when not given
    QString desktop;  // "" when not given
    QString user;
    bool help = false;
    QString command;
    QStringList arguments;
    QMap<QString, QString> commandOptions; // "--anamnesi" -> text: options that belong to one command
};

// Options may stand anywhere ("--name VALUE" or "--name=VALUE"); "--" ends them. The first other word
// is the command, the rest its arguments. nullopt with `error` set when the line is malformed.
// `commandOptionNames` are the options some command accepts ("--anamnesi"); they are collected in
// commandOptions for the command to check and use.
// `commandFlagNames` are those that take no value; given, they are collected with the value "".
std::optional<CliOptions> parseCliOptions(const QStringList& words, QString& error,
                                          const QStringList& commandOptionNames = {},
                                          const QStringList& commandFlagNames = {});

} // namespace cli
