#pragma once
// Start-up measurement: with INVCIV_STARTUP_PROBE set, the program prints how long it took until the
// login window was first painted, and its peak memory, then cancels the login and ends. The variable
// may hold the launch time as nanoseconds of the monotonic clock (std::chrono::steady_clock); otherwise
// the time is counted from the start of main().

#include <QObject>

#include <chrono>

namespace app {

class StartupProbe : public QObject
{
public:
    // Installed on the application when the variable is set; null otherwise.
    static StartupProbe* installIfRequested(std::chrono::steady_clock::time_point mainStarted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit StartupProbe(std::chrono::steady_clock::time_point origin);
    std::chrono::steady_clock::time_point m_origin;
    bool m_done = false;
};

} // namespace app
