// invciv-cli: the command line, and the built program run against the demo host.

#include "QtPrinters.h"
#include "app/cli/CliOptions.h"
#include "host/tc_GenTools.h"
#include "platform/Settings.h"
#include "support/TempDirs.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sqlite3.h>

#ifndef _WIN32
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

namespace {

// ---- the command line, in process ----

struct ParseCase
{
    QStringList words;
    bool ok = false;
    QString user = {};
    QString demoHost = {};
    QString desktop = {};
    QString command = {};
    QStringList arguments = {};
    bool help = false;
};

void PrintTo(const ParseCase& c, std::ostream* out)
{
    *out << '"' << c.words.join(QLatin1Char(' ')).toStdString() << '"';
}

class ParseTest : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseTest, ReadsOptionsCommandAndArguments)
{
    const ParseCase& c = GetParam();
    QString error;
    const auto options = cli::parseCliOptions(c.words, error);
    ASSERT_EQ(options.has_value(), c.ok) << error.toStdString();
    if (!c.ok) {
        EXPECT_FALSE(error.isEmpty());
        return;
    }
    EXPECT_EQ(options->user, c.user);
    EXPECT_EQ(options->demoHost, c.demoHost);
    EXPECT_EQ(options->desktop, c.desktop);
    EXPECT_EQ(options->command, c.command);
    EXPECT_EQ(options->arguments, c.arguments);
    EXPECT_EQ(options->help, c.help);
}

QStringList words(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* w : list)
        out << QString::fromUtf8(w);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseTest,
    ::testing::Values(ParseCase{words({"--demo-host", "h.sqlite", "--desktop", "/d", "--user", "demo",
                                       "patients", "RO", "MA"}),
                                true, "demo", "h.sqlite", "/d", "patients", words({"RO", "MA"})},
                      ParseCase{words({"--user=demo", "patients", "--demo-host=x.sqlite", "RO"}), true,
                                "demo", "x.sqlite", "", "patients", words({"RO"})},
                      // After "--" everything is an argument, even what looks like an option.
                      ParseCase{words({"--user", "demo", "patients", "--", "--RO"}), true, "demo", "", "",
                                "patients", words({"--RO"})},
                      ParseCase{words({"--help"}), true, "", "", "", "", {}, true},
                      ParseCase{words({"--password", "demo", "--user", "demo", "patients", "RO"}), false},
                      ParseCase{words({"--user"}), false},
                      ParseCase{words({"--user=", "patients", "RO"}), false}));

// ---- the built program ----

const QString kCli = QStringLiteral(INVCIV_CLI_BINARY);
// Patients of the demo seed: 1042 is on demo's own list, 5001 (VALENTINI SALVATORE) on ferri's.
const QString kOwnId = QStringLiteral("31303432");
const QString kForeignId = QStringLiteral("35303031");

struct ProgramRun
{
    int status = -1;
    QString out;
    QString err;
};

class CliProgramTest : public ::testing::Test
{
protected:
    QTemporaryDir folder;
    QString database;

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        database = folder.filePath(QStringLiteral("demo-host.sqlite"));
#ifdef _WIN32
        // Windows takes the settings from the user's registry key, not from the environment: each test
        // starts without remembered details, as elsewhere, and the user's own come back after it.
        QSettings settings = userSettings();
        for (const QString& key : settings.allKeys())
            savedSettings.insert(key, settings.value(key));
        settings.clear();
#endif
    }

#ifdef _WIN32
    QMap<QString, QVariant> savedSettings;
    static QSettings userSettings()
    {
        return QSettings(QSettings::UserScope, platform::kSettingsOrganisation,
                         platform::kSettingsApplication);
    }
    void TearDown() override
    {
        QSettings settings = userSettings();
        settings.clear();
        for (auto it = savedSettings.cbegin(); it != savedSettings.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }
#endif

    ProgramRun run(const QStringList& arguments, const QString& input = {}, const QString& password = {},
                   const QStringList& extraEnvironment = {}, const QString& program = kCli)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("INVCIV_PASSWORD"));
        environment.remove(QStringLiteral("INVCIV_DEMO_HOST"));
        // The user's own settings and work folder: those of this test.
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
        if (!password.isNull())
            environment.insert(QStringLiteral("INVCIV_PASSWORD"), password);
        for (const QString& pair : extraEnvironment)
            environment.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted());
        process.write(input.toUtf8());
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000));
        // A Windows console program ends its lines with CR LF; compared here as the lines they are.
        const auto lines = [](const QByteArray& bytes) {
            QString text = QString::fromUtf8(bytes);
#ifdef _WIN32
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
            return text;
        };
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                lines(process.readAllStandardOutput()), lines(process.readAllStandardError())};
    }

    // What the doctor types into the certificate editor, but for the purpose of the claim.
    static QStringList doctorEntries()
    {
        return {QStringLiteral("--anamnesi"),       QStringLiteral("Diabete dal 2001"),
                QStringLiteral("--obiettivita"),    QStringLiteral("Buone condizioni"),
                QStringLiteral("--diagnosi"),       QStringLiteral("Diabete tipo 2"),
                QStringLiteral("--luogo"),          QStringLiteral("Forlì"),
                QStringLiteral("--num-iscrizione"), QStringLiteral("12345"),
                QStringLiteral("--prov-albo"),      QStringLiteral("FC")};
    }

    // The three output commands for one patient, with a desktop of their own.
    static QList<QStringList> outputCommands(const QString& id, const QString& desktop)
    {
        const QStringList desk = {QStringLiteral("--desktop"), desktop};
        return {desk + QStringList{QStringLiteral("ap68"), id},
                desk + QStringList{QStringLiteral("ap42"), id},
                desk + QStringList{QStringLiteral("certificate"), id} + doctorEntries() +
                    QStringList{QStringLiteral("--domanda"), QStringLiteral("INVALIDITA")}};
    }

    // Runs SQL on the demo host's file (created by a first run).
    void changeDatabase(const QByteArray& sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(database.toUtf8().constData(), &db), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }

    // A copy of the program in a folder of its own ("program/"), with the blank forms beside it, for a
    // test to take away or damage; run it with its environment.
    struct ProgramCopy
    {
        QString program;
        QString folder;
        QStringList environment;
    };
    ProgramCopy copyProgram()
    {
        ProgramCopy copy;
        copy.folder = folder.filePath(QStringLiteral("program"));
#ifdef _WIN32
        // The copy finds its DLLs beside the built program.
        copy.environment = {QStringLiteral("PATH=") +
                            QDir::toNativeSeparators(QFileInfo(kCli).absolutePath()) + QLatin1Char(';') +
                            qEnvironmentVariable("PATH")};
        copy.program = copy.folder + QStringLiteral("/invciv-cli.exe");
#else
        copy.program = copy.folder + QStringLiteral("/invciv-cli");
#endif
        EXPECT_TRUE(QDir().mkpath(copy.folder + QStringLiteral("/temp")));
        EXPECT_TRUE(QFile::copy(kCli, copy.program));
        for (const QString& form : {QStringLiteral("cert med INPS.pdf"), QStringLiteral("AP42_SS3.pdf")})
            EXPECT_TRUE(QFile::copy(QFileInfo(kCli).absolutePath() + QLatin1Char('/') + form,
                                    copy.folder + QLatin1Char('/') + form));
        return copy;
    }

    // The user's work folder, as the program finds it in this test's environment.
    // The program's work folder: this test's own, but on Windows, which takes no such folder from the
    // environment, the user's.
    QString work() const
    {
#ifdef _WIN32
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/InvCiv/temp");
#else
        return folder.filePath(QStringLiteral("data/invciv/temp"));
#endif
    }

    // The support log's folder, beside the work folder.
    QString logFolder() const
    {
        return QFileInfo(work()).path() + QStringLiteral("/log");
    }

    QStringList demoArgs(const char* user, QStringList command)
    {
        return QStringList{QStringLiteral("--demo-host"), database, QStringLiteral("--user"),
                           QLatin1String(user)} +
               command;
    }

    // The doctor's patients whose surname starts with `initials`, straight from the database.
    QStringList patientsInDatabase(const char* login, const QString& initials)
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(
            db,
            "SELECT p.codice, p.cognome, p.nome, coalesce(p.data_nascita, '') FROM pazienti p "
            "JOIN utenti u ON u.id = p.codice_medico WHERE u.login = ?1 AND substr(p.cognome, 1, ?3) = ?2",
            -1, &statement, nullptr);
        const QByteArray loginText(login);
        const QByteArray prefix = initials.toUtf8();
        sqlite3_bind_text(statement, 1, loginText.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 2, prefix.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(statement, 3, static_cast<int>(initials.size()));
        QStringList rows;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList fields;
            for (int i = 0; i < 4; ++i)
                fields << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)));
            rows << fields.join(QLatin1Char('\t'));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }
};

