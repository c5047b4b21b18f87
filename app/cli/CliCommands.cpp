#include "CliCommands.h"

#include "app/ErrorHandling.h"
#include "app/PatientSearch.h"
#include "certificate/CertificateBatch.h"
#include "fdf/OutputFlow.h"
#include "platform/ConsolePlatform.h"
#include "text/Messages.h"

#include <QTextStream>

#include <optional>

namespace cli {

namespace {

const QString kRifiutaCodiceFiscaleIncoerente = QStringLiteral("--rifiuta-codice-fiscale-incoerente");

// One output line per record: tabs and line breaks inside a host text would split it, and its other
// control characters (escape sequences) would reach the terminal.
QString field(const QString& text)
{
    return platform::printableText(text);
}

} // namespace

const std::vector<CliCommand>& commands()
{
    static const std::vector<CliCommand> table = {
        {QStringLiteral("patients"), QStringLiteral("SURNAME [NAME]"),
         QStringLiteral("the doctor's patients as the search window lists them, one line each:\n"
                        "id <TAB> surname <TAB> first name <TAB> birth date dd/mm/yyyy or empty"),
         1, 2, &runPatients},
        {QStringLiteral("ap68"), QStringLiteral("ID"),
         QStringLiteral("the AP68 pre-fill of the patient with that id (as patients prints it):\n"
                        "writes the FDF and fills the desktop copy of the blank form; prints the FDF\n"
                        "path, then the filled copy's (none when it could not be filled), then\n"
                        "\"kept: PATH\" when an earlier copy, not the one the program wrote, was kept"),
         1, 1, &runAp68},
        {QStringLiteral("ap42"), QStringLiteral("ID"),
         QStringLiteral("the AP42 SS3 pre-fill of the patient with that id; prints as ap68"), 1, 1, &runAp42},
        {QStringLiteral("certificate"),
         QStringLiteral("ID OPTIONS..."),
         QStringLiteral("the XML certificate InvCiv2010, filled and checked as the editor does, with\n"
                        "what the doctor types: --anamnesi TEXT --obiettivita TEXT --diagnosi TEXT\n"
                        "[--luogo TEXT] [--num-iscrizione TEXT] [--prov-albo XX] (each omitted: the\n"
                        "value this user's last saved certificate had, as the editor fills it)\n"
                        "--domanda LIST (comma-separated: INVALIDITA,CECITA,SORDITA,HANDICAP,DISABILITA)\n"
                        "[--dichiarazioni LIST] (from A,B,C) [--data yyyy-mm-dd] (default today)\n"
                        "[--terapia TEXT] (in place of the host's therapy text);\n"
                        "prints the written path, then the AP68 form completed with the same values\n"
                        "(a warning instead when it could not be made), then \"kept: PATH\" for another\n"
                        "patient's earlier certificate or an earlier completed form that was kept;\n"
                        "or the editor's message on standard error.\n"
                        "A fiscal code that disagrees with the patient's data is a warning on standard\n"
                        "error; with [--rifiuta-codice-fiscale-incoerente] it is an error and nothing\n"
                        "is written"),
         1,
         1,
         &runCertificate,
         {QStringLiteral("--anamnesi"), QStringLiteral("--obiettivita"), QStringLiteral("--diagnosi"),
          QStringLiteral("--luogo"), QStringLiteral("--num-iscrizione"), QStringLiteral("--prov-albo"),
          QStringLiteral("--domanda"), QStringLiteral("--dichiarazioni"), QStringLiteral("--data"),
          QStringLiteral("--terapia")},
         &checkCertificateOptions,
         {kRifiutaCodiceFiscaleIncoerente}},
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

QStringList commandOptionNames()
{
    QStringList names;
    for (const CliCommand& command : commands())
        names << command.options;
    return names;
}

QStringList commandFlagNames()
{
    QStringList names;
    for (const CliCommand& command : commands())
        names << command.flags;
    return names;
}

namespace {

// The patient's row as the search window would hold it, for one of the doctor's own patients only; a
// message and nullopt for any other id, before anything is written.
std::optional<clinical::PatientRow> ownPatient(CliContext& context, const QString& id)
{
    auto row = app::readOwnPatient(context.session, id);
    if (!row)
        context.platform.showMessage(platform::MessageKind::Error,
                                     QStringLiteral("Paziente non trovato: ") + id);
    return row;
}

// The line that names an earlier file kept under a dated name, when there is one.
void printKept(CliContext& context, const QString& kept)
{
    if (!kept.isEmpty())
        context.out << "kept: " << kept << '\n';
}

using Flow = fdf::PdfFlowResult (*)(const clinical::PatientRow&, fdf::FlowContext&);

int runPdfFlow(CliContext& context, const QString& id, Flow flow)
{
    const auto row = ownPatient(context, id);
    if (!row)
        return kExitRefused;
    fdf::PdfFlowResult result;
    fdf::FlowContext flowContext{context.session, context.platform, {}, {}};
    // The same default error handling as the window's click: the flow's error is shown, nothing printed.
    if (!app::runHandler(context.platform, [&] { result = flow(*row, flowContext); }) ||
        result.fdfPath.isEmpty())
        return kExitRefused;
    if (!result.fiscalCodeWarning.isEmpty())
        context.platform.showMessage(platform::MessageKind::Error, result.fiscalCodeWarning);
    // The FDF first, so that scripts reading one line keep working; the filled copy when it was made.
    context.out << result.fdfPath << '\n';
    if (!result.filledPdfPath.isEmpty())
        context.out << result.filledPdfPath << '\n';
    printKept(context, result.keptPath);
    context.out.flush();
    return kExitDone;
}

QStringList listOption(const QMap<QString, QString>& options, const QString& name)
{
    QStringList items;
    for (const QString& item : options.value(name).split(QLatin1Char(','), Qt::SkipEmptyParts))
        items << item.trimmed();
    return items;
}

// What the doctor would type into the editor, from the certificate's options; `problem` tells of a word
// or a date the editor would not take.
certificate::CertificateInput certificateInput(const QMap<QString, QString>& options, QString& problem)
{
    certificate::CertificateInput input;
    input.anamnesi = options.value(QStringLiteral("--anamnesi"));
    input.obiettivita = options.value(QStringLiteral("--obiettivita"));
    input.diagnosi = options.value(QStringLiteral("--diagnosi"));
    const auto given = [&options](const QString& name) {
        return options.contains(name) ? std::optional<QString>(options.value(name)) : std::nullopt;
    };
    input.luogo = given(QStringLiteral("--luogo"));
    input.numIscrizione = given(QStringLiteral("--num-iscrizione"));
    input.provAlbo = given(QStringLiteral("--prov-albo"));
    input.terapia = given(QStringLiteral("--terapia"));
    input.domanda = listOption(options, QStringLiteral("--domanda"));
    input.dichiarazioni = listOption(options, QStringLiteral("--dichiarazioni"));
    input.refuseFiscalCodeDisagreement = options.contains(kRifiutaCodiceFiscaleIncoerente);
    problem = certificate::unknownWordMessage(input);
    if (options.contains(QStringLiteral("--data"))) {
        const QString text = options.value(QStringLiteral("--data"));
        input.data = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (!input.data.isValid() && problem.isEmpty())
            problem = QStringLiteral("Data non valida (atteso aaaa-mm-gg): ") + text;
    }
    return input;
}

} // namespace

int runAp68(CliContext& context, const QStringList& arguments)
{
    return runPdfFlow(context, arguments.value(0), &fdf::runAp68Flow);
}

int runAp42(CliContext& context, const QStringList& arguments)
{
    return runPdfFlow(context, arguments.value(0), &fdf::runAp42Ss3Flow);
}

int runCertificate(CliContext& context, const QStringList& arguments)
{
    QString problem; // none: runCli has checked the options
    const certificate::CertificateInput input = certificateInput(context.options, problem);
    const auto row = ownPatient(context, arguments.value(0));
    if (!row)
        return kExitRefused;
    const certificate::CertificateOutcome outcome =
        certificate::compileCertificate(context.session, context.platform, row->id, input);
    if (!outcome.saved) {
        if (!outcome.message.isEmpty()) // else the host's message has been shown
            context.platform.showMessage(platform::MessageKind::Error, outcome.message);
        return kExitRefused;
    }
    context.out << outcome.path << '\n';
    // The completed AP68 form on a second line; a warning when it could not be made: the XML stands.
    if (!outcome.printable.path.isEmpty())
        context.out << outcome.printable.path << '\n';
    else
        context.platform.showMessage(platform::MessageKind::Error,
                                     text::kWarningPrefix +
                                         certificate::printableFailureText(outcome.printable));
    printKept(context, outcome.kept);
    printKept(context, outcome.printable.kept);
    context.out.flush();
    return kExitDone;
}

QString checkCertificateOptions(const QMap<QString, QString>& options)
{
    QString problem;
    certificateInput(options, problem);
    return problem;
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
