// The search window through the demo host as a program of its own (Windows), as it meets the host's:
// a busy host waited for and given up as the doctor says, a slow one whose calls let the window's
// messages through, and one closed in the middle of a reload.

#include "FakeOutputFlows.h"
#include "RecordingPlatform.h"
#include "app/HostChoice.h"
#include "app/Login.h"
#include "app/PatientTableModel.h"
#include "app/TFormMain.h"
#include "app/TfrmLogin.h"
#include "demohost/com/DemoServerIds.h"
#include "host/Tzantopat.h"
#include "host/win/ComApartment.h"
#include "host/win/ComAutomation.h"
#include "tests/host_win/WinTestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace app;
using namespace testing_support;

namespace {

class HostProcessTest : public testing::Test
{
protected:
    host::win::ComApartment apartment;
    QTemporaryDir folder;
    RecordingPlatform platform;
    FakeOutputFlows* flows = nullptr;
    std::unique_ptr<host::AutomationObject> control; // the test's own object in the same server process
    std::unique_ptr<TFormMain> window;
    const std::wstring server = host_win_test::besideTests(INVCIV_DEMO_HOST_EXE);

    void SetUp() override
    {
        ASSERT_EQ(host_win_test::runProgram(server, L"/regserver /s"), 0);
        host_win_test::writeRegistryString(
            HKEY_CURRENT_USER, demohost::com::kProgIdKey, demohost::com::kDatabaseValue,
            QDir::toNativeSeparators(folder.filePath(QStringLiteral("demo.sqlite"))).toStdWString());
        host_win_test::mirrorClassesUnderWine({demohost::com::kProgIdKey, demohost::com::kClsidKey}, true);
        window = std::make_unique<TFormMain>(platform, automationFactoryFor({false, {}}), [this](TFormMain&) {
            auto fake = std::make_unique<FakeOutputFlows>();
            flows = fake.get();
            return fake;
        });
        ASSERT_TRUE(CheckLogin(window->Session(), platform, QStringLiteral("demo"), QStringLiteral("demo")));
        window->show();
        control = host::createComObject(host::kHostProgId);
    }
    void TearDown() override
    {
        handleBusyHost(nullptr);
        window.reset();
        control.reset();
        host_win_test::runProgram(server, L"/unregserver /s");
        host_win_test::mirrorClassesUnderWine({demohost::com::kProgIdKey, demohost::com::kClsidKey}, false);
    }

    void fault(const char16_t* what, const char16_t* value)
    {
        host::Arguments arguments{what, value};
        control->invoke("demo_guasto", arguments);
    }
    QLineEdit* cognome() { return window->findChild<QLineEdit*>(QStringLiteral("editCognome")); }
    int rows() { return window->tblDati().rowCount(); }
    void search(const QString& surname)
    {
        cognome()->setText(surname);
        platform.advance(TFormMain::kReloadDelayMs);
        window->Timer1Timer();
    }
};

TEST_F(HostProcessTest, ABusyHostIsGivenUpWhenTheDoctorSaysSoAndWaitedForOtherwise)
{
    handleBusyHost(&platform);
    fault(u"occupato", u"4500");
    platform.answer = false; // "No": give up
    search(QStringLiteral("RO"));
    EXPECT_EQ(platform.questions, QStringList{kHostBusyQuestion});
    EXPECT_EQ(rows(), 0);
    ASSERT_EQ(platform.messages.size(), 1) << platform.messageTexts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(platform.messages[0].text.contains(QStringLiteral("occupato")));
    EXPECT_TRUE(platform.messages[0].text.contains(QStringLiteral("Chiudere la finestra")));

    platform.answer = true; // the host frees itself within the next wait
    search(QStringLiteral("ROS"));
    EXPECT_GT(rows(), 0);
    EXPECT_EQ(platform.messageTexts().mid(1), QStringList());
}

// A reload through a slow host takes the window's messages between rows: new initials, a click and a
// close that arrive then end the reload, start nothing and close nothing; the next tick loads the new
// initials whole.
TEST_F(HostProcessTest, ASlowHostsReloadGivesWayToTypingWithoutASecondActionOrAClose)
{
    search(QStringLiteral("RO"));
    const int all = rows();
    ASSERT_GT(all, 1);
    fault(u"lento", u"30");
    bool arrivedDuringReload = false;
    QTimer::singleShot(300, window.get(), [&] {
        arrivedDuringReload = window->busy();
        cognome()->setText(QStringLiteral("ROSS"));
        window->gridDatiCellClick(window->tblDati().index(0, PatientTableModel::Scrivi));
        window->close();
    });
    search(QStringLiteral("ROS"));
    EXPECT_TRUE(arrivedDuringReload);
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(window->reloadPending());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(flows->calls.isEmpty());

    fault(u"lento", u"0");
    platform.advance(TFormMain::kReloadDelayMs);
    window->Timer1Timer();
    EXPECT_GT(rows(), 0);
    EXPECT_LT(rows(), all);
}

TEST_F(HostProcessTest, AHostClosedDuringAReloadLeavesNoHalfListAndTheNextReloadLogsInAgain)
{
    fault(u"chiuso", u"8"); // inside the second row
    search(QStringLiteral("RO"));
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(window->Session().lost());
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.contains(QStringLiteral("chiuso"))) << platform.messages[0].text.toStdString();

    QTimer::singleShot(0, window.get(), [&] {
        auto* login = window->findChild<TfrmLogin*>(QStringLiteral("frmLogin"));
        ASSERT_NE(login, nullptr);
        login->findChild<QLineEdit*>(QStringLiteral("txtPw"))->setText(QStringLiteral("demo"));
        QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    });
    search(QStringLiteral("ROS")); // COM starts the host again
    EXPECT_FALSE(window->Session().lost());
    EXPECT_GT(rows(), 0);
}

} // namespace