TEST_F(CliProgramTest, HelpAndWrongUsage)
{
    const ProgramRun help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(
        help.out.startsWith(QStringLiteral("usage: invciv-cli [--demo-host FILE] [--desktop DIR] --user NAME "
                                           "COMMAND [ARGUMENTS]")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("patients SURNAME [NAME]")));

    const QStringList wrong[] = {
        {},
        {QStringLiteral("--user"), QStringLiteral("demo")},
        {QStringLiteral("--user"), QStringLiteral("demo"), QStringLiteral("nosuch")},
        {QStringLiteral("--user"), QStringLiteral("demo"), QStringLiteral("patients")},
        {QStringLiteral("--user"), QStringLiteral("demo"), QStringLiteral("patients"), QStringLiteral("A"),
         QStringLiteral("B"), QStringLiteral("C")},
        {QStringLiteral("patients"), QStringLiteral("RO")},
        {QStringLiteral("--password"), QStringLiteral("demo"), QStringLiteral("--user"),
         QStringLiteral("demo"), QStringLiteral("patients"), QStringLiteral("RO")},
        // Values the certificate's options cannot take: wrong usage too, found before the host is asked.
        demoArgs("demo", {QStringLiteral("certificate"), kOwnId, QStringLiteral("--domanda"),
                          QStringLiteral("INVALIDITA,PENSIONE")}),
        demoArgs("demo", {QStringLiteral("certificate"), kOwnId, QStringLiteral("--dichiarazioni"),
                          QStringLiteral("A,D")}),
        demoArgs("demo", {QStringLiteral("certificate"), kOwnId, QStringLiteral("--data"),
                          QStringLiteral("05/05/2010")}),
        demoArgs("demo", {QStringLiteral("ap68"), kOwnId, QStringLiteral("--luogo"), QStringLiteral("Roma")}),
        demoArgs("demo",
                 {QStringLiteral("ap68"), kOwnId, QStringLiteral("--rifiuta-codice-fiscale-incoerente")}),
        demoArgs("demo", {QStringLiteral("certificate"), kOwnId,
                          QStringLiteral("--rifiuta-codice-fiscale-incoerente=si")}),
    };
    for (const QStringList& arguments : wrong) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun r = run(arguments, {}, QStringLiteral("demo"));
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage: invciv-cli")));
    }
    EXPECT_FALSE(QFile::exists(database)) << "wrong usage touches no host";
}

TEST_F(CliProgramTest, PatientsAsTheSearchWindowListsThem)
{
    const ProgramRun r =
        run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("RO")}), {}, QStringLiteral("demo"));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    QStringList lines = r.out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.takeLast(), QString()); // every line ends with a line break

    // Each id decodes to the host's code; the fields are the host's, the date shown as dd/mm/yyyy.
    QStringList decoded;
    QString previousSurname;
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 4) << line.toStdString();
        QString code;
        ASSERT_TRUE(tc_GenTools::hex2string(fields[0], code)) << line.toStdString();
        EXPECT_GE(fields[1], previousSurname) << "alphabetical by surname";
        previousSurname = fields[1];
        const QDate birth = QDate::fromString(fields[3], QStringLiteral("dd/MM/yyyy"));
        decoded << QStringList{code, fields[1], fields[2],
                               birth.isValid() ? birth.toString(Qt::ISODate) : QString()}
                       .join(QLatin1Char('\t'));
    }
    QStringList expected = patientsInDatabase("demo", QStringLiteral("RO"));
    ASSERT_FALSE(expected.isEmpty());
    expected.sort();
    decoded.sort();
    EXPECT_EQ(decoded, expected);

    // The first name narrows the list; one surname letter lists nothing.
    const ProgramRun narrowed =
        run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("RO"), QStringLiteral("MA")}), {},
            QStringLiteral("demo"));
    EXPECT_EQ(narrowed.status, 0);
    for (const QString& line : narrowed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        EXPECT_TRUE(line.section(QLatin1Char('\t'), 2, 2).startsWith(QStringLiteral("MA")))
            << line.toStdString();
    const ProgramRun oneLetter =
        run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("R")}), {}, QStringLiteral("demo"));
    EXPECT_EQ(oneLetter.status, 0);
    EXPECT_TRUE(oneLetter.out.isEmpty());
}

