#include "TfrmLogin.h"

#include "Diagnosis.h"
#include "ErrorHandling.h"
#include "HostChoice.h"
#include "Login.h"
#include "TfrmDiagnosis.h"
#include "host/tc_GenTools.h"
#include "platform/Platform.h"
#include "ui_TfrmLogin.h"
#include "widgets/Accessibility.h"
#include "widgets/ZantoLogo.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace app {

namespace {

// The hourglass over the whole screen for the length of a scope, however the scope ends.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

TfrmLogin::TfrmLogin(Tzantopat& session, platform::Platform& platform, QWidget* parent,
                     std::function<Diagnosis()> selfCheck)
    : QDialog(parent), ui(std::make_unique<Ui::frmLogin>()), m_session(session), m_platform(platform),
      m_selfCheck(std::move(selfCheck))
{
    if (!m_selfCheck)
        m_selfCheck = [&platform] { return diagnose(platform, hostSelectionOfProgram()); };
    ui->setupUi(this);
    setFixedSize(301, 189);
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    ui->ZantoLogo->setPixmap(widgets::zantoLogo(ui->ZantoLogo->size()));
    ui->ZantoLogo->installEventFilter(this);
    ui->StatusBar1->showMessage(QStringLiteral(" Inserire Nome Utente e Password di Korvalis"));
    widgets::nameControlsByLabels(*this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    connect(ui->cmdOK, &QPushButton::clicked, this, &TfrmLogin::cmdOKClick);
    connect(ui->cmdAnulla, &QPushButton::clicked, this, &TfrmLogin::cmdAnullaClick);
    connect(ui->cmdVerifica, &QPushButton::clicked, this, &TfrmLogin::cmdVerificaClick);
    FormCreate();
}

TfrmLogin::~TfrmLogin() = default;

void TfrmLogin::FormCreate()
{
    ui->txtUtente->setText(tc_GenTools::reg_read_string(m_platform, QStringLiteral("HKEY_LOCAL_MACHINE"),
                                                        QStringLiteral("\\SOFTWARE\\Brevalon-Ostrena"),
                                                        QStringLiteral("ultimo_utente")));
    ui->txtPw->clear();
}

void TfrmLogin::keepUser(const QString& user)
{
    ui->txtUtente->setText(user);
    ui->txtUtente->setReadOnly(true);
    ui->txtPw->setFocus();
    ui->StatusBar1->showMessage(QStringLiteral(" Collegamento interrotto: inserire di nuovo la password"));
}

void TfrmLogin::cmdOKClick()
{
    runHandler(m_platform, [this] {
        bool accepted = false;
        {
            const WaitCursor hourglass;
            accepted = CheckLogin(m_session, m_platform, ui->txtUtente->text(), ui->txtPw->text());
        }
        if (accepted)
            done(kAccepted);
    });
}

void TfrmLogin::cmdVerificaClick()
{
    runHandler(m_platform, [this] {
        Diagnosis diagnosis;
        {
            const WaitCursor hourglass;
            diagnosis = m_selfCheck();
        }
        m_platform.log(diagnosis.allOk() ? QStringLiteral("verifica dell'installazione: tutto in ordine")
                                         : QStringLiteral("verifica dell'installazione: problemi trovati"));
        TfrmDiagnosis report(diagnosis, this);
        report.exec();
    });
}

void TfrmLogin::cmdAnullaClick()
{
    done(kCancelled);
}

void TfrmLogin::reject()
{
    done(kCancelled);
}

void TfrmLogin::ZantoLogoDblClick()
{
    m_translucent = !m_translucent;
    setWindowOpacity(m_translucent ? kTranslucentOpacity : 1.0);
}

bool TfrmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->ZantoLogo && event->type() == QEvent::MouseButtonDblClick) {
        ZantoLogoDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace app
