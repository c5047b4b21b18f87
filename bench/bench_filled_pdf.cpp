// Filling the AP68 desktop copy with qpdf, beside pdftk filling the same form from the FDF written from
// the same field list: `pdftk <form> fill_form <fdf> output <file>`.
//
// Prints Google Benchmark's table, then both medians and their ratio:
//   build/<dir>/bin/bench_filled_pdf [--benchmark_repetitions=N]

#include "fdf/Ap68Map.h"
#include "fdf/FilledPdf.h"
#include "MedianReporter.h"
#include "support/TempDirs.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using testing_support::TempFolders;

// An ordinary patient: five coded problems, a two-line therapy, accented letters.
std::vector<fdf::FdfEntry> ap68Entries()
{
    fdf::Ap68Values v;
    v.cognome = QStringLiteral("ROSSI");
    v.nome = QStringLiteral("NICOLÒ");
    v.dataNascita = QDate(1950, 3, 5);
    v.comuneNascita = QStringLiteral("FORLÌ");
    v.provinciaNascita = QStringLiteral("FC");
    v.codiceFiscale = QStringLiteral("RSSNCL50C05D704X");
    v.sesso = QStringLiteral("M");
    v.codiceSanitario = QStringLiteral("80380001234567890123");
    v.codiceAsl = QStringLiteral("123");
    v.cognomeMedico = QStringLiteral("BIANCHI");
    v.nomeMedico = QStringLiteral("LUCA");
    v.pathologies = {{"V53.2", "Apparecchio acustico"},
                     {"250.00", "Diabete mellito (tipo 2)"},
                     {"401.9", "Ipertensione essenziale"},
                     {"715.16", "Artrosi (ginocchio)"},
                     {"493.90", "Asma"}};
    v.terapia = QStringLiteral("Ramipril 5 mg\r\nCardioaspirina (100 mg)");
    return fdf::ap68Entries(v);
}

struct Files
{
    TempFolders folders;
    std::vector<fdf::FdfEntry> entries = ap68Entries();
    QString blank = folders.program + QStringLiteral("cert med INPS.pdf");
    QString copy = folders.desktop + QDir::separator() + QStringLiteral("ROSSINICOLÒcertmedinps.pdf");
    QString fdf = folders.program + QStringLiteral("temp") + QDir::separator() + QStringLiteral("ROSSI.fdf");
    QString filledByPdftk = folders.desktop + QDir::separator() + QStringLiteral("pdftk.pdf");
    QByteArray blankBytes;

    Files()
    {
        QFile form(blank);
        if (form.open(QIODevice::ReadOnly))
            blankBytes = form.readAll();
        fdf::writeFdfFile(fdf, fdf::serializeFdf(fdf::fileSpecification(copy, fdf::nativePathStyle()),
                                                 entries, fdf::FdfClosing::AfterLastEntry));
    }

    void freshCopy() const
    {
        QFile out(copy);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(blankBytes);
    }
};

void qpdfFill(benchmark::State& state, const Files* files)
{
    for (auto _ : state) {
        state.PauseTiming();
        files->freshCopy();
        state.ResumeTiming();
        fdf::fillPdfForm(files->copy, files->entries);
    }
}

void pdftkFill(benchmark::State& state, const Files* files)
{
    for (auto _ : state) {
        QProcess pdftk;
        pdftk.start(QStringLiteral("pdftk"), {files->blank, QStringLiteral("fill_form"), files->fdf,
                                              QStringLiteral("output"), files->filledByPdftk});
        if (!pdftk.waitForFinished(60000) || pdftk.exitCode() != 0) {
            state.SkipWithError("pdftk failed");
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const Files files;
    benchmark::RegisterBenchmark("qpdf_fill/ap68", qpdfFill, &files)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(9)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
    // A JVM start each run: a few runs are enough for a median.
    benchmark::RegisterBenchmark("pdftk_fill_form/ap68", pdftkFill, &files)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    bench_support::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double ours = reporter.medians["qpdf_fill/ap68"];
    const double pdftk = reporter.medians["pdftk_fill_form/ap68"];
    std::printf(
        "\nmedians (ms)  qpdf fill %8.3f   pdftk fill_form %8.3f   pdftk/qpdf %6.1fx   (target >= 20x)\n",
        ours, pdftk, ours > 0 ? pdftk / ours : 0.0);
    std::printf("qpdf fill: read the desktop copy, fill %zu fields, generate appearances, replace the copy\n"
                "(QSaveFile); the fresh blank copy before each run is not timed. TMPDIR chooses the disk.\n",
                files.entries.size());
    benchmark::Shutdown();
    return 0;
}