TEST_F(CliProgramTest, PasswordFromTheFirstLineOfInput)
{
    const ProgramRun r = run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("ROSSI")}),
                             QStringLiteral("demo\r\nsomething else\n"));
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.isEmpty());
}

// At a terminal the password is asked for, and what is typed is not shown; the command runs as with a
// pipe.
TEST_F(CliProgramTest, AtATerminalThePasswordIsAskedForAndNotShown)
{
#ifdef _WIN32
    GTEST_SKIP() << "a pseudo-terminal is POSIX";
#else
    // Everything the child needs is made before it starts: after fork it only calls execve.
    const QByteArray program = QFile::encodeName(kCli);
    std::vector<QByteArray> arguments = {program};
    for (const QString& word : demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("ROSSI")}))
        arguments.push_back(word.toUtf8());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("INVCIV_PASSWORD"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    std::vector<QByteArray> variables;
    for (const QString& pair : environment.toStringList())
        variables.push_back(pair.toLocal8Bit());
    const auto pointers = [](std::vector<QByteArray>& texts) {
        std::vector<char*> out;
        for (QByteArray& text : texts)
            out.push_back(text.data());
        out.push_back(nullptr);
        return out;
    };
    std::vector<char*> argv = pointers(arguments), envp = pointers(variables);

    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        execve(program.constData(), argv.data(), envp.data());
        _exit(127);
    }
    // Reads what the terminal shows until `until` has shown or the program has ended.
    QByteArray shown;
    const auto readUntil = [&](const QByteArray& until) {
        pollfd ready{terminal, POLLIN, 0};
        char buffer[4096];
        while ((until.isEmpty() || !shown.contains(until)) && poll(&ready, 1, 60000) > 0) {
            const ssize_t n = read(terminal, buffer, sizeof buffer);
            if (n <= 0)
                break;
            shown.append(buffer, n);
        }
    };
    readUntil("Password: ");
    ASSERT_TRUE(shown.endsWith("Password: ")) << shown.toStdString();
    ASSERT_EQ(write(terminal, "demo\n", 5), 5);
    readUntil({});
    close(terminal);
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown.toStdString();
    EXPECT_FALSE(shown.contains("demo")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("\tROSSI\t")) << shown.toStdString();
#endif
}

TEST_F(CliProgramTest, RefusalsGiveTheProgramsOwnMessageAndStatus1)
{
    const ProgramRun wrongPassword = run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("RO")}),
                                         {}, QStringLiteral("sbagliata"));
    EXPECT_EQ(wrongPassword.status, 1);
    EXPECT_TRUE(wrongPassword.out.isEmpty());
    EXPECT_TRUE(
        wrongPassword.err.startsWith(QStringLiteral("ole_zantopat.start(): errore in connessione\r\n\r\n  ")))
        << wrongPassword.err.toStdString();

    // "ferri" has patients only under other agreement types.
    const ProgramRun noPatients = run(demoArgs("ferri", {QStringLiteral("patients"), QStringLiteral("RO")}),
                                      {}, QStringLiteral("ferri"));
    EXPECT_EQ(noPatients.status, 1);
    EXPECT_EQ(noPatients.err, QStringLiteral("ERRORE: Nessun paziente associato al medico corrente.\n"));

    QFile notADatabase(folder.filePath(QStringLiteral("other.sqlite")));
    ASSERT_TRUE(notADatabase.open(QIODevice::WriteOnly));
    notADatabase.write("appunti del medico, non un database\n");
    notADatabase.close();
    const ProgramRun badFile =
        run({QStringLiteral("--demo-host"), notADatabase.fileName(), QStringLiteral("--user"),
             QStringLiteral("demo"), QStringLiteral("patients"), QStringLiteral("RO")},
            {}, QStringLiteral("demo"));
    EXPECT_EQ(badFile.status, 1);
    EXPECT_TRUE(badFile.err.contains(notADatabase.fileName())) << badFile.err.toStdString();
}

TEST_F(CliProgramTest, DefaultDemoHostFileIsCreatedInTheLocalDataFolder)
{
#ifdef _WIN32
    GTEST_SKIP() << "without --demo-host the Windows program reaches the host through COM";
#endif
    const QString data = folder.filePath(QStringLiteral("data"));
    const ProgramRun r = run(
        {QStringLiteral("--user"), QStringLiteral("demo"), QStringLiteral("patients"), QStringLiteral("RO")},
        {}, QStringLiteral("demo"), {QStringLiteral("XDG_DATA_HOME=") + data});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/invciv/demo-host.sqlite")));

    const QString named = folder.filePath(QStringLiteral("named.sqlite"));
    const ProgramRun viaEnvironment = run(
        {QStringLiteral("--user"), QStringLiteral("demo"), QStringLiteral("patients"), QStringLiteral("RO")},
        {}, QStringLiteral("demo"),
        {QStringLiteral("XDG_DATA_HOME=") + data, QStringLiteral("INVCIV_DEMO_HOST=") + named});
    EXPECT_EQ(viaEnvironment.status, 0);
    EXPECT_TRUE(QFile::exists(named));
    EXPECT_EQ(viaEnvironment.out, r.out);
}

