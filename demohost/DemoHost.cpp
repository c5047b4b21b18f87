#include "DemoHost.h"

#include "DemoDatabase.h"
#include "ExportWriter.h"
#include "HostText.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <limits>
#include <map>

namespace demohost {

namespace {

using host::AutomationError;

const std::u16string kRefusal = u"Utente o password non validi";

// A measurement dataset made by new_object("i_hl_dataset", "pressione").
struct Dataset
{
    std::vector<Measurement> rows;
    std::size_t current = 0;

    const Measurement* row() const { return current < rows.size() ? &rows[current] : nullptr; }
};

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::u16string u16(const std::string& utf8)
{
    return host::fromUtf8(utf8);
}

std::string nowUtc()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::optional<TownColumn> townColumn(std::string_view name)
{
    if (name == "denominazione")
        return TownColumn::Denominazione;
    if (name == "codice_catastale")
        return TownColumn::CodiceCatastale;
    if (name == "sigla_provincia")
        return TownColumn::SiglaProvincia;
    return std::nullopt;
}

} // namespace

struct DemoHost::Impl
{
    explicit Impl(const std::string& file) : database(std::make_unique<DemoDatabase>(file)) {}

    std::unique_ptr<DemoDatabase> database; // closed by Free
    bool freed = false;
    std::optional<User> user;
    std::vector<PatientResultRow> rows; // the current result set
    std::size_t current = 0;            // its current row; rows.size() when past the end
    std::map<std::u16string, Dataset> datasets;
    int nextHandle = 1;
    std::u16string lastError;

    struct Call
    {
        const std::string& method;
        host::Arguments& arguments;

        std::string text(std::size_t index) const
        {
            const auto* value = std::get_if<std::u16string>(&arguments[index]);
            if (!value)
                throw AutomationError(method + ": manca l'argomento " + std::to_string(index + 1));
            return host::toUtf8(*value);
        }
    };

    using Handler = host::Result (Impl::*)(const Call&);
    struct Method
    {
        std::string_view name;
        std::size_t minArguments;
        std::size_t maxArguments;
        bool needsLogin;
        Handler handler;
    };

    host::Result invoke(const std::string& method, host::Arguments& arguments);

    const PatientResultRow* currentRow() const { return current < rows.size() ? &rows[current] : nullptr; }
    void endSession()
    {
        user.reset();
        rows.clear();
        current = 0;
        datasets.clear();
    }
    std::string patientCode(const std::string& context, std::u16string_view hexId) const
    {
        const auto code = text::decodeHexId(hexId);
        if (!code)
            throw AutomationError(context + ": id paziente non valido \"" +
                                  host::toUtf8(std::u16string(hexId)) + "\"");
        return *code;
    }

    host::Result newObject(const Call&)
    {
        endSession();
        return {};
    }
    host::Result connetti(const Call& call)
    {
        endSession();
        user = database->authenticate(text::trimmed(call.text(0)), call.text(1));
        return user ? std::u16string() : kRefusal;
    }
    host::Result disconnetti(const Call&)
    {
        endSession();
        return {};
    }
    host::Result release(const Call&)
    {
        endSession();
        database.reset();
        freed = true;
        return {};
    }
    host::Result getError(const Call&) { return lastError; }

