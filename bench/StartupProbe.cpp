// The start-up probe, linked with the program's own main() into invciv-startup-probe (never into
// invciv): installed as the application object is made, it prints how long it took until the login
// window was first painted, and the peak memory, then cancels the login, which ends the program.
// INVCIV_LAUNCHED_NS may hold the launch time as nanoseconds of the monotonic clock
// (std::chrono::steady_clock); otherwise the time is counted from the application object's making.

#include "ProcessMemory.h"
#include "app/TfrmLogin.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class StartupProbe : public QObject
{
public:
    explicit StartupProbe(std::chrono::steady_clock::time_point origin)
        : QObject(QCoreApplication::instance()), m_origin(origin)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_done && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            auto* login = widget ? qobject_cast<app::TfrmLogin*>(widget->window()) : nullptr;
            if (login) {
                m_done = true;
                const double ms =
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_origin)
                        .count();
                std::printf("login_shown_ms=%.1f peak_memory_kb=%ld\n", ms, bench_support::peakMemoryKb());
                std::fflush(stdout);
                QTimer::singleShot(0, login, &app::TfrmLogin::cmdAnullaClick);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::chrono::steady_clock::time_point m_origin;
    bool m_done = false;
};

void installStartupProbe()
{
    const auto now = std::chrono::steady_clock::now();
    bool isNumber = false;
    const qlonglong launchedNs = qEnvironmentVariable("INVCIV_LAUNCHED_NS").toLongLong(&isNumber);
    // A launch time is only believed when it lies shortly before now.
    const auto launched = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(launchedNs));
    const bool plausible = isNumber && launched <= now && now - launched < std::chrono::minutes(1);
    QCoreApplication::instance()->installEventFilter(new StartupProbe(plausible ? launched : now));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installStartupProbe)
