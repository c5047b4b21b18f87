#include "StartupProbe.h"

#include "ProcessMemory.h"
#include "TfrmLogin.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace app {

StartupProbe::StartupProbe(std::chrono::steady_clock::time_point origin)
    : QObject(QCoreApplication::instance()), m_origin(origin)
{
}

StartupProbe* StartupProbe::installIfRequested(std::chrono::steady_clock::time_point mainStarted)
{
    if (!qEnvironmentVariableIsSet("INVCIV_STARTUP_PROBE"))
        return nullptr;
    bool isNumber = false;
    const qlonglong launchedNs = qEnvironmentVariable("INVCIV_STARTUP_PROBE").toLongLong(&isNumber);
    // A launch time is only believed when it lies shortly before main(); anything else ("1") counts
    // from main().
    const auto launched = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(launchedNs));
    const bool plausible =
        isNumber && launched <= mainStarted && mainStarted - launched < std::chrono::minutes(1);
    const auto origin = plausible ? launched : mainStarted;
    auto* probe = new StartupProbe(origin);
    QCoreApplication::instance()->installEventFilter(probe);
    return probe;
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_done && event->type() == QEvent::Paint) {
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* login = widget ? qobject_cast<TfrmLogin*>(widget->window()) : nullptr;
        if (login) {
            m_done = true;
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_origin)
                    .count();
            std::printf("login_shown_ms=%.1f peak_memory_kb=%ld\n", ms, peakMemoryKb());
            std::fflush(stdout);
            QTimer::singleShot(0, login, &TfrmLogin::cmdAnullaClick);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace app
