// The patient list's reload against the demo host: 1,000 rows read through the host session, one
// carica, then four leggi_attributo and one skip per row, as the main window's timer does.
//
//   build/<dir>/bin/bench_demohost_rows        (prints mean, median, stddev of 15 repetitions)

#include "demohost/DemoHost.h"
#include "host/Tzantopat.h"
#include "host/tc_GenTools.h"
#include "platform/ConsolePlatform.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>

namespace {

constexpr int kRows = 1000;
constexpr const char* kDoctorId = "77";

// A doctor with kRows patients, added to a fresh demo database with bound inserts.
void addPatients(const std::string& file)
{
    demohost::DemoHost::ensureDatabase(file);
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db,
                 "BEGIN; INSERT INTO utenti (id, login, password, cognome, nome) "
                 "VALUES (77, 'bench', 'bench', 'BENCH', 'MEDICO');",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO pazienti (codice, codice_medico, cognome, nome, data_nascita, sesso) "
                       "VALUES (?1, 77, ?2, ?3, ?4, 'F')",
                       -1, &insert, nullptr);
    static const char* surnames[] = {"ROSSI",   "D'ANGELO", "BERTÈ", "ÖZTÜRK",
                                     "DE LUCA", "ZANETTI",  "ABATE", "CANTÙ"};
    static const char* names[] = {"MARIA ROSA", "ANNA", "NICOLETTA", "GIULIA", "ÈLIA"};
    for (int i = 0; i < kRows; ++i) {
        const std::string code = std::to_string(900000 + i);
        const std::string surname = std::string(surnames[i % 8]) + " " + std::to_string(i % 97);
        const std::string birth = std::to_string(1930 + i % 70) + "-0" + std::to_string(1 + i % 9) + "-15";
        sqlite3_bind_text(insert, 1, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, surname.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, names[i % 5], -1, SQLITE_STATIC);
        if (i % 25 == 0)
            sqlite3_bind_null(insert, 4);
        else
            sqlite3_bind_text(insert, 4, birth.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void BM_DemoHostPatientRows(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string file = (dir.path() + QStringLiteral("/bench.sqlite")).toStdString();
    addPatients(file);
    platform::ConsolePlatform platform(dir.path(), dir.path() + QStringLiteral("/"));
    Tzantopat session(platform, host::automationFactoryFor({true, file}));
    session.s_utente = session.s_password = QStringLiteral("bench");
    if (!session.start()) {
        state.SkipWithError("login refused");
        return;
    }
    const QString filter = QStringLiteral("titolare= ") +
                           tc_GenTools::string2hex(QString::fromLatin1(kDoctorId)) +
                           QStringLiteral("|iniziali_cognome=|iniziali_nome=");
    for (auto _ : state) {
        const int count = session.carica(filter, QStringLiteral("alfabetico"));
        for (int i = 0; i < count; ++i) {
            benchmark::DoNotOptimize(session.leggi_attributo(QStringLiteral("codice")));
            benchmark::DoNotOptimize(session.leggi_attributo(QStringLiteral("cognome")));
            benchmark::DoNotOptimize(session.leggi_attributo(QStringLiteral("nome")));
            benchmark::DoNotOptimize(session.leggi_attributo(QStringLiteral("data_nascita")));
            session.skip();
        }
        if (count != kRows) {
            state.SkipWithError("unexpected row count");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    if (!platform.messages().isEmpty())
        state.SkipWithError("the session showed a message");
}

BENCHMARK(BM_DemoHostPatientRows)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
