#include "CliOptions.h"

namespace cli {

namespace {

// The value of an option given as "--name VALUE" or "--name=VALUE"; advances `i` past what it used.
std::optional<QString> optionValue(const QStringList& words, qsizetype& i, const QString& name,
                                   QString& error)
{
    const QString& word = words.at(i);
    if (word.startsWith(name + QLatin1Char('=')))
        return word.mid(name.size() + 1);
    if (i + 1 >= words.size()) {
        error = QStringLiteral("missing value for ") + name;
        return std::nullopt;
    }
    return words.at(++i);
}

} // namespace

std::optional<CliOptions> parseCliOptions(const QStringList& words, QString& error,
                                          const QStringList& commandOptionNames,
                                          const QStringList& commandFlagNames)
{
    CliOptions options;
    bool optionsEnded = false;
    QStringList positional;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (optionsEnded || !word.startsWith(QLatin1String("--")) || word.size() == 2) {
            if (!optionsEnded && word == QLatin1String("--"))
                optionsEnded = true;
            else
                positional << word;
            continue;
        }
        const QString name = word.section(QLatin1Char('='), 0, 0);
        if (name == QLatin1String("--help")) {
            options.help = true;
            continue;
        }
        if (commandFlagNames.contains(name)) {
            if (word != name) {
                error = QStringLiteral("no value taken by ") + name;
                return std::nullopt;
            }
            options.commandOptions.insert(name, QString());
            continue;
        }
        QString* target = name == QLatin1String("--demo-host") ? &options.demoHost
                          : name == QLatin1String("--desktop") ? &options.desktop
                          : name == QLatin1String("--user")    ? &options.user
                                                               : nullptr;
        const bool commandOption = !target && commandOptionNames.contains(name);
        if (!target && !commandOption) {
            error = QStringLiteral("unknown option: ") + name;
            return std::nullopt;
        }
        const std::optional<QString> value = optionValue(words, i, name, error);
        if (!value)
            return std::nullopt;
        if (commandOption) {
            // A command's texts may be empty ("--anamnesi ''"): the editor's checks judge them.
            options.commandOptions.insert(name, *value);
            continue;
        }
        if (value->isEmpty()) {
            error = QStringLiteral("empty value for ") + name;
            return std::nullopt;
        }
        *target = *value;
    }
    if (!positional.isEmpty()) {
        options.command = positional.takeFirst();
        options.arguments = positional;
    }
    return options;
}

} // namespace cli
