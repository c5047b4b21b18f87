#pragma once
// The login window: a host user name and password, checked against the host before the patient
// search opens. Modal result 1 accepts; 2 (Annulla, or the window closed) cancels.

#include <QDialog>

#include <functional>
#include <memory>

class Tzantopat;

namespace platform {
class Platform;
}

namespace Ui {
class frmLogin;
}

namespace app {

struct Diagnosis;

class TfrmLogin : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kAccepted = 1;
    static constexpr int kCancelled = 2;
    // Translucency value 200 of 255, applied while translucency is on.
    static constexpr double kTranslucentOpacity = 200.0 / 255.0;

    // `selfCheck` runs the installation's self-check for "Verifica installazione…"; by default that of
    // the running program's host (app::hostSelectionOfProgram).
    TfrmLogin(Tzantopat& session, platform::Platform& platform, QWidget* parent = nullptr,
              std::function<Diagnosis()> selfCheck = {});
    ~TfrmLogin() override;

    bool translucent() const { return m_translucent; }
    // The login of a session that lost its host: the same user, who types the password again.
    void keepUser(const QString& user);

    void cmdOKClick();
    void cmdAnullaClick();
    void ZantoLogoDblClick();
    // "Verifica installazione…": the self-check's report in its own window.
    void cmdVerificaClick();

public slots:
    // Closing by the title bar or Escape cancels like Annulla.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();

    std::unique_ptr<Ui::frmLogin> ui;
    Tzantopat& m_session;
    platform::Platform& m_platform;
    bool m_translucent = false;
    std::function<Diagnosis()> m_selfCheck;
};

} // namespace app
