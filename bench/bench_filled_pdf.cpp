// Filling the AP68 desktop copy with qpdf, beside pdftk filling the same form from the FDF written from
// the same field list: `pdftk <form> fill_form <fdf> output <file>`. Also the whole AP68 form that the
// certificate editor's "Salva" completes. Twice: for an Italian patient, and
// for a Romanian one whose letters the form's standard font lacks, which our fill draws with an embedded
// subset of the system's Unicode font and pdftk with that whole font (`replacement_font <file>`).
//
// Prints Google Benchmark's table, then the medians and their ratios:
//   build/<dir>/bin/bench_filled_pdf [--benchmark_repetitions=N]
// Or writes the blank form to OUT, fills it and exits, to time the whole process from outside beside
// pdftk's `fill_form ... output OUT`:
//   build/<dir>/bin/bench_filled_pdf --fill-once ap68|foreign OUT

#include "MedianReporter.h"
#include "fdf/Ap68Map.h"
#include "fdf/OutputFlow.h"
#include "pdf/FilledPdf.h"
#include "pdf/FontSetting.h"
#include "platform/ConsolePlatform.h"
#include "support/SampleData.h"
#include "support/TempDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

using testing_support::TempFolders;

// The font the program would embed: the one the user's settings name, or the system's.
QString usersUnicodeFont()
{
    return pdf::unicodeFontPath(platform::ConsolePlatform({}, {}));
}

struct Form
{
    std::vector<fdf::FdfEntry> entries;
    QString copy;
    QString fdf;
};

struct Files
{
    TempFolders folders;
    QString blank = folders.program + QStringLiteral("cert med INPS.pdf");
    QString filledByPdftk = folders.desktop + QDir::separator() + QStringLiteral("pdftk.pdf");
    QString unicodeFont = usersUnicodeFont();
    QByteArray blankBytes;
    Form ap68 = form(testing_support::italianAp68());
    Form foreign = form(testing_support::foreignAp68());

    Files()
    {
        QFile file(blank);
        if (file.open(QIODevice::ReadOnly))
            blankBytes = file.readAll();
    }

    Form form(const fdf::Ap68Values& values) const
    {
        const QString name = values.cognome + values.nome;
        Form f{fdf::ap68Entries(values), folders.desktop + QDir::separator() + name + "certmedinps.pdf",
               folders.work + QDir::separator() + name + ".fdf"};
        fdf::writeFdfFile(f.fdf, fdf::serializeFdf(fdf::fileSpecification(f.copy, fdf::nativePathStyle()),
                                                   f.entries, fdf::FdfClosing::AfterLastEntry));
        return f;
    }

    void freshCopy(const Form& form) const
    {
        QFile out(form.copy);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(blankBytes);
    }

    void fill(const Form& form) const { pdf::fillPdfForm(form.copy, form.entries, unicodeFont); }
};

void qpdfFill(benchmark::State& state, const Files* files, const Form* form)
{
    for (auto _ : state) {
        state.PauseTiming();
        files->freshCopy(*form);
        state.ResumeTiming();
        files->fill(*form);
    }
}

void pdftkFill(benchmark::State& state, const Files* files, const Form* form, bool replacementFont)
{
    QStringList arguments = {files->blank, QStringLiteral("fill_form"), form->fdf, QStringLiteral("output"),
                             files->filledByPdftk};
    if (replacementFont)
        arguments << QStringLiteral("replacement_font") << files->unicodeFont;
    for (auto _ : state) {
        QProcess pdftk;
        pdftk.start(QStringLiteral("pdftk"), arguments);
        if (!pdftk.waitForFinished(60000) || pdftk.exitCode() != 0) {
            state.SkipWithError("pdftk failed");
            break;
        }
    }
}

// The whole completed form that "Salva" adds: the blank form's check box states read, a fresh copy,
// the fill. `again`: an earlier copy of the same values is there, read and replaced first.
void completedForm(benchmark::State& state, const Files* files, bool again)
{
    platform::ConsolePlatform platform(files->folders.desktop, files->folders.program, files->folders.work);
    const fdf::Ap68Values values = testing_support::completedAp68();
    QString path;
    for (auto _ : state) {
        if (!again && !path.isEmpty()) {
            state.PauseTiming();
            QFile::remove(path);
            state.ResumeTiming();
        }
        path = fdf::completeAp68Form(values, platform).path;
        if (path.isEmpty()) {
            state.SkipWithError("the form could not be completed");
            break;
        }
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
}

int fillOnce(const char* patient, const char* out)
{
    QFile blank(QStringLiteral(INVCIV_FORMS_DIR "/cert med INPS.pdf"));
    QFile copy(QString::fromLocal8Bit(out));
    if (!blank.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        copy.write(blank.readAll()) < 0)
        return 1;
    copy.close();
    pdf::fillPdfForm(copy.fileName(),
                     fdf::ap68Entries(std::strcmp(patient, "foreign") == 0 ? testing_support::foreignAp68()
                                                                           : testing_support::italianAp68()),
                     usersUnicodeFont());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--fill-once") == 0)
        return fillOnce(argv[2], argv[3]);
    const Files files;
    // A JVM start each pdftk run: a few runs are enough for a median.
    const auto ours = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true)->UseRealTime();
    };
    const auto pdftk = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->UseRealTime();
    };
    ours(benchmark::RegisterBenchmark("qpdf_fill/ap68", qpdfFill, &files, &files.ap68));
    ours(benchmark::RegisterBenchmark("qpdf_fill/foreign_subset", qpdfFill, &files, &files.foreign));
    ours(benchmark::RegisterBenchmark("completed_form/first", completedForm, &files, false));
    ours(benchmark::RegisterBenchmark("completed_form/again", completedForm, &files, true));
    pdftk(benchmark::RegisterBenchmark("pdftk_fill_form/ap68", pdftkFill, &files, &files.ap68, false));
    pdftk(benchmark::RegisterBenchmark("pdftk_fill_form/foreign_replacement_font", pdftkFill, &files,
                                       &files.foreign, true));
    benchmark::Initialize(&argc, argv);
    bench_support::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto line = [&](const char* name, const std::string& qpdf, const std::string& pdftk) {
        const double a = reporter.medians[qpdf];
        const double b = reporter.medians[pdftk];
        std::printf("%-8s qpdf fill %8.3f   pdftk fill_form %8.3f   pdftk/qpdf %6.1fx   (target >= 20x)\n",
                    name, a, b, a > 0 ? b / a : 0.0);
    };
    std::printf("\nmedians (ms)\n");
    line("ap68", "qpdf_fill/ap68", "pdftk_fill_form/ap68");
    line("foreign", "qpdf_fill/foreign_subset", "pdftk_fill_form/foreign_replacement_font");
    std::printf("completed form (the save's extra work): first %8.3f   again, earlier copy replaced %8.3f\n",
                reporter.medians["completed_form/first"], reporter.medians["completed_form/again"]);
    std::printf(
        "qpdf fill: read the desktop copy, fill %zu fields, generate appearances (foreign: embed a subset\n"
        "of %s), replace the copy (QSaveFile); the fresh blank copy before each run is not timed.\n"
        "TMPDIR chooses the disk.\n",
        files.ap68.entries.size(), qPrintable(files.unicodeFont));
    benchmark::Shutdown();
    return 0;
}