    host::Result carica(const Call& call)
    {
        rows.clear();
        current = 0;
        PatientQuery query;
        bool contradictory = false;
        const auto setDoctor = [&](const std::string& name, const std::optional<std::string>& value) {
            const auto id = value ? text::parseDecimal(*value) : std::nullopt;
            if (!id)
                throw AutomationError("carica: valore non valido per " + name + ": \"" + value.value_or("") +
                                      "\"");
            contradictory = contradictory || (query.doctor && *query.doctor != *id);
            query.doctor = id;
        };
        for (const auto& [name, value] : text::parsePairs(call.text(0), "carica")) {
            if (name == "codice_medico")
                setDoctor(name, value);
            else if (name == "titolare")
                setDoctor(name, text::decodeHexId(host::fromUtf8(value)));
            else if (name == "tipo_di_convenzione")
                query.convention = value;
            else if (name == "iniziali_cognome")
                query.surnameInitials = value;
            else if (name == "iniziali_nome")
                query.nameInitials = value;
            else
                throw AutomationError("carica: filtro sconosciuto \"" + name + "\"");
        }
        const std::string order = text::trimmed(call.text(1));
        if (order != "alfabetico" && order != "codice" && !order.empty())
            throw AutomationError("carica: ordinamento sconosciuto \"" + order + "\"");
        query.alphabetical = order == "alfabetico";
        if (!contradictory)
            rows = database->patients(query);
        return static_cast<std::int32_t>(std::min<std::size_t>(
            rows.size(), static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
    }

    host::Result skip(const Call& call)
    {
        std::size_t count = 1;
        if (!call.arguments.empty() && std::holds_alternative<std::u16string>(call.arguments[0])) {
            const auto value = text::parseDecimal(text::trimmed(call.text(0)));
            if (!value)
                throw AutomationError("skip: numero di righe non valido \"" + call.text(0) + "\"");
            count = static_cast<std::size_t>(*value);
        }
        current = std::min(rows.size(), current + std::min(count, rows.size()));
        return {};
    }

    host::Result selectSingle(const Call& call)
    {
        rows.clear(); // a failed selection leaves no patient current, never the previous one
        current = 0;
        const std::u16string hexId = host::fromUtf8(text::trimmed(call.text(0)));
        const auto record = database->patient(patientCode("select_single", hexId));
        if (!record)
            throw AutomationError("select_single: nessun paziente con id \"" + host::toUtf8(hexId) + "\"");
        rows.push_back(record->row);
        return {};
    }

    host::Result leggiAttributo(const Call& call)
    {
        const std::string name = text::trimmed(call.text(0));
        if (name == "userid_utente")
            return u16(std::to_string(user->id));
        const PatientResultRow* row = currentRow();
        if (!row)
            return std::u16string();
        if (name == "codice")
            return u16(row->codice);
        if (name == "cognome")
            return u16(row->cognome);
        if (name == "nome")
            return u16(row->nome);
        if (name == "data_nascita")
            return u16(row->dataNascita);
        if (name.find('\\') != std::string::npos)
            return u16(database->attribute(row->codice, name));
        return std::u16string();
    }

    host::Result utenteLeggiAttributo(const Call& call)
    {
        const std::string name = text::trimmed(call.text(0));
        if (name == "cognome")
            return u16(user->cognome);
        if (name == "nome")
            return u16(user->nome);
        if (name == "codice_fiscale")
            return u16(user->codiceFiscale);
        if (name == "e-mail")
            return u16(user->eMail);
        if (name == "login")
            return u16(user->login);
        if (name == "userid_utente" || name == "id")
            return u16(std::to_string(user->id));
        return std::u16string();
    }

    host::Result generaXml(const Call& call)
    {
        const std::string kind = text::trimmed(call.text(0));
        if (kind != "publ_dati_essenziali")
            throw AutomationError("genera_xml: esportazione sconosciuta \"" + kind + "\"");
        const auto* path = std::get_if<std::u16string>(&call.arguments[2]);
        if (!path || path->empty())
            throw AutomationError("genera_xml: manca il percorso del file");
        const PatientResultRow* row = currentRow();
        const auto record = row ? database->patient(row->codice) : std::nullopt;
        if (!record)
            throw AutomationError("genera_xml: nessun paziente corrente");
        EssentialDataExport data{*record, {}, database->sections(record->row.codice), *user, nowUtc()};
        data.birthTownCode =
            database->town(TownColumn::CodiceCatastale, TownColumn::Denominazione, record->comuneNascita)
                .value_or("");
        writeExport(std::filesystem::path(*path), data);
        return {};
    }

    host::Result newObjectOf(const Call& call)
    {
        const std::string className = text::trimmed(call.text(0));
        const std::string second = text::trimmed(call.text(1));
        if (className != "i_hl_dataset")
            throw AutomationError("new_object: classe sconosciuta \"" + className + "\"");
        if (second != "pressione")
            throw AutomationError("new_object: dataset sconosciuto \"" + second + "\"");
        std::u16string handle = u16("hds_" + std::to_string(nextHandle++));
        datasets.emplace(handle, Dataset{});
        return handle;
    }

    host::Result callMethodPipe(const Call& call)
    {
        const auto* handle = std::get_if<std::u16string>(&call.arguments[0]);
        const auto found = handle ? datasets.find(*handle) : datasets.end();
        if (found == datasets.end())
            throw AutomationError("call_method_pipe: handle sconosciuto \"" +
                                  (handle ? host::toUtf8(*handle) : "") + "\"");
        Dataset& dataset = found->second;
        const std::string method = text::trimmed(call.text(1));
        const std::string parameters = call.text(2);
        if (method == "carica") {
            std::optional<std::string> code;
            bool latestFirst = true;
            for (const auto& [name, value] : text::parsePairs(parameters, "call_method_pipe carica")) {
                if (name == "codice")
                    code = patientCode("call_method_pipe carica", host::fromUtf8(value));
                else if (name == "ordinamento" && (value == "ordine_data_desc" || value == "ordine_data_asc"))
                    latestFirst = value == "ordine_data_desc";
                else
                    throw AutomationError("call_method_pipe carica: parametro non valido \"" + name + "=" +
                                          value + "\"");
            }
            if (!code)
                throw AutomationError("call_method_pipe carica: manca il parametro codice");
            dataset.rows = database->measurements(*code, latestFirst);
            dataset.current = 0;
            return u16(std::to_string(dataset.rows.size()));
        }
        if (method == "rowcount")
            return u16(std::to_string(dataset.rows.size()));
        if (method == "skip") {
            dataset.current = std::min(dataset.rows.size(), dataset.current + 1);
            return std::u16string();
        }
        if (method == "leggi_attributo") {
            const Measurement* row = dataset.row();
            const std::string name = text::trimmed(parameters);
            if (!row)
                return std::u16string();
            if (name == "frequenza_cardiaca")
                return u16(row->frequenzaCardiaca);
            if (name == "pressione_massima")
                return u16(row->pressioneMassima);
            if (name == "pressione_minima")
                return u16(row->pressioneMinima);
            if (name == "data")
                return u16(row->data);
            return std::u16string();
        }
        if (method == "free") {
            datasets.erase(found);
            return std::u16string();
        }
        throw AutomationError("call_method_pipe: metodo sconosciuto \"" + method + "\" per i_hl_dataset");
    }

    host::Result tabelleLeggiAttributo(const Call& call)
    {
        const std::string table = text::trimmed(call.text(0));
        if (table != "tabella_comuni")
            throw AutomationError("tabelle_leggi_attributo_generico_plus: tabella sconosciuta \"" + table +
                                  "\"");
        const auto read = townColumn(text::trimmed(call.text(1)));
        const auto match = townColumn(text::trimmed(call.text(2)));
        if (!read || !match)
            throw AutomationError(
                "tabelle_leggi_attributo_generico_plus: attributo sconosciuto in tabella_comuni");
        return u16(database->town(*read, *match, call.text(3)).value_or(""));
    }
    // Every server method, by the name the callers invoke (looked up without regard to case, as
    // automation does), with its argument counts and whether it needs a connected user.
    static const std::array<Method, 15>& methods()
    {
        static const std::array<Method, 15> table{{
            {"new", 0, 0, false, &Impl::newObject},
            {"connetti", 2, 2, false, &Impl::connetti},
            {"disconnetti", 0, 1, false, &Impl::disconnetti},
            {"Destroy", 0, 1, false, &Impl::disconnetti},
            {"Free", 0, 1, false, &Impl::release},
            {"get_error", 0, 1, false, &Impl::getError},
            {"carica", 2, 2, true, &Impl::carica},
            {"skip", 0, 1, true, &Impl::skip},
            {"select_single", 1, 1, true, &Impl::selectSingle},
            {"leggi_attributo", 1, 1, true, &Impl::leggiAttributo},
            {"utente_leggi_attributo", 1, 1, true, &Impl::utenteLeggiAttributo},
            {"genera_xml", 3, 3, true, &Impl::generaXml},
            {"new_object", 2, 2, true, &Impl::newObjectOf},
            {"call_method_pipe", 3, 3, true, &Impl::callMethodPipe},
            {"tabelle_leggi_attributo_generico_plus", 4, 4, true, &Impl::tabelleLeggiAttributo},
        }};
        return table;
    }
};

host::Result DemoHost::Impl::invoke(const std::string& method, host::Arguments& arguments)
{
    try {
        const auto& table = methods();
        const auto entry = std::find_if(table.begin(), table.end(),
                                        [&](const Method& m) { return equalsIgnoringCase(m.name, method); });
        if (entry == table.end())
            throw AutomationError("Metodo sconosciuto: \"" + method + "\"");
        if (freed)
            throw AutomationError(method + ": l'oggetto Korvalis.Server è già stato liberato (Free)");
        if (arguments.size() < entry->minArguments || arguments.size() > entry->maxArguments)
            throw AutomationError(method + ": numero di argomenti errato (" +
                                  std::to_string(arguments.size()) + ")");
        if (entry->needsLogin && !user)
            throw AutomationError(method + ": nessun utente connesso (connetti non riuscito o non chiamato)");
        return (this->*(entry->handler))(Call{method, arguments});
    } catch (const AutomationError& error) {
        lastError = host::fromUtf8(error.what());
        throw;
    } catch (const std::exception& error) {
        lastError = host::fromUtf8(error.what());
        throw AutomationError(method + ": errore del database del demo host: " + error.what());
    }
}

DemoHost::DemoHost(const std::string& databaseFile) : d(std::make_unique<Impl>(databaseFile)) {}

DemoHost::~DemoHost() = default;

host::Result DemoHost::invoke(const std::string& method, host::Arguments& arguments)
{
    return d->invoke(method, arguments);
}

std::vector<std::string_view> DemoHost::methodNames()
{
    std::vector<std::string_view> names;
    for (const Impl::Method& method : Impl::methods())
        names.push_back(method.name);
    return names;
}

void DemoHost::ensureDatabase(const std::string& databaseFile)
{
    DemoDatabase check(databaseFile);
}

host::AutomationFactory automationFactory(std::string databaseFile)
{
    return [file = std::move(databaseFile)](
               const std::u16string& progId) -> std::unique_ptr<host::AutomationObject> {
        if (progId == host::kHostProgId)
            return std::make_unique<DemoHost>(file);
        throw host::classNotRegistered(progId);
    };
}

} // namespace demohost
