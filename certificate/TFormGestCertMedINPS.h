#pragma once
// The certificate editor: the doctor completes one patient's civil-invalidity certificate, which is
// checked and written as "certmedinps.xml" on the desktop. ResultText hands back the written file's
// path, or "cancel"; ending() tells the same as a type. The window shows the values of the certificate
// core (CertificateCore.h) and hands what the doctor made of them back to it; the checks (CheckFormat,
// CheckMandatory, BuildCheckMessage) and the writer (WriteInvCiv2010) are the core's.

#include "CertificateCore.h"
#include "CertificateFields.h"

#include <QDialog>

#include <memory>

class QLineEdit;
class Tzantopat;

namespace platform {
class Platform;
}

namespace certificate {

namespace Ui {
class TFormGestCertMedINPS;
}

class TFormGestCertMedINPS : public QDialog
{
    Q_OBJECT

public:
    TFormGestCertMedINPS(Tzantopat& session, platform::Platform& platform, QWidget* parent = nullptr);
    ~TFormGestCertMedINPS() override;

    // How the window ended: still open, with a certificate written, or given up (a cancel or a close).
    enum class Ending { Open, Saved, Cancelled };

    void SetPatientId(const QString& patientId);
    Ending ending() const { return m_ending; }
    // "" while open; the written file's path after a save; "cancel" after a cancel or a close.
    QString ResultText() const;
    // The earlier certificate that a save from this window kept under a dated name; "" when none.
    QString KeptCertificate() const { return m_keptCertificate; }
    // After a save, what the user reads of the completed AP68 form (printableFormMessage); "" before.
    QString PrintableFormMessage() const { return m_printableFormMessage; }

    // Fills the controls with readCertificate's values. Runs once, on the first showing; when it fails
    // (no export of the patient), the window closes as cancelled.
    void FormShow();
    // On every closing: a window still open ends as cancelled.
    void FormClose();
    void ButtonCompilaClick();
    // Gives up with "cancel"; after a change, only when the doctor confirms.
    void ButtonAnnullaClick();
    // saveCertificate of the values; true when the file was written, else its message is shown.
    bool SaveCertificate();

    // The window's component with exactly this object name, or nullptr.
    QWidget* FindControl(const QString& name) const;
    // The name of a control's label: the control's name with its kind word ("Edit", "Memo",
    // "RadioGroup", "DateTimePicker") replaced by "Label"; "" for a control of another kind.
    static QString labelNameOf(const QString& controlName);
    // What the check messages call the control: the caption of the field it shows, else its name.
    QString LabelTextOf(const QWidget* control) const;

    // The values as the controls hold them, and the controls set to show values.
    CertificateFields fields() const;
    void setFields(const CertificateFields& values);
    // True when any value differs from what the window showed once filled.
    bool changedSinceFilled() const { return fields() != m_asFilled; }

    // Sets a one-line edit's text whole: its maxLength limits typing, never the program's own text.
    static void setLineEditText(QLineEdit* edit, const QString& text);

    // The title-bar close: as ButtonAnnullaClick.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void keepTypingLimits();
    void showError(const QString& text);
    // Shows the outcome's message and notes the file it kept; its path, "" when nothing was written.
    QString takeOutcome(const CertificateOutcome& outcome);
    // True when the window may close without saving: nothing changed, or the doctor says so.
    bool mayDiscard();

    std::unique_ptr<Ui::TFormGestCertMedINPS> ui;
    Tzantopat& m_session;
    platform::Platform& m_platform;
    QString m_patientId;
    Ending m_ending = Ending::Open;
    QString m_savedPath; // after a save
    QString m_keptCertificate;
    QString m_printableFormMessage;
    CertificateFields m_asFilled; // the values once filled: what "changed" is measured against
    QString m_sessoLetto;         // the export's sex, which no control shows
    bool m_filled = false;
    // Host calls in progress (the filling, "Salva"): a host in another process lets the window's
    // messages through while it answers, and a close or a second "Salva" then waits for the call.
    int m_hostCalls = 0;
    struct HostCalls
    {
        int& n;
        explicit HostCalls(int& counter) : n(counter) { ++n; }
        ~HostCalls() { --n; }
    };
};

} // namespace certificate
