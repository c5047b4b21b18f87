// The login window, driven by object names while it runs modally inside TFormMain::FormCreate.

#include "FakeHost.h"
#include "QtPrinters.h"
#include "RecordingPlatform.h"
#include "app/Diagnosis.h"
#include "app/TFormMain.h"
#include "app/TfrmDiagnosis.h"
#include "app/TfrmLogin.h"
#include "host/Tzantopat.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace app;
using namespace testing_support;

namespace {

const QString kRegistryKey = QStringLiteral("\\SOFTWARE\\Brevalon-Ostrena|ultimo_utente");

class LoginTest : public ::testing::Test
{
protected:
    RecordingPlatform platform;
    FakeHost host;
    std::unique_ptr<TFormMain> window;

    void makeWindow() { window = std::make_unique<TFormMain>(platform, host.factory(), nullptr); }

    // Runs FormCreate; `steps` drives the login window while it is shown modally. A window that the
    // steps leave open is cancelled, so a failing test cannot hang.
    bool runLogin(const std::function<void(TfrmLogin&)>& steps)
    {
        if (!window)
            makeWindow();
        QTimer::singleShot(0, window.get(), [this, steps] {
            auto* login = window->findChild<TfrmLogin*>(QStringLiteral("frmLogin"));
            ASSERT_NE(login, nullptr);
            ASSERT_TRUE(login->isVisible());
            steps(*login);
            if (login->isVisible())
                login->done(TfrmLogin::kCancelled);
        });
        return window->FormCreate();
    }

