#include "DemoDatabase.h"

#include "HostText.h"
#include "SeedSql.h"
#include "Sqlite.h"

#include "host/AutomationObject.h"

#include <sqlite3.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace demohost {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFormat = "invciv-demohost";

fs::path pathFromUtf8(const std::string& fileUtf8)
{
    return fs::path(std::u8string(fileUtf8.begin(), fileUtf8.end()));
}

std::string quoted(const std::string& fileUtf8)
{
    return "\"" + fileUtf8 + "\"";
}

// SQL functions for comparisons without regard to case, beyond the ASCII that SQLite's own know.
void foldFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const auto* value = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    if (!value) {
        sqlite3_result_null(context);
        return;
    }
    const std::string result = text::folded(value);
    sqlite3_result_text(context, result.data(), static_cast<int>(result.size()), SQLITE_TRANSIENT);
}

void startsWithFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const auto* value = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    const auto* prefix = reinterpret_cast<const char*>(sqlite3_value_text(arguments[1]));
    sqlite3_result_int(context, text::startsWithFolded(value ? value : "", prefix ? prefix : "") ? 1 : 0);
}

void registerFunctions(sql::Connection& connection)
{
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    if (sqlite3_create_function_v2(connection.handle(), "demo_fold", 1, flags, nullptr, foldFunction, nullptr,
                                   nullptr, nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(connection.handle(), "demo_starts_with", 2, flags, nullptr,
                                   startsWithFunction, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw sql::Error(connection.lastMessage());
}

// A name beside the target that no other run picks: the file is built there and renamed into place,
// so the target is either missing or complete.
fs::path temporaryBeside(const fs::path& target)
{
    std::random_device random;
    static constexpr char digits[] = "0123456789abcdef";
    std::string suffix = ".creating-";
    for (int i = 0; i < 12; ++i)
        suffix += digits[random() % 16];
    fs::path temporary = target;
    temporary += suffix;
    return temporary;
}

void removeQuietly(const fs::path& path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

void createFromSeed(const std::string& fileUtf8)
{
    const fs::path target = pathFromUtf8(fileUtf8);
    std::error_code ignored;
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ignored); // a failure shows when the file is created
    const fs::path temporary = temporaryBeside(target);
    const auto u8 = temporary.u8string();
    const std::string temporaryUtf8(u8.begin(), u8.end());
    try {
#ifndef _WIN32
        // The users' passwords are in it: created owner-only, whatever the umask. SQLite takes the empty
        // file as a new database, and gives its journal the file's permissions.
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            throw sql::Error(std::string("impossibile creare il file: ") + std::strerror(errno));
        ::close(fd);
#endif
        {
            sql::Connection connection(temporaryUtf8, sql::Connection::Mode::Create);
            connection.execute("PRAGMA journal_mode=DELETE");
            connection.execute("BEGIN");
            connection.execute(schemaSql());
            connection.execute(seedSql());
            connection.execute("COMMIT");
        }
        fs::rename(temporary, target);
    } catch (const std::exception& error) {
        removeQuietly(temporary);
        removeQuietly(fs::path(temporary) += "-journal");
        throw host::AutomationError("Il database del demo host " + quoted(fileUtf8) +
                                    " non si può creare: " + error.what());
    }
}

// A file that another program holds locked is not broken: the user is told to try again, not that the
// file is wrong.
[[noreturn]] void refuse(const std::string& fileUtf8, const sql::Error& error, const std::string& otherwise)
{
    if (error.busy())
        throw host::AutomationError("Il file del demo host " + quoted(fileUtf8) +
                                    " è in uso da un altro programma: riprovare");
    throw host::AutomationError(otherwise + error.what());
}

constexpr std::string_view kTownColumns[] = {"denominazione", "codice_catastale", "sigla_provincia"};

} // namespace

struct DemoDatabase::Statements
{
    explicit Statements(const std::string& fileUtf8) : connection(fileUtf8, sql::Connection::Mode::ReadOnly)
    {
    }

    sql::Connection connection;
    std::unique_ptr<sql::Statement> format, user, patientsAlphabetical, patientsByCode, patient, attribute,
        sections, measurementsLatestFirst, measurementsOldestFirst;
    // One per pair of town columns (read, match), prepared when first asked for.
    std::array<std::unique_ptr<sql::Statement>, 9> towns;

    std::unique_ptr<sql::Statement> prepare(std::string_view sqlText)
    {
        return std::make_unique<sql::Statement>(connection, sqlText);
    }
};

DemoDatabase::DemoDatabase(const std::string& fileUtf8)
{
    std::error_code error;
    const bool exists = fs::exists(pathFromUtf8(fileUtf8), error);
    if (!exists && !error)
        createFromSeed(fileUtf8);

    try {
        d = std::make_unique<Statements>(fileUtf8);
    } catch (const sql::Error& e) {
        refuse(fileUtf8, e, "Il database del demo host " + quoted(fileUtf8) + " non si può aprire: ");
    }
    try {
        registerFunctions(d->connection);
        d->format = d->prepare("SELECT valore FROM demohost_info WHERE chiave = 'formato'");
        {
            sql::Run run(*d->format);
            if (!run->step() || run->text(0) != kFormat)
                throw sql::Error("manca il contrassegno del formato in demohost_info");
        }
        // Preparing every query now checks the tables and columns once, at start.
        d->user = d->prepare("SELECT id, login, password, cognome, nome, coalesce(codice_fiscale, ''), "
                             "coalesce(e_mail, '') FROM utenti WHERE login = ?1");
        const std::string_view patientsSelect =
            "SELECT codice, cognome, nome, coalesce(data_nascita, '') FROM pazienti "
            "WHERE (?1 IS NULL OR codice_medico = ?1) AND (?2 IS NULL OR tipo_di_convenzione = ?2) "
            "AND demo_starts_with(cognome, ?3) AND demo_starts_with(nome, ?4) ";
        d->patientsAlphabetical =
            d->prepare(std::string(patientsSelect) + "ORDER BY demo_fold(cognome), demo_fold(nome), codice");
        d->patientsByCode = d->prepare(std::string(patientsSelect) + "ORDER BY codice");
        d->patient = d->prepare(
            "SELECT codice, cognome, nome, coalesce(data_nascita, ''), coalesce(sesso, ''), "
            "coalesce(codice_fiscale, ''), coalesce(comune_nascita, ''), coalesce(sigla_provincia_nascita, "
            "''), "
            "coalesce(codice_sanitario, ''), coalesce(codice_asl, '') FROM pazienti WHERE codice = ?1");
        d->attribute =
            d->prepare("SELECT valore FROM attributi_persona WHERE codice_paziente = ?1 AND attributo = ?2");
        d->sections = d->prepare(
            "SELECT classe, codice, descrizione_estesa, coalesce(data_inizio, '') FROM dati_essenziali "
            "WHERE codice_paziente = ?1 ORDER BY CASE classe WHEN 'protesi_ausili' THEN 1 "
            "WHEN 'problemi_attivi' THEN 2 WHEN 'allarmi' THEN 3 WHEN 'continuativi' THEN 4 ELSE 5 END, "
            "classe, ordine, id");
        const std::string_view measurementsSelect =
            "SELECT data, frequenza_cardiaca, pressione_massima, pressione_minima FROM pressione "
            "WHERE codice_paziente = ?1 ";
        d->measurementsLatestFirst =
            d->prepare(std::string(measurementsSelect) + "ORDER BY data DESC, id DESC");
        d->measurementsOldestFirst = d->prepare(std::string(measurementsSelect) + "ORDER BY data, id");
        d->prepare("SELECT denominazione, codice_catastale, sigla_provincia FROM tabella_comuni LIMIT 0");
    } catch (const sql::Error& e) {
        refuse(fileUtf8, e, "Il file " + quoted(fileUtf8) + " non è un database del demo host: ");
    }
}

DemoDatabase::~DemoDatabase() = default;

std::optional<User> DemoDatabase::authenticate(std::string_view login, std::string_view password)
{
    sql::Run run(*d->user);
    run->bind(1, login);
    if (!run->step() || run->text(2) != password)
        return std::nullopt;
    return User{run->integer(0), run->text(1), run->text(3), run->text(4), run->text(5), run->text(6)};
}

std::vector<PatientResultRow> DemoDatabase::patients(const PatientQuery& query)
{
    sql::Run run(query.alphabetical ? *d->patientsAlphabetical : *d->patientsByCode);
    if (query.doctor)
        run->bind(1, *query.doctor);
    if (query.convention)
        run->bind(2, *query.convention);
    run->bind(3, query.surnameInitials);
    run->bind(4, query.nameInitials);
    std::vector<PatientResultRow> rows;
    while (run->step())
        rows.push_back({run->text(0), run->text(1), run->text(2), run->text(3)});
    return rows;
}

std::optional<PatientRecord> DemoDatabase::patient(std::string_view codice)
{
    sql::Run run(*d->patient);
    run->bind(1, codice);
    if (!run->step())
        return std::nullopt;
    return PatientRecord{{run->text(0), run->text(1), run->text(2), run->text(3)},
                         run->text(4),
                         run->text(5),
                         run->text(6),
                         run->text(7),
                         run->text(8),
                         run->text(9)};
}

std::string DemoDatabase::attribute(std::string_view codice, std::string_view path)
{
    sql::Run run(*d->attribute);
    run->bind(1, codice).bind(2, path);
    return run->step() ? run->text(0) : std::string();
}

std::vector<SectionEntry> DemoDatabase::sections(std::string_view codice)
{
    sql::Run run(*d->sections);
    run->bind(1, codice);
    std::vector<SectionEntry> entries;
    while (run->step())
        entries.push_back({run->text(0), run->text(1), run->text(2), run->text(3)});
    return entries;
}

std::vector<Measurement> DemoDatabase::measurements(std::string_view codice, bool latestFirst)
{
    sql::Run run(latestFirst ? *d->measurementsLatestFirst : *d->measurementsOldestFirst);
    run->bind(1, codice);
    std::vector<Measurement> rows;
    while (run->step())
        rows.push_back({run->text(0), run->text(1), run->text(2), run->text(3)});
    return rows;
}

std::optional<std::string> DemoDatabase::town(TownColumn read, TownColumn match, std::string_view value)
{
    const auto readIndex = static_cast<std::size_t>(read);
    const auto matchIndex = static_cast<std::size_t>(match);
    auto& statement = d->towns[readIndex * 3 + matchIndex];
    if (!statement) {
        // Column names come from the fixed list above, never from the caller; the value is bound.
        const std::string readColumn(kTownColumns[readIndex]);
        const std::string matchColumn(kTownColumns[matchIndex]);
        statement = d->prepare("SELECT " + readColumn + " FROM tabella_comuni WHERE demo_fold(trim(" +
                               matchColumn + ")) = demo_fold(?1) ORDER BY rowid LIMIT 1");
    }
    sql::Run run(*statement);
    run->bind(1, text::trimmed(value));
    if (!run->step())
        return std::nullopt;
    return run->text(0);
}

} // namespace demohost