TEST_F(CliProgramTest, OutputCommandsWriteTheFilesOfTheCompilaClick)
{
    const QString desktop = folder.filePath(QStringLiteral("desktop"));
    ASSERT_TRUE(QDir().mkpath(desktop));
    // A session clears what earlier ones left in the work folder: an FDF of a week ago, an interrupted
    // run's export.
    const QString temp = work() + QLatin1Char('/');
    ASSERT_TRUE(QDir().mkpath(temp));
    const QStringList leftBehind = {
        temp + QStringLiteral("ZZVECCHIOcertmedinps.fdf"),
        temp + QStringLiteral("publ_dati_essenziali-0123456789abcdef0123456789abcdef.xml")};
    for (const QString& file : leftBehind)
        ASSERT_TRUE(testing_support::writeFile(file, "x", QDateTime::currentDateTime().addDays(-8)));
    const ProgramRun list = run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("ROSSI")}), {},
                                QStringLiteral("demo"));
    const QString id = list.out.section(QLatin1Char('\t'), 0, 0);
    ASSERT_FALSE(id.isEmpty()) << list.err.toStdString();
    for (const QString& file : leftBehind)
        EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
    const auto withDesktop = [&](QStringList command) {
        return QStringList{QStringLiteral("--desktop"), desktop} + demoArgs("demo", command);
    };

    struct Flow
    {
        const char* command;
        const char* suffix;
    };
    for (const Flow& flow : {Flow{"ap68", "certmedinps"}, Flow{"ap42", "certAP42_SS3"}}) {
        SCOPED_TRACE(flow.command);
        const ProgramRun r = run(withDesktop({QLatin1String(flow.command), id}), {}, QStringLiteral("demo"));
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QString fdfPath = r.out.section(QLatin1Char('\n'), 0, 0);
        EXPECT_TRUE(fdfPath.endsWith(QLatin1String(flow.suffix) + QStringLiteral(".fdf")))
            << fdfPath.toStdString();
        // What stays is its owner's only, in the work folder only its owner may enter; the host's
        // export lasted the one read.
        EXPECT_EQ(QFileInfo(fdfPath).dir(), QDir(work()));
        EXPECT_TRUE(testing_support::ownerOnly(work()));
        EXPECT_EQ(QDir(work()).entryList({QStringLiteral("*.xml")}, QDir::Files), QStringList());
        EXPECT_TRUE(testing_support::ownerOnly(fdfPath));
        const QString copyName = QFileInfo(fdfPath).completeBaseName() + QStringLiteral(".pdf");
        EXPECT_TRUE(testing_support::ownerOnly(desktop + QLatin1Char('/') + copyName))
            << copyName.toStdString();
        // The second line is the filled desktop copy.
        EXPECT_EQ(r.out.count(QLatin1Char('\n')), 2) << r.out.toStdString();
        EXPECT_EQ(QFileInfo(r.out.section(QLatin1Char('\n'), 1, 1)),
                  QFileInfo(desktop + QLatin1Char('/') + copyName));

        // A copy the program did not write is kept, and a third line names it.
        QFile earlier(desktop + QLatin1Char('/') + copyName);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly | QIODevice::Truncate));
        earlier.write("appunti del medico");
        earlier.close();
        const ProgramRun again =
            run(withDesktop({QLatin1String(flow.command), id}), {}, QStringLiteral("demo"));
        ASSERT_EQ(again.status, 0) << again.err.toStdString();
        const QString kept = again.out.section(QLatin1Char('\n'), 2, 2);
        ASSERT_TRUE(kept.startsWith(QStringLiteral("kept: "))) << again.out.toStdString();
        QFile keptFile(kept.mid(6));
        ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly)) << kept.toStdString();
        EXPECT_EQ(keptFile.readAll(), QByteArray("appunti del medico"));
    }

    // The doctor's own details not given, and none remembered yet.
    const ProgramRun incomplete =
        run(withDesktop(QStringList{QStringLiteral("certificate"), id} + doctorEntries().mid(0, 6)), {},
            QStringLiteral("demo"));
    EXPECT_EQ(incomplete.status, 1);
    EXPECT_EQ(incomplete.err,
              QStringLiteral("I seguenti dati obbligatori non sono stati inseriti: N° ISCRIZIONE ORDINE "
                             "PROVINCIALE DEI MEDICI, PROVINCIA DI ISCRIZIONE ALL'ALBO, Luogo, Tipo "
                             "domanda(INVALIDITA', CECITA', ...)\n"));

    const ProgramRun saved =
        run(withDesktop(QStringList{QStringLiteral("certificate"), id} + doctorEntries() +
                        QStringList{QStringLiteral("--domanda"), QStringLiteral("CECITA,HANDICAP"),
                                    QStringLiteral("--data"), QStringLiteral("2010-05-05")}),
            {}, QStringLiteral("demo"), {QStringLiteral("QT_QPA_PLATFORM=doesnotexist")}); // no GUI at all
    ASSERT_EQ(saved.status, 0) << saved.err.toStdString();
    // The completed AP68 form on the second line, named as the pre-fill's copy.
    const QString completed = QDir::toNativeSeparators(
        desktop + QLatin1Char('/') +
        list.out.section(QLatin1Char('\t'), 1, 2).remove(QLatin1Char('\t')).remove(' ') +
        QStringLiteral("certmedinps_compilato.pdf"));
    EXPECT_EQ(saved.out, QDir::toNativeSeparators(desktop + QStringLiteral("/certmedinps.xml")) +
                             QLatin1Char('\n') + completed + QLatin1Char('\n'));
    EXPECT_TRUE(testing_support::ownerOnly(completed));
    EXPECT_TRUE(testing_support::ownerOnly(desktop + QStringLiteral("/certmedinps.xml")));
    // The demo host's users and passwords, and the doctor's details the save remembered: owner-only.
    EXPECT_TRUE(testing_support::ownerOnly(database));
#ifndef _WIN32 // on Windows the settings are the user's own registry key
    EXPECT_TRUE(
        testing_support::ownerOnly(folder.filePath(QStringLiteral("config/Brevalon-Ostrena/invciv.conf"))));
#endif
    QFile xml(desktop + QStringLiteral("/certmedinps.xml"));
    ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(xml.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("<DataAcquisizione>2010-05-05</DataAcquisizione>")));
    EXPECT_TRUE(text.contains(QStringLiteral("<Luogo>Forlì</Luogo>")));
    xml.close();

    // Another patient's certificate keeps the first one; --terapia stands for the host's therapy; the
    // doctor's own details not given are those the last save used.
    const ProgramRun others =
        run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("RO")}), {}, QStringLiteral("demo"));
    QString other;
    for (const QString& line : others.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.section(QLatin1Char('\t'), 0, 0) != id)
            other = line.section(QLatin1Char('\t'), 0, 0);
    }
    ASSERT_FALSE(other.isEmpty());
    const ProgramRun second =
        run(withDesktop(QStringList{QStringLiteral("certificate"), other} + doctorEntries().mid(0, 6) +
                        QStringList{QStringLiteral("--domanda"), QStringLiteral("INVALIDITA"),
                                    QStringLiteral("--terapia"), QStringLiteral("Metformina 500 mg")}),
            {}, QStringLiteral("demo"));
    ASSERT_EQ(second.status, 0) << second.err.toStdString();
    const QStringList secondLines = second.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(secondLines.size(), 3) << second.out.toStdString();
    EXPECT_EQ(secondLines[0], QDir::toNativeSeparators(desktop + QStringLiteral("/certmedinps.xml")));
    ASSERT_TRUE(secondLines[2].startsWith(
        QStringLiteral("kept: ") + QDir::toNativeSeparators(desktop + QStringLiteral("/certmedinps "))));
    QFile keptXml(secondLines[2].mid(6));
    ASSERT_TRUE(keptXml.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(keptXml.readAll()), text);
    ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
    const QString secondText = QString::fromUtf8(xml.readAll());
    EXPECT_TRUE(secondText.contains(QStringLiteral("<Terapia>Metformina 500 mg&#13;\n</Terapia>")));
    for (const char* element : {"<Luogo>Forlì</Luogo>", "<NumeroIscrizioneAlbo>12345</NumeroIscrizioneAlbo>",
                                "<ProvinciaAlbo>FC</ProvinciaAlbo>"})
        EXPECT_TRUE(secondText.contains(QString::fromUtf8(element))) << element;
}

