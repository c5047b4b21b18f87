// Verifying fiscal codes: the check character and the agreement with the person's data, 1,000,000
// codes in a row. The codes and people are the demo seed's patients (accents, apostrophes, omocodic
// codes, the few that disagree on purpose), taken in turn, with their birth towns' cadastral codes.
//
// Prints Google Benchmark's table, then the median for 1,000,000 codes against the target of 1 s:
//   build/<dir>/bin/bench_fiscal_code [--benchmark_repetitions=N]

#include "MedianReporter.h"
#include "clinical/FiscalCode.h"
#include "demohost/DemoHost.h"
#include "demohost/Sqlite.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kCodes = 1'000'000;

struct Patient
{
    QString code;
    clinical::FiscalCodePerson person;
};

std::vector<Patient> seedPatients()
{
    QTemporaryDir dir;
    const std::string file = (dir.path() + QStringLiteral("/seed.sqlite")).toStdString();
    demohost::DemoHost::ensureDatabase(file);
    demohost::sql::Connection db(file, demohost::sql::Connection::Mode::ReadOnly);
    demohost::sql::Statement rows(db, "SELECT p.codice_fiscale, p.cognome, p.nome, p.sesso, p.data_nascita, "
                                      "c.codice_catastale FROM pazienti p "
                                      "LEFT JOIN tabella_comuni c ON c.denominazione = p.comune_nascita");
    const auto text = [&rows](int column) { return QString::fromStdString(rows.text(column)); };
    std::vector<Patient> patients;
    while (rows.step()) {
        patients.push_back(
            {text(0), {text(1), text(2), text(3), QDate::fromString(text(4), Qt::ISODate), text(5)}});
    }
    return patients;
}

void BM_VerifyFiscalCodes(benchmark::State& state)
{
    static const std::vector<Patient> patients = seedPatients();
    if (patients.empty()) {
        state.SkipWithError("no seed patients");
        return;
    }
    int agreeing = 0;
    for (auto _ : state) {
        agreeing = 0;
        for (int i = 0; i < kCodes; ++i) {
            const Patient& p = patients[static_cast<std::size_t>(i) % patients.size()];
            agreeing += clinical::hasValidCheckCharacter(p.code) &&
                        !clinical::fiscalCodeDisagreements(p.code, p.person);
        }
        benchmark::DoNotOptimize(agreeing);
    }
    state.SetItemsProcessed(state.iterations() * kCodes);
    state.counters["agreeing"] = agreeing;
    state.counters["patients"] = static_cast<double>(patients.size());
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("verify_fiscal_codes", BM_VerifyFiscalCodes)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(10)
        ->ReportAggregatesOnly(true);
    benchmark::Initialize(&argc, argv);
    bench_support::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf(
        "\n1,000,000 codes verified (check character + agreement): %.1f ms median; target < 1000 ms\n",
        reporter.medians["verify_fiscal_codes"]);
    benchmark::Shutdown();
    return 0;
}
