// The application shell's hot paths:
//   - LoadPatients of 1,000 rows into tblDati, on a scripted host and on the demo host;
//   - cold start of the built program to the login window shown, offscreen;
//   - peak memory (VmHWM) of the window process and of the started program.
//
//   build/<dir>/bin/bench_app

#include "DemoPatients.h"
#include "FakeHost.h"
#include "ProcessMemory.h"
#include "RecordingPlatform.h"
#include "app/Login.h"
#include "app/PatientTableModel.h"
#include "app/TFormMain.h"
#include "demohost/DemoHost.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

constexpr int kRows = 1000;

void loadInto(app::TFormMain& window, benchmark::State& state)
{
    window.findChild<QLineEdit*>(QStringLiteral("editCognome"))->setText(QStringLiteral("RO"));
    for (auto _ : state) {
        window.LoadPatients();
        benchmark::DoNotOptimize(window.tblDati().rowCount());
    }
    if (window.tblDati().rowCount() != kRows)
        state.SkipWithError("the list does not hold the rows asked for");
    state.counters["rows"] = window.tblDati().rowCount();
    state.counters["peak_memory_kb"] = static_cast<double>(bench_support::peakMemoryKb());
}

void BM_LoadPatients_ScriptedHost(benchmark::State& state)
{
    testing_support::RecordingPlatform platform;
    testing_support::FakeHost host;
    for (int i = 0; i < kRows; ++i)
        host.patients.push_back({QStringLiteral("C%1").arg(100000 + i),
                                 QStringLiteral("ROSSI %1").arg(i % 97), QStringLiteral("MARIA ROSA"),
                                 QStringLiteral("1950-%1-15").arg(1 + i % 9, 2, 10, QLatin1Char('0'))});
    host.log->calls.reserve(8 * kRows);
    app::TFormMain window(platform, host.factory(), nullptr);
    if (!app::CheckLogin(window.Session(), platform, QStringLiteral("demo"), QStringLiteral("demo"))) {
        state.SkipWithError("login refused");
        return;
    }
    // The recording host keeps every call; the log is emptied outside the timing.
    window.findChild<QLineEdit*>(QStringLiteral("editCognome"))->setText(QStringLiteral("RO"));
    for (auto _ : state) {
        window.LoadPatients();
        state.PauseTiming();
        host.log->calls.clear();
        state.ResumeTiming();
    }
    state.counters["rows"] = window.tblDati().rowCount();
    state.counters["peak_memory_kb"] = static_cast<double>(bench_support::peakMemoryKb());
}

// A doctor with kRows patients whose surnames start with "RO", added to a fresh demo database.
void addPatients(const std::string& file)
{
    bench_support::addDemoPatients(file, 88, "benchapp", kRows, [](int i) {
        return "RO" + std::string(i % 2 ? "SSI " : "MANO ") + std::to_string(i);
    });
}

void BM_LoadPatients_DemoHost(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string file = (dir.path() + QStringLiteral("/bench.sqlite")).toStdString();
    addPatients(file);
    testing_support::RecordingPlatform platform;
    app::TFormMain window(platform, demohost::automationFactory(file), nullptr);
    if (!app::CheckLogin(window.Session(), platform, QStringLiteral("benchapp"),
                         QStringLiteral("benchapp"))) {
        state.SkipWithError("login refused");
        return;
    }
    loadInto(window, state);
}

// Launches the program's main() with the start-up probe (invciv-startup-probe), which prints the time
// from launch to the login window's first paint and the program's peak memory, then cancels the login.
void BM_ColdStartToLogin(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/demo-host.sqlite");
    demohost::DemoHost::ensureDatabase(file.toStdString()); // creating the database is not start-up
    static const QRegularExpression probe(
        QStringLiteral("login_shown_ms=([0-9.]+) peak_memory_kb=(-?[0-9]+)"));
    double peakKb = 0;
    for (auto _ : state) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const auto launched = std::chrono::steady_clock::now();
        environment.insert(
            QStringLiteral("INVCIV_LAUNCHED_NS"),
            QString::number(
                std::chrono::duration_cast<std::chrono::nanoseconds>(launched.time_since_epoch()).count()));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(INVCIV_PROBE_BINARY), {QStringLiteral("--demo-host"), file});
        if (!process.waitForFinished(30000)) {
            state.SkipWithError("the program did not end");
            return;
        }
        const QRegularExpressionMatch match = probe.match(QString::fromUtf8(process.readAllStandardOutput()));
        if (!match.hasMatch()) {
            state.SkipWithError("the program printed no start-up figures");
            return;
        }
        state.SetIterationTime(match.captured(1).toDouble() / 1000.0);
        peakKb = std::max(peakKb, match.captured(2).toDouble());
    }
    state.counters["program_peak_memory_kb"] = peakKb;
}

} // namespace

BENCHMARK(BM_LoadPatients_ScriptedHost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPatients_DemoHost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColdStartToLogin)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