// The demo seed's ERRICO ANNA has a well-made code for another birth date, ERRANTE GIORGIO a code with
// a wrong check character.
TEST_F(CliProgramTest, AFiscalCodeOfOtherPersonalDataIsAWarningUnlessRefused)
{
    const QString desktop = folder.filePath(QStringLiteral("desktop"));
    ASSERT_TRUE(QDir().mkpath(desktop));
    const QString errico = QStringLiteral("31333232");
    const QString errante = QStringLiteral("31333231");
    const QString warning =
        QStringLiteral("Attenzione: il codice fiscale non corrisponde a: data di nascita.\n");
    const auto certificate = [&](const QString& id, const QStringList& extra) {
        return run(
            QStringList{QStringLiteral("--desktop"), desktop} +
                demoArgs("demo", QStringList{QStringLiteral("certificate"), id} + doctorEntries() +
                                     QStringList{QStringLiteral("--domanda"), QStringLiteral("INVALIDITA")} +
                                     extra),
            {}, QStringLiteral("demo"));
    };

    const ProgramRun refused = certificate(errico, {QStringLiteral("--rifiuta-codice-fiscale-incoerente")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_EQ(refused.err, QStringLiteral("Il codice fiscale non corrisponde a: data di nascita. Il "
                                          "certificato non è stato salvato.\n"));
    EXPECT_EQ(QDir(desktop).entryList(QDir::Files), QStringList());

    const ProgramRun warned = certificate(errico, {});
    EXPECT_EQ(warned.status, 0);
    EXPECT_EQ(warned.err, warning);
    EXPECT_EQ(warned.out.section(QLatin1Char('\n'), 0, 0),
              QDir::toNativeSeparators(desktop + QStringLiteral("/certmedinps.xml")));

    for (const char* flow : {"ap68", "ap42"}) {
        const ProgramRun prefill = run(QStringList{QStringLiteral("--desktop"), desktop} +
                                           demoArgs("demo", {QLatin1String(flow), errico}),
                                       {}, QStringLiteral("demo"));
        EXPECT_EQ(prefill.status, 0) << flow;
        EXPECT_EQ(prefill.err, warning) << flow;
        EXPECT_FALSE(prefill.out.isEmpty()) << flow;
    }

    // A wrong check character is a format error; the pre-fills leave it to the form.
    const ProgramRun wrong = certificate(errante, {});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.err, QStringLiteral("Il seguente dato non è formalmente corretto: CODICE FISCALE\n"));
}

// A damaged blank form beside the program stops the pre-fill: status 1, the form named, no FDF, and the
// copy the good form gave left byte for byte.
TEST_F(CliProgramTest, ADamagedBlankFormStopsThePrefillAndTouchesNothing)
{
    const auto [program, programFolder, environment] = copyProgram();
    const QString form = programFolder + QStringLiteral("/cert med INPS.pdf");
    const QString desktop = folder.filePath(QStringLiteral("desktop"));
    ASSERT_TRUE(QDir().mkpath(desktop));
    const QStringList ap68 = QStringList{QStringLiteral("--desktop"), desktop} +
                             demoArgs("demo", {QStringLiteral("ap68"), kOwnId});
    const ProgramRun good = run(ap68, {}, QStringLiteral("demo"), environment, program);
    ASSERT_EQ(good.status, 0) << good.err.toStdString();
    const QString fdfPath = good.out.section(QLatin1Char('\n'), 0, 0);
    const QString copy = good.out.section(QLatin1Char('\n'), 1, 1);
    const QByteArray earlier = testing_support::readAll(copy);
    ASSERT_TRUE(QFile::remove(fdfPath));
    // Cut short, as a broken update or a disk error leaves it.
    ASSERT_TRUE(testing_support::writeFile(form, testing_support::readAll(form).left(20000)));

    const ProgramRun damaged = run(ap68, {}, QStringLiteral("demo"), environment, program);
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.out.isEmpty()) << damaged.out.toStdString();
    EXPECT_TRUE(damaged.err.startsWith("Il modulo vuoto " + QDir::toNativeSeparators(form) +
                                       " è danneggiato o illeggibile"))
        << damaged.err.toStdString();
    EXPECT_FALSE(QFile::exists(fdfPath));
    EXPECT_EQ(testing_support::readAll(copy), earlier);
}

TEST_F(CliProgramTest, OnlyTheDoctorsOwnPatientsAreServedByIdWhateverTheirNames)
{
    const QString desktop = folder.filePath(QStringLiteral("desktop"));
    ASSERT_TRUE(QDir().mkpath(desktop));
    ASSERT_EQ(
        run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("RO")}), {}, QStringLiteral("demo"))
            .status,
        0);

    // Another doctor's patient and an id the host does not know look the same, and nothing is written.
    const QStringList workFiles = QDir(work()).entryList(QDir::Files); // on Windows earlier tests' too
    for (const QString& id : {kForeignId, QStringLiteral("5A5A5A")}) {
        for (const QStringList& command : outputCommands(id, desktop)) {
            SCOPED_TRACE(command.join(QLatin1Char(' ')).toStdString());
            const ProgramRun r = run(demoArgs("demo", command), {}, QStringLiteral("demo"));
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
            EXPECT_EQ(r.err, QStringLiteral("Paziente non trovato: ") + id + QLatin1Char('\n'));
            EXPECT_EQ(QDir(desktop).entryList(QDir::Files), QStringList());
            EXPECT_EQ(QDir(work()).entryList(QDir::Files), workFiles);
        }
    }
    // A surname no search by initials finds: the doctor's own patient is served by id all the same.
    for (const char* surname : {"O", "DE|LU=CA", " VALENTINI"}) {
        SCOPED_TRACE(surname);
        changeDatabase(QStringLiteral("UPDATE pazienti SET cognome = '%1' WHERE codice = '1042'")
                           .arg(QLatin1String(surname))
                           .toUtf8());
        const ProgramRun r = run(QStringList{QStringLiteral("--desktop"), desktop} +
                                     demoArgs("demo", {QStringLiteral("ap68"), kOwnId}),
                                 {}, QStringLiteral("demo"));
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(
            r.out.section(QLatin1Char('\n'), 1, 1)
                .endsWith(QString::fromLatin1(surname).remove(QLatin1Char('|')).remove(QLatin1Char(' ')) +
                          QStringLiteral("FRANCESCOcertmedinps.pdf")))
            << r.out.toStdString();
    }
}