    static QLineEdit* edit(TfrmLogin& login, const char* name)
    {
        return login.findChild<QLineEdit*>(QLatin1String(name));
    }
    static QPushButton* button(TfrmLogin& login, const char* name)
    {
        return login.findChild<QPushButton*>(QLatin1String(name));
    }
    static void typeCredentials(TfrmLogin& login, const QString& user, const QString& password)
    {
        edit(login, "txtUtente")->setText(user);
        edit(login, "txtPw")->setText(password);
    }
};

TEST_F(LoginTest, AcceptedLoginStartsTheSearchWithTheExactHostCalls)
{
    int cursorDuringCheck = -1;
    const auto answer = host.log->handler;
    host.log->handler = [&cursorDuringCheck, answer](const std::string& method, host::Arguments& args) {
        if (method == "connetti" && QApplication::overrideCursor())
            cursorDuringCheck = QApplication::overrideCursor()->shape();
        return answer(method, args);
    };

    const bool accepted = runLogin([](TfrmLogin& login) {
        QTest::keyClicks(edit(login, "txtUtente"), QStringLiteral("demo"));
        QTest::keyClicks(edit(login, "txtPw"), QStringLiteral("demo"));
        QTest::mouseClick(button(login, "cmdOK"), Qt::LeftButton);
        EXPECT_FALSE(login.isVisible());
        EXPECT_EQ(login.result(), TfrmLogin::kAccepted);
    });

    EXPECT_TRUE(accepted);
    EXPECT_TRUE(window->Timer1().isActive());
    EXPECT_EQ(window->Timer1().interval(), 500);
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(cursorDuringCheck, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(host.log->texts(),
              QStringList({
                  QStringLiteral("new()"),
                  QStringLiteral("connetti(demo, demo)"),
                  QStringLiteral("get_error(<omitted>)"),
                  QStringLiteral("leggi_attributo(userid_utente)"),
                  QStringLiteral("get_error(<omitted>)"),
                  QStringLiteral("carica(codice_medico =U7|tipo_di_convenzione=S, alfabetico)"),
              }));
    // The login window is gone once the login is over.
    EXPECT_EQ(window->findChild<TfrmLogin*>(), nullptr);
    window.reset();
}

TEST_F(LoginTest, ThreeRefusalsThenAcceptedWithOneSessionThroughout)
{
    makeWindow();
    Tzantopat* const session = &window->Session();
    const bool accepted = runLogin([&](TfrmLogin& login) {
        struct Attempt
        {
            QString user, password;
            bool hostMissing;
            int patients;
            QString message;
        };
        const Attempt refusals[] = {
            {QStringLiteral("demo"), QStringLiteral("sbagliata"), false, 3,
             QStringLiteral(
                 "ole_zantopat.start(): errore in connessione\r\n\r\n  Utente o password non validi")},
            {QStringLiteral("demo"), QStringLiteral("demo"), true, 3,
             QStringLiteral("ole_zantopat.start(): eccezione\r\n\r\n  host assente")},
            {QStringLiteral("demo"), QStringLiteral("demo"), false, 0,
             QStringLiteral("ERRORE: Nessun paziente associato al medico corrente.")},
        };
        for (const Attempt& attempt : refusals) {
            SCOPED_TRACE(attempt.message.toStdString());
            platform.messages.clear();
            host.log->creationFailure =
                attempt.hostMissing ? std::optional<std::string>("host assente") : std::nullopt;
            host.patientsUnderS = attempt.patients;
            typeCredentials(login, attempt.user, attempt.password);
            QTest::mouseClick(button(login, "cmdOK"), Qt::LeftButton);
            EXPECT_TRUE(login.isVisible());
            EXPECT_EQ(platform.messageTexts(), QStringList{attempt.message});
            EXPECT_EQ(platform.messages.value(0).kind, platform::MessageKind::Plain);
            // The typed texts stay for another try.
            EXPECT_EQ(edit(login, "txtUtente")->text(), attempt.user);
            EXPECT_EQ(edit(login, "txtPw")->text(), attempt.password);
            EXPECT_EQ(&window->Session(), session);
            // The session keeps the password no longer than the login.
            EXPECT_EQ(session->s_password, QString());
        }
        platform.messages.clear();
        host.log->creationFailure.reset();
        host.patientsUnderS = 1;
        typeCredentials(login, QStringLiteral("demo"), QStringLiteral("demo"));
        QTest::mouseClick(button(login, "cmdOK"), Qt::LeftButton);
        EXPECT_FALSE(login.isVisible());
        EXPECT_EQ(session->s_password, QString());
        EXPECT_EQ(session->s_utente, QStringLiteral("demo"));
    });

    EXPECT_TRUE(accepted);
    EXPECT_EQ(&window->Session(), session);
    EXPECT_TRUE(platform.messages.isEmpty());
    // A refused attempt is never stopped: the next start simply replaces the server object.
    EXPECT_TRUE(host.callsOf("disconnetti").isEmpty());
    EXPECT_TRUE(host.callsOf("Destroy").isEmpty());
    EXPECT_EQ(host.log->created, 3);
}

TEST_F(LoginTest, CancelOrCloseEndsTheProgramAndTheSessionIsStoppedOnTheWayOut)
{
    struct Case
    {
        const char* name;
        bool attemptFirst;
        bool closeByTitleBar;
        QStringList stopCalls;
    };
    const Case cases[] = {
        {"cancel before any attempt", false, false, {}},
        {"close after a connected attempt",
         true,
         true,
         {QStringLiteral("disconnetti(<omitted>)"), QStringLiteral("Destroy(<omitted>)"),
          QStringLiteral("Free(<omitted>)")}},
        {"cancel after a connected attempt",
         true,
         false,
         {QStringLiteral("disconnetti(<omitted>)"), QStringLiteral("Destroy(<omitted>)"),
          QStringLiteral("Free(<omitted>)")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.patientsUnderS = 0; // an attempt connects, then is refused
        window.reset();
        const bool accepted = runLogin([&](TfrmLogin& login) {
            if (c.attemptFirst) {
                typeCredentials(login, QStringLiteral("demo"), QStringLiteral("demo"));
                QTest::mouseClick(button(login, "cmdOK"), Qt::LeftButton);
                ASSERT_TRUE(login.isVisible());
            }
            if (c.closeByTitleBar)
                login.close();
            else
                QTest::mouseClick(button(login, "cmdAnulla"), Qt::LeftButton);
            EXPECT_FALSE(login.isVisible());
            EXPECT_EQ(login.result(), TfrmLogin::kCancelled);
        });
        EXPECT_FALSE(accepted);
        EXPECT_FALSE(window->Timer1().isActive());
        host.log->calls.clear();
        window.reset();
        EXPECT_EQ(host.log->texts(), c.stopCalls);
    }
}

TEST_F(LoginTest, UserNameStartsWithTheMachineSettingAndPasswordEmpty)
{
    for (const QString& stored : {QString(), QStringLiteral(" dott.Bianchi ")}) {
        SCOPED_TRACE(stored.toStdString());
        platform.settings.clear();
        if (!stored.isNull())
            platform.settings[kRegistryKey] = stored;
        window.reset();
        runLogin([&](TfrmLogin& login) {
            EXPECT_EQ(edit(login, "txtUtente")->text(), stored.isNull() ? QString() : stored);
            EXPECT_TRUE(edit(login, "txtPw")->text().isEmpty());
        });
    }
}

TEST_F(LoginTest, KeysAloneEnterPressesOkExceptOnAnnulla)
{
    // Tab runs user, password, OK, Annulla, Verifica installazione; Enter after `tabs` more Tabs from the
    // password.
    struct Case
    {
        int tabs;
        const char* focus;
        bool accepted;
    };
    const Case cases[] = {{-1, "txtUtente", true},
                          {0, "txtPw", true},
                          {1, "cmdOK", true},
                          {2, "cmdAnulla", false},
                          {4, "txtUtente", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focus);
        window.reset();
        const bool accepted = runLogin([&](TfrmLogin& login) {
            login.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&login));
            const auto focused = [] { return QApplication::focusWidget(); };
            ASSERT_EQ(focused(), edit(login, "txtUtente"));
            QTest::keyClicks(focused(), QStringLiteral("demo"));
            QTest::keyClick(focused(), Qt::Key_Tab);
            QTest::keyClicks(focused(), QStringLiteral("demo"));
            for (int i = 0; i < c.tabs; ++i)
                QTest::keyClick(focused(), Qt::Key_Tab);
            if (c.tabs < 0)
                QTest::keyClick(focused(), Qt::Key_Tab, Qt::ShiftModifier);
            ASSERT_EQ(focused()->objectName(), QLatin1String(c.focus));
            QTest::keyClick(focused(), Qt::Key_Return);
            EXPECT_FALSE(login.isVisible());
        });
        EXPECT_EQ(accepted, c.accepted);
    }
}

// "Verifica installazione…" shows the self-check's report, which "Copia" puts on the clipboard whole.
TEST_F(LoginTest, SelfCheckReportIsShownAndCopied)
{
    Tzantopat session(platform, host.factory());
    Diagnosis diagnosis;
    diagnosis.lines = {
        {QStringLiteral("Desktop"), true, QStringLiteral("/home/medico/Scrivania: scrivibile")},
        {QStringLiteral("Modulo AP68 (cert med INPS.pdf)"), false,
         QStringLiteral("il modulo vuoto non esiste. Cosa fare: reinstallare")}};
    int checks = 0;
    TfrmLogin login(session, platform, nullptr, [&] {
        ++checks;
        return diagnosis;
    });
    QApplication::clipboard()->clear();
    QString shown;
    QTimer::singleShot(0, &login, [&] {
        auto* report = login.findChild<TfrmDiagnosis*>();
        ASSERT_NE(report, nullptr);
        shown = report->findChild<QPlainTextEdit*>(QStringLiteral("memoReport"))->toPlainText();
        QTest::mouseClick(report->findChild<QPushButton*>(QStringLiteral("cmdCopia")), Qt::LeftButton);
        QTest::mouseClick(report->findChild<QPushButton*>(QStringLiteral("cmdChiudi")), Qt::LeftButton);
    });
    QTest::mouseClick(button(login, "cmdVerifica"), Qt::LeftButton);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(shown, diagnosis.text());
    EXPECT_EQ(QApplication::clipboard()->text(), diagnosis.text());
    EXPECT_TRUE(shown.contains(QStringLiteral("PROBLEMA  Modulo AP68 (cert med INPS.pdf): il modulo vuoto")));
    EXPECT_EQ(platform.logged, QStringList{QStringLiteral("verifica dell'installazione: problemi trovati")});
}

TEST_F(LoginTest, LogoDoubleClickTogglesTranslucency)
{
    runLogin([](TfrmLogin& login) {
        QWidget* logo = login.findChild<QWidget*>(QStringLiteral("ZantoLogo"));
        ASSERT_NE(logo, nullptr);
        EXPECT_DOUBLE_EQ(login.windowOpacity(), 1.0);
        QTest::mouseDClick(logo, Qt::LeftButton);
        EXPECT_TRUE(login.translucent());
        EXPECT_NEAR(login.windowOpacity(), 200.0 / 255.0, 0.01);
        QTest::mouseDClick(logo, Qt::LeftButton);
        EXPECT_FALSE(login.translucent());
        EXPECT_DOUBLE_EQ(login.windowOpacity(), 1.0);
        EXPECT_TRUE(login.isVisible());
    });
}

} // namespace
