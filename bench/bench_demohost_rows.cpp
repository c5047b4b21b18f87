// The patient list's reload against the demo host: 1,000 rows read through the host session, one
// carica, then four leggi_attributo and one skip per row, as the main window's timer does.
//
//   build/<dir>/bin/bench_demohost_rows        (prints mean, median, stddev of 15 repetitions)

#include "DemoPatients.h"
#include "demohost/DemoHost.h"
#include "host/Tzantopat.h"
#include "host/tc_GenTools.h"
#include "platform/ConsolePlatform.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kRows = 1000;
constexpr const char* kDoctorId = "77";

// A doctor with kRows patients, added to a fresh demo database.
void addPatients(const std::string& file)
{
    static const char* const surnames[] = {"ROSSI", "D'ANGELO", "BERTÈ", "ÖZTÜRK",
                                           "DE LUCA", "ZANETTI", "ABATE", "CANTÙ"};
    bench_support::addDemoPatients(file, 77, "bench", kRows,
                                   [](int i) { return std::string(surnames[i % 8]) + " " + std::to_string(i % 97); });
}

void BM_DemoHostPatientRows(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string file = (dir.path() + QStringLiteral("/bench.sqlite")).toStdString();
    addPatients(file);
    platform::ConsolePlatform platform(dir.path(), dir.path() + QStringLiteral("/"));
    Tzantopat session(platform, demohost::automationFactory(file));
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