TEST_F(CliProgramTest, AnyErrorShownGivesStatus1AndAWarningKeeps0)
{
    const QString desktop = folder.filePath(QStringLiteral("desktop"));
    ASSERT_TRUE(QDir().mkpath(desktop));
    // Initials that would be filter pairs of their own are searched without "|" and "=".
    const ProgramRun own =
        run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("RO")}), {}, QStringLiteral("demo"));
    ASSERT_EQ(own.status, 0);
    const ProgramRun piped = run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("R|O=")}), {},
                                 QStringLiteral("demo"));
    EXPECT_EQ(piped.status, 0);
    EXPECT_TRUE(piped.err.isEmpty()) << piped.err.toStdString();
    EXPECT_EQ(piped.out, own.out);
    const ProgramRun pairs = run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("RO|x=1")}), {},
                                 QStringLiteral("demo"));
    EXPECT_EQ(pairs.status, 0);
    EXPECT_TRUE(pairs.err.isEmpty()) << pairs.err.toStdString();

    // A birth date the list cannot show is a warning: the list is whole. The host's control characters
    // (an escape sequence, a carriage return) reach neither line.
    changeDatabase(
        "UPDATE pazienti SET data_nascita = '1951-02-30', "
        "nome = 'FRAN' || char(27) || '[2J' || char(13) || 'CESCO' || char(8233) WHERE codice = '1042'");
    const ProgramRun warned = run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("VALENTINI")}),
                                  {}, QStringLiteral("demo"));
    EXPECT_EQ(warned.status, 0);
    EXPECT_TRUE(warned.err.startsWith(QStringLiteral("Attenzione: "))) << warned.err.toStdString();
    EXPECT_TRUE(warned.out.contains(kOwnId + QStringLiteral("\tVALENTINI\tFRAN [2J CESCO \t\n")))
        << warned.out.toStdString();
    EXPECT_TRUE(warned.err.contains(QStringLiteral("VALENTINI FRAN [2J CESCO : ")));
    EXPECT_FALSE(warned.err.contains(QChar(27)) || warned.out.contains(QChar(27)));

    // The host fails in the middle of each output command (its clinical data cannot be read): the
    // failure is shown, the status is 1 and nothing is written. Another patient's export where exports
    // went before (beside the program) or go now (the work folder) is never read in its place.
    const QString besideTheProgram = QFileInfo(kCli).absolutePath() + QStringLiteral("/temp/");
    const QStringList stale = {
        besideTheProgram + QStringLiteral("VALENTINIFRANCESCOcertmedinps.xml"),
        besideTheProgram + QStringLiteral("certmedinps.xml"),
        work() + QStringLiteral("/publ_dati_essenziali-0123456789abcdef0123456789abcdef.xml")};
    const QByteArray foreign = "<Publ_Dati_Essenziali><Elenco_pazienti><PAZIENTE><PERSONA><cognome>VALENTINI"
                               "</cognome><nome_persona>SALVATORE</nome_persona><codice_fiscale>VLNSVT40A01"
                               "H199X</codice_fiscale></PERSONA></PAZIENTE></Elenco_pazienti>"
                               "</Publ_Dati_Essenziali>";
    for (const QString& file : stale)
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()) && testing_support::writeFile(file, foreign));
    const QStringList workFiles = QDir(work()).entryList(QDir::Files); // on Windows earlier tests' too
    changeDatabase(
        "DROP TABLE dati_essenziali;"
        "CREATE VIEW dati_essenziali(id, codice_paziente, classe, ordine, codice, descrizione_estesa,"
        " data_inizio) AS SELECT 1, codice, '', 0, '', '', abs(-9223372036854775807 - 1) FROM pazienti");
    for (const QStringList& command : outputCommands(kOwnId, desktop)) {
        SCOPED_TRACE(command.at(2).toStdString());
        const ProgramRun r = run(demoArgs("demo", command), {}, QStringLiteral("demo"));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err,
                  QStringLiteral("Tgate_zantopat.genera_xml(): eccezione\r\n\r\n  genera_xml: errore del "
                                 "database del demo host: integer overflow\n"));
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_EQ(QDir(desktop).entryList(QDir::Files), QStringList());
        EXPECT_EQ(QDir(work()).entryList(QDir::Files), workFiles);
    }
    for (const QString& file : stale)
        EXPECT_TRUE(QFile::remove(file)) << file.toStdString();
}

// ---- the self-check and the support log ----

// The report's lines that tell of a problem. Under wine no application is associated with PDF files,
// and nothing in a test can associate one: those lines are left out there.
QStringList problemLines(const QString& report)
{
    QStringList problems;
    for (const QString& line : report.split(QLatin1Char('\n'))) {
#ifdef _WIN32
        if (line.startsWith(QStringLiteral("PROBLEMA  Programma che apre i file")))
            continue;
#endif
        if (line.startsWith(QStringLiteral("PROBLEMA")))
            problems << line;
    }
    return problems;
}

