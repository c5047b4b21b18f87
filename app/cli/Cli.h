#pragma once
// invciv-cli: the program's flows without windows. Logs in like the login window and runs one command.

#include <QString>
#include <QStringList>

#include <functional>

class QTextStream;

namespace cli {

QString usage();

// `words` are the arguments after the program name. The password comes from `password` (called only
// when needed: the environment, or else the first line of standard input). Gives the exit status:
// 2 wrong usage; 1 when any message other than a warning was shown (on `err`); 0 otherwise.
int runCli(const QStringList& words, QTextStream& out, QTextStream& err,
           const std::function<QString()>& password);

// INVCIV_PASSWORD when set, else the first line of standard input; when that is a terminal, after the
// prompt "Password: " on standard error, with the terminal's echo off.
QString passwordFromEnvironmentOrInput();

} // namespace cli
