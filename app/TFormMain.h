#pragma once
// The patient search window: the doctor types the initials of a patient's surname and first name,
// picks the patient from the grid and asks for a certificate with a click on the row's "Compila" cell.
// It owns the host session for the program's whole life.

#include "ModalTrackingPlatform.h"
#include "OutputFlows.h"
#include "host/AutomationFactory.h"

#include <QDateTime>
#include <QWidget>

#include <functional>
#include <memory>

class QTimer;
class Tzantopat;

namespace Ui {
class FormMain;
}

namespace app {

class PatientTableModel;

class TFormMain : public QWidget
{
    Q_OBJECT

public:
    // Makes the window's output flows once the window (and its session) exist.
    using OutputFlowsFactory = std::function<std::unique_ptr<OutputFlows>(TFormMain&)>;

    static constexpr int kReloadDelayMs = 650;
    static constexpr int kTimerIntervalMs = 500;

    TFormMain(platform::Platform& platform, host::AutomationFactory automationFactory,
              const OutputFlowsFactory& outputFlows, QWidget* parent = nullptr);
    // FormDestroy: stops the host session.
    ~TFormMain() override;

    // Shows the login window modally. True after an accepted login (Timer1 then runs); false when the
    // login was cancelled and the program is to end.
    bool FormCreate();

    Tzantopat& Session() { return *m_session; }
    // The platform every message of this window and its flows goes through.
    platform::Platform& platform() { return m_platform; }
    PatientTableModel& tblDati() { return *m_tblDati; }
    QTimer& Timer1() { return *m_timer; }
    bool reloadPending() const { return m_reloadPending; }
    // True while a reload, an output flow, the editor or a message box is in progress.
    bool busy() const { return m_busy > 0 || m_openMessages > 0; }

    // The status line of the PDF flows.
    void ShowStatus(const QString& text);

    // Event handlers and the window's own operations.
    void FormShow();
    void editCognomeChange();
    void editNomeChange();
    void Timer1Timer();
    void LoadPatients();
    void gridDatiMouseMove(int x);
    void gridDatiCellClick(const QModelIndex& index);
    void ComboBox1Change();

protected:
    void showEvent(QShowEvent* event) override;
    // Never closes under a running reload or flow (a host call lets the window's messages through).
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class BusyScope;
    void dispatch(const clinical::PatientRow& row);
    void setUpGrid();
    void readyGrid(); // the list the initials ask for, with a current row
    void placeInstructionLine();
    // The session's relogin: after the host's program was closed, the same user logs in again.
    bool loginAgain();

    int m_openMessages = 0;
    int m_busy = 0;
    ModalTrackingPlatform m_platform;
    std::unique_ptr<Ui::FormMain> ui;
    std::unique_ptr<Tzantopat> m_session;
    PatientTableModel* m_tblDati = nullptr;
    QTimer* m_timer = nullptr;
    std::unique_ptr<OutputFlows> m_flows;
    QDateTime m_lastEditTime; // LastEditTime
    bool m_reloadPending = false;
    bool m_gridKeyHeld = false; // Enter or Space went down on the grid and has not been released
};

} // namespace app
