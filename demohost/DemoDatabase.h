#pragma once
// The demo host's SQLite file: creation from the bundled seed, the check that a file is a demo-host
// database, and every query the host answers from, each a cached prepared statement with bound values.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace demohost {

struct User
{
    long long id = 0;
    std::string login;
    std::string cognome;
    std::string nome;
    std::string codiceFiscale;
    std::string eMail;
};

// One row of a patient result set: what the patient list reads.
struct PatientResultRow
{
    std::string codice;
    std::string cognome;
    std::string nome;
    std::string dataNascita; // "yyyy-mm-dd", "" when unknown
};

struct PatientRecord
{
    PatientResultRow row;
    std::string sesso;
    std::string codiceFiscale;
    std::string comuneNascita;
    std::string siglaProvinciaNascita;
    std::string codiceSanitario;
    std::string codiceAsl;
};

struct SectionEntry
{
    std::string classe;
    std::string codice;
    std::string descrizioneEstesa;
    std::string dataInizio;
};

struct Measurement
{
    std::string data;
    std::string frequenzaCardiaca; // "" when not recorded
    std::string pressioneMassima;
    std::string pressioneMinima;
};

struct PatientQuery
{
    std::optional<long long> doctor;
    std::optional<std::string> convention;
    std::string surnameInitials; // "" matches every surname
    std::string nameInitials;
    bool alphabetical = true; // surname, first name, code; otherwise by code
};

// Columns of the town table, the only lookup table the host offers.
enum class TownColumn { Denominazione, CodiceCatastale, SiglaProvincia };

class DemoDatabase
{
public:
    // Opens the file read-only, creating it from the seed first when it does not exist. Throws
    // host::AutomationError naming the file when it cannot be created or opened or is not a demo-host
    // database.
    explicit DemoDatabase(const std::string& fileUtf8);
    ~DemoDatabase();
    DemoDatabase(const DemoDatabase&) = delete;
    DemoDatabase& operator=(const DemoDatabase&) = delete;

    // The user with this login (case ignored) and exactly this password.
    std::optional<User> authenticate(std::string_view login, std::string_view password);
    std::vector<PatientResultRow> patients(const PatientQuery& query);
    std::optional<PatientRecord> patient(std::string_view codice);
    // The person attribute at a backslash path (case ignored); "" when the patient has none.
    std::string attribute(std::string_view codice, std::string_view path);
    // Entries in export order: the four known classes first, then any other class by name.
    std::vector<SectionEntry> sections(std::string_view codice);
    std::vector<Measurement> measurements(std::string_view codice, bool latestFirst);
    // The first town whose `match` column equals the value (trimmed, case ignored); nothing when none.
    std::optional<std::string> town(TownColumn read, TownColumn match, std::string_view value);

private:
    struct Statements;
    std::unique_ptr<Statements> d;
};

} // namespace demohost
