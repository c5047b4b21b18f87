// The AP68 pre-fill against a fake host, beside its floor: parsing the same export with pugixml and
// writing the same FDF bytes, which no implementation can avoid. "fdf" is the FDF half (the host's
// export, the reads, the FDF written); "flow" is the whole click, with the form copy and its filling.
//
// Prints Google Benchmark's table, then the medians side by side:
//   build/<dir>/bin/bench_fdf [--benchmark_repetitions=N]

#include "MedianReporter.h"
#include "fdf/Ap68Map.h"
#include "fdf/OutputFlow.h"
#include "support/ExportBuilder.h"
#include "support/FakeHost.h"
#include "support/SampleData.h"
#include "support/TempDirs.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <memory>

namespace {

using namespace testing_support;

const clinical::PatientRow kRow = rossiRow();

// An export with `entries` DATO_GENERICO entries spread over the four sections the flow reads, plus a
// section it skips.
QByteArray exportWithEntries(int entries)
{
    PatientExport e = rossiPersonExport();
    const char* classes[] = {"protesi_ausili", "problemi_attivi", "allarmi", "continuativi", "vaccinazioni"};
    for (const char* c : classes)
        e.sections.push_back({QLatin1String(c), {}});
    for (int i = 0; i < entries; ++i) {
        e.sections[std::size_t(i) % 5].entries.push_back(
            {QStringLiteral("%1.%2").arg(200 + i % 700).arg(i % 10),
             QStringLiteral("Voce %1 (descrizione estesa, più righe)\r\nseconda riga").arg(i)});
    }
    return e.toXml();
}

// One run environment: program and desktop folders, a host that writes `exportXml` on request.
struct Flow
{
    TempFolders folders;
    FakeHostSession host;
    fdf::FlowContext context{host.session, host.platform, [](const QString&) {}, [] {}};

    explicit Flow(const QByteArray& exportXml)
    {
        host.platform.program = folders.program;
        host.platform.desktop = folders.desktop;
        host.platform.work = folders.work;
        host.patients = {
            {.codice = kRow.cognome, .cognome = kRow.cognome, .nome = kRow.nome, .exportXml = exportXml}};
    }
    QString run() { return fdf::CreateAp68Pdf(kRow, context); }
    QString temp() const { return folders.work + QDir::separator(); }
};

void flowRun(benchmark::State& state, const QByteArray& exportXml)
{
    Flow f(exportXml);
    for (auto _ : state)
        benchmark::DoNotOptimize(f.run());
}

void fdfRun(benchmark::State& state, const QByteArray& exportXml)
{
    Flow f(exportXml);
    const QString copy = f.folders.desktop + QDir::separator() + QStringLiteral("ROSSIMARIOcertmedinps.pdf");
    for (auto _ : state)
        benchmark::DoNotOptimize(fdf::WriteAp68Fdf(kRow, f.host.session, f.temp() + QStringLiteral("w.fdf"),
                                                   copy, f.temp() + QStringLiteral("w.xml")));
}

enum class Floor {
    Plain,   // parse the export, write the FDF bytes plainly
    Durable, // parse the export, write the FDF bytes as the flow must (QSaveFile: whole, synced)
    Full,    // and the rest of the flow's own I/O: the host's export file, reading it, the form copy
};

void writePlain(const QString& path, const QByteArray& bytes)
{
    QFile out(path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// The floor: what no implementation of the flow can avoid, on the same export and FDF bytes.
void floorRun(benchmark::State& state, const QByteArray& exportXml, Floor floor)
{
    Flow f(exportXml);
    const QByteArray fdfBytes = readFile(f.run());
    const QByteArray form = readFile(f.folders.program + QStringLiteral("cert med INPS.pdf"));
    const QString temp = f.temp();
    const QString fdfPath = temp + QStringLiteral("floor.fdf");
    const QString exportPath = temp + QStringLiteral("floor.xml");
    const QString copyPath = f.folders.desktop + QDir::separator() + QStringLiteral("floor.pdf");
    for (auto _ : state) {
        pugi::xml_document document;
        if (floor == Floor::Full) {
            writePlain(exportPath, exportXml);
            const QByteArray read = readFile(exportPath);
            benchmark::DoNotOptimize(document.load_buffer(read.constData(), std::size_t(read.size())));
            writePlain(copyPath, readFile(f.folders.program + QStringLiteral("cert med INPS.pdf")));
        } else {
            benchmark::DoNotOptimize(
                document.load_buffer(exportXml.constData(), std::size_t(exportXml.size())));
        }
        if (floor == Floor::Plain) {
            writePlain(fdfPath, fdfBytes);
        } else {
            QSaveFile out(fdfPath);
            out.open(QIODevice::WriteOnly);
            out.write(fdfBytes);
            out.commit();
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"typical", 7}, {"entries:500", 500}, {"entries:5000", 5000}, {"entries:50000", 50000}};
    std::vector<QByteArray> exports;
    for (const auto& c : cases)
        exports.push_back(exportWithEntries(c.second));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const QByteArray& xml = exports[i];
        const std::string name = "/" + cases[i].first;
        for (benchmark::internal::Benchmark* b :
             {benchmark::RegisterBenchmark(("ap68_flow" + name).c_str(), flowRun, xml),
              benchmark::RegisterBenchmark(("ap68_fdf" + name).c_str(), fdfRun, xml),
              benchmark::RegisterBenchmark(("floor_full" + name).c_str(), floorRun, xml, Floor::Full),
              benchmark::RegisterBenchmark(("floor_durable" + name).c_str(), floorRun, xml, Floor::Durable),
              benchmark::RegisterBenchmark(("floor_plain" + name).c_str(), floorRun, xml, Floor::Plain)})
            b->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true)->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    bench_support::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf(
        "\nmedians (ms)     flow      fdf   floor:full (ratio)  floor:durable (ratio)  floor:plain (ratio)"
        "   export\n");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const double whole = reporter.medians["ap68_flow/" + cases[i].first];
        const double flow = reporter.medians["ap68_fdf/" + cases[i].first];
        std::printf("%-14s %7.3f  %7.3f", cases[i].first.c_str(), whole, flow);
        for (const char* floor : {"floor_full/", "floor_durable/", "floor_plain/"}) {
            const double value = reporter.medians[floor + cases[i].first];
            std::printf("   %8.3f (%5.2fx)", value, value > 0 ? flow / value : 0.0);
        }
        const double kib = double(exports[i].size()) / 1024.0;
        std::printf("   %6.0f KiB  %6.2f us/KiB\n", kib, flow * 1000.0 / kib);
    }
    std::printf(
        "ratios: fdf against each floor. targets (fdf): typical <= 5 ms and <= 2x floor; entries:5000 <= 50 "
        "ms;\n"
        "time linear in export size. flow adds the desktop copy and its filling (see bench_filled_pdf)\n"
        "floor: pugixml parse of the same export + the same FDF bytes written (plain: plainly; durable:\n"
        "as the flow must, QSaveFile; full: durable, plus the host's export file, reading it back and\n"
        "the blank form copy). TMPDIR chooses the disk the files go to.\n");
    benchmark::Shutdown();
    return 0;
}
