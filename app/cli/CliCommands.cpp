#include "CliCommands.h"

#include "app/PatientSearch.h"
#include "platform/ConsolePlatform.h"

#include <QRegularExpression>
#include <QTextStream>

namespace cli {

namespace {

// One output line per record: tabs and line breaks inside a host text would split it.
QString field(QString text)
{
    static const QRegularExpression breaks(QStringLiteral("[\\t\\r\\n]"));
    return text.replace(breaks, QStringLiteral(" "));
}

} // namespace

const std::vector<CliCommand>& commands()
{
    static const std::vector<CliCommand> table = {
        {QStringLiteral("patients"), QStringLiteral("SURNAME [NAME]"),
         QStringLiteral("the doctor's patients as the search window lists them, one line each:\n"
                        "id <TAB> surname <TAB> first name <TAB> birth date dd/mm/yyyy or empty"),
         1, 2, &runPatients},
    };
    return table;
}

const CliCommand* findCommand(const QString& name)
{
    for (const CliCommand& command : commands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

int runPatients(CliContext& context, const QStringList& arguments)
{
    const QString surname = arguments.value(0);
    const QString name = arguments.value(1);
    const app::PatientList list = app::readPatients(context.session, surname, name);
    for (const clinical::PatientRow& row : list.rows) {
        context.out << field(row.id) << '\t' << field(row.cognome) << '\t' << field(row.nome) << '\t'
                    << app::displayDate(row.data_nascita) << '\n';
    }
    context.out.flush();
    if (!list.badDates.empty())
        context.platform.showMessage(platform::MessageKind::Error, app::badBirthDatesMessage(list.badDates));
    return kExitDone;
}

} // namespace cli