class CliDiagnoseTest : public CliProgramTest
{
protected:
    // A viewer associated with PDF files, as xdg-mime reports one; off Windows, where the system is asked.
    QStringList withPdfViewer(QStringList environment)
    {
#ifndef _WIN32
        const QString bin = folder.filePath(QStringLiteral("bin"));
        EXPECT_TRUE(QDir().mkpath(bin));
        EXPECT_TRUE(
            testing_support::writeFile(bin + QStringLiteral("/xdg-mime"),
                                       "#!/bin/sh\n[ \"$3\" = application/pdf ] && echo viewer.desktop\n"));
        QFile::setPermissions(bin + QStringLiteral("/xdg-mime"),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        environment << QStringLiteral("PATH=") + bin + QLatin1Char(':') + qEnvironmentVariable("PATH");
#endif
        return environment;
    }
};

// diagnose needs no user and no password: every check holds on the demo host with the forms in place
// (status 0), and each fault of the installation is named on its own line (status 1).
TEST_F(CliDiagnoseTest, EveryCheckHoldsOrTheFaultIsNamed)
{
    const ProgramCopy copy = copyProgram();
    const QString desktop = folder.filePath(QStringLiteral("desktop"));
    ASSERT_TRUE(QDir().mkpath(desktop));
    const QStringList arguments = {QStringLiteral("--demo-host"), database, QStringLiteral("--desktop"),
                                   desktop, QStringLiteral("diagnose")};
    const QString ap68 = copy.folder + QStringLiteral("/cert med INPS.pdf");
    const QString ap42 = copy.folder + QStringLiteral("/AP42_SS3.pdf");
    const QByteArray ap42Bytes = testing_support::readAll(ap42);

    const ProgramRun good = run(arguments, {}, {}, withPdfViewer(copy.environment), copy.program);
#ifndef _WIN32
    EXPECT_EQ(good.status, 0) << good.out.toStdString() << good.err.toStdString();
    EXPECT_TRUE(good.out.endsWith(QStringLiteral("Tutte le verifiche sono riuscite.\n")));
#endif
    EXPECT_EQ(problemLines(good.out), QStringList());
    EXPECT_TRUE(good.out.contains(QStringLiteral("OK        Modulo AP68 (cert med INPS.pdf): leggibile")));
    EXPECT_TRUE(good.out.contains(
        QString::fromLatin1(QCryptographicHash::hash(ap42Bytes, QCryptographicHash::Sha256).toHex())));

    const QString work = folder.filePath(QStringLiteral("data/invciv/temp"));
    struct Fault
    {
        const char* what;
        std::function<void()> make;
        QString problem; // the start of the one problem line
        bool viewer = true;
    };
    const std::vector<Fault> faults = {
        {"missing form", [&] { ASSERT_TRUE(QFile::remove(ap68)); },
         QStringLiteral("PROBLEMA  Modulo AP68 (cert med INPS.pdf): il modulo vuoto ") +
             QDir::toNativeSeparators(ap68) + QStringLiteral(" non esiste. Cosa fare: ")},
        {"damaged form", [&] { ASSERT_TRUE(testing_support::writeFile(ap42, ap42Bytes.left(20000))); },
         QStringLiteral("PROBLEMA  Modulo AP42 SS3 (AP42_SS3.pdf): il modulo vuoto ") +
             QDir::toNativeSeparators(ap42) + QStringLiteral(" è danneggiato o illeggibile")},
#ifndef _WIN32
        // Not even root writes into a file as into a folder. (Windows takes the work folder from no
        // environment a test could point elsewhere.)
        {"unwritable work folder",
         [&] {
             QDir(work).removeRecursively();
             ASSERT_TRUE(QDir().mkpath(QFileInfo(work).path()) && testing_support::writeFile(work, "x"));
         },
         QStringLiteral("PROBLEMA  Cartella di lavoro dell'utente: ") + QDir::toNativeSeparators(work) +
             QStringLiteral(": esiste ma non è una cartella")},
        {"no PDF viewer", [] {}, QStringLiteral("PROBLEMA  Programma che apre i file .pdf: nessuno"), false},
#endif
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        for (const QString& form : {ap68, ap42}) {
            QFile::remove(form);
            ASSERT_TRUE(QFile::copy(
                QFileInfo(kCli).absolutePath() + QLatin1Char('/') + QFileInfo(form).fileName(), form));
        }
        if (QFileInfo(work).isFile())
            QFile::remove(work);
        fault.make();
        const ProgramRun r =
            run(arguments, {}, {}, fault.viewer ? withPdfViewer(copy.environment) : copy.environment,
                copy.program);
        EXPECT_EQ(r.status, 1);
        const QStringList problems = problemLines(r.out);
        EXPECT_EQ(problems.filter(fault.problem).size(), 1) << r.out.toStdString();
        EXPECT_TRUE(problems.value(0).startsWith(fault.problem)) << r.out.toStdString();
#ifndef _WIN32
        EXPECT_EQ(problems.size(), 1) << r.out.toStdString();
#endif
#ifndef _WIN32
        EXPECT_TRUE(r.out.endsWith(QStringLiteral("Verifiche non riuscite: 1.\n")));
#endif
    }
}

// Every flow, on patients with every kind of value, and a host failure, a refused login and the
// self-check: the log tells what happened, bounded and owner-only, and neither it nor the report holds
// any of the patients' values or the password.
TEST_F(CliDiagnoseTest, NoPatientDataReachesTheLogOrTheReport)
{
    const QString desktop = folder.filePath(QStringLiteral("desktop"));
    ASSERT_TRUE(QDir().mkpath(desktop));
    const QString password = QStringLiteral("Pw-Riservata-8813");
    ASSERT_EQ(
        run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("RO")}), {}, QStringLiteral("demo"))
            .status,
        0);
    changeDatabase(
        QStringLiteral(
            "UPDATE utenti SET password = '%1' WHERE login = 'demo';"
            "UPDATE pazienti SET cognome = 'ZQUARANTOTTI DELL''ORSO', nome = 'ȘTEFĂNIA ŁUCJA', "
            " data_nascita = '1937-09-23', comune_nascita = 'FORLÌ', sigla_provincia_nascita = 'FC', "
            " codice_sanitario = '80380000000000777123' WHERE codice = '1042';"
            "DELETE FROM attributi_persona WHERE codice_paziente IN ('1042', '1321');"
            "INSERT INTO attributi_persona (codice_paziente, attributo, valore) VALUES"
            " ('1042', 'persona\\residenza\\indirizzo\\via_piazza', 'VIA DEGLI OLEANDRI 77'),"
            " ('1042', 'persona\\residenza\\indirizzo\\comune', 'CASTROCARO TERME'),"
            " ('1042', 'persona\\telefono_cellulare', '347 9081726'),"
            " ('1042', 'persona\\e-mail', 'stefania.zq@example.org');"
            "DELETE FROM dati_essenziali WHERE codice_paziente IN ('1042', '1321');"
            "INSERT INTO dati_essenziali (codice_paziente, classe, ordine, codice, descrizione_estesa) VALUES"
            " ('1042', 'problemi_attivi', 1, 'E878.1', 'Complicanza tardiva di protesi valvolare aortica'),"
            " ('1042', 'protesi_ausili', 2, 'V43.64', 'Protesi d''anca sinistra bilaterale'),"
            " ('1042', 'continuativi', 3, 'C07AB07', 'BISOPROLOLO 2,5 mg una compressa al mattino'),"
            " ('1321', 'problemi_attivi', 1, '332.0', 'Morbo di Parkinson idiopatico');")
            .arg(password)
            .toUtf8());
    const QStringList values = {password,
                                QStringLiteral("ZQUARANTOTTI"),
                                QStringLiteral("ȘTEFĂNIA"),
                                QStringLiteral("ŁUCJA"),
                                QStringLiteral("1937"),
                                QStringLiteral("23/09"),
                                QStringLiteral("FORLÌ"),
                                QStringLiteral("FORLI"),
                                QStringLiteral("80380000000000777123"),
                                QStringLiteral("OLEANDRI"),
                                QStringLiteral("CASTROCARO"),
                                QStringLiteral("9081726"),
                                QStringLiteral("stefania"),
                                QStringLiteral("E878.1"),
                                QStringLiteral("V43.64"),
                                QStringLiteral("valvolare"),
                                QStringLiteral("anca"),
                                QStringLiteral("BISOPROLOLO"),
                                QStringLiteral("332.0"),
                                QStringLiteral("Parkinson"),
                                QStringLiteral("ERRANTE"),
                                QStringLiteral("GIORGIO"),
                                QStringLiteral("RRNGRG58H14A944S"),
                                QStringLiteral("VLNFNC"),
                                QStringLiteral("Diabete"),
                                QStringLiteral("Buone condizioni"),
                                QStringLiteral("31303432"),
                                QStringLiteral("1042")};

    const QStringList certificate =
        doctorEntries() + QStringList{QStringLiteral("--domanda"), QStringLiteral("INVALIDITA")};
    const QString ownId = kOwnId;
    const QString errante = QStringLiteral("31333231"); // 1321: a fiscal code the certificate refuses
    struct Step
    {
        QStringList command;
        int status;
    };
    const QStringList desk = {QStringLiteral("--desktop"), desktop};
    const std::vector<Step> steps = {
        {{QStringLiteral("patients"), QStringLiteral("ZQU")}, 0},
        {{QStringLiteral("patients"), QStringLiteral("ERR")}, 0},
        {desk + QStringList{QStringLiteral("ap68"), ownId}, 0},
        {desk + QStringList{QStringLiteral("ap42"), ownId}, 0},
        {desk + QStringList{QStringLiteral("certificate"), errante} + certificate, 1},
        {desk + QStringList{QStringLiteral("certificate"), ownId} + certificate, 0},
    };
    for (const Step& step : steps) {
        const ProgramRun r = run(demoArgs("demo", step.command), {}, password);
        EXPECT_EQ(r.status, step.status)
            << step.command.join(QLatin1Char(' ')).toStdString() << r.err.toStdString();
    }
    EXPECT_EQ(
        run(demoArgs("demo", {QStringLiteral("patients"), QStringLiteral("ZQU")}), {}, QStringLiteral("demo"))
            .status,
        1);
    // The host fails in the middle of a flow: its clinical data cannot be read.
    changeDatabase(
        "DROP TABLE dati_essenziali;"
        "CREATE VIEW dati_essenziali(id, codice_paziente, classe, ordine, codice, descrizione_estesa,"
        " data_inizio) AS SELECT 1, codice, '', 0, '', '', abs(-9223372036854775807 - 1) FROM pazienti");
    EXPECT_EQ(run(demoArgs("demo", desk + QStringList{QStringLiteral("ap68"), ownId}), {}, password).status,
              1);
    const ProgramRun report = run({QStringLiteral("--demo-host"), database, QStringLiteral("--desktop"),
                                   desktop, QStringLiteral("diagnose")},
                                  {}, {}, withPdfViewer({}));
    EXPECT_EQ(problemLines(report.out), QStringList());

    // On Windows the user's own log, which earlier runs may have filled and rotated.
    const QString logs = logFolder();
    const QString log = QString::fromUtf8(testing_support::readAll(logs + QStringLiteral("/invciv.log.1")) +
                                          testing_support::readAll(logs + QStringLiteral("/invciv.log")));
    for (const QString& value : values) {
        EXPECT_FALSE(log.contains(value, Qt::CaseInsensitive)) << value.toStdString() << " in the log";
        EXPECT_FALSE(report.out.contains(value, Qt::CaseInsensitive))
            << value.toStdString() << " in the report";
    }
    EXPECT_TRUE(testing_support::ownerOnly(logs));
    EXPECT_TRUE(testing_support::ownerOnly(logs + QStringLiteral("/invciv.log")));
    // What support reads there: one patient's flows under one tag, the outcomes, the host's failure.
    const QRegularExpression ap68(
        QStringLiteral("AP68 (paziente [0-9a-f]{16}): FDF e copia compilata scritti"));
    const QRegularExpression ap42(
        QStringLiteral("AP42 SS3 (paziente [0-9a-f]{16}): FDF e copia compilata scritti"));
    const auto lastTag = [&log](const QRegularExpression& flow) {
        QString tag;
        for (auto it = flow.globalMatch(log); it.hasNext();)
            tag = it.next().captured(1);
        return tag;
    };
    EXPECT_FALSE(lastTag(ap68).isEmpty()) << log.toStdString();
    EXPECT_EQ(lastTag(ap68), lastTag(ap42));
    for (const char* event :
         {"avvio di invciv-cli 1.", "accesso di demo: riuscito", "accesso di demo: non riuscito",
          "ricerca pazienti: 1 trovati", "certificato XML: non salvato: 1 dati non formalmente corretti",
          "certificato XML: salvato, con modulo AP68 compilato",
          "errore dell'host: Tgate_zantopat.genera_xml() - genera_xml: errore del "
          "database del demo host: integer overflow",
          ": interrotto da un errore", "verifica dell'installazione: "})
        EXPECT_TRUE(log.contains(QString::fromUtf8(event))) << event << "\n" << log.toStdString();
}

} // namespace
