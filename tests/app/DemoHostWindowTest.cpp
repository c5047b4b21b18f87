// The windows end to end on the demo host: login, the patient list, and the AP68 output from the grid
// through the real output flows, on a desktop where no application opens the files.

#include "QtPrinters.h"
#include "RecordingPlatform.h"
#include "TempDirs.h"
#include "app/HostOutputFlows.h"
#include "app/PatientTableModel.h"
#include "app/TFormMain.h"
#include "app/TfrmLogin.h"
#include "demohost/DemoHost.h"
#include "fdf/OpenSetting.h"
#include "host/tc_GenTools.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace app;
using namespace testing_support;

namespace {

class DemoHostWindowTest : public ::testing::Test
{
protected:
    TempFolders folders;
    RecordingPlatform platform;
    std::unique_ptr<TFormMain> window;

    void SetUp() override
    {
        platform.program = folders.program;
        platform.desktop = folders.desktop;
        const std::string file = (folders.root.path() + QStringLiteral("/demo-host.sqlite")).toStdString();
        demohost::DemoHost::ensureDatabase(file);
        window =
            std::make_unique<TFormMain>(platform, demohost::automationFactory(file), [](TFormMain& main) {
                return std::make_unique<HostOutputFlows>(
                    main.Session(), main.platform(), &main,
                    [&main](const QString& text) { main.ShowStatus(text); });
            });
    }

    void TearDown() override { window.reset(); }

    // Logs in through the login window; the messages shown by refused attempts are returned.
    bool logIn(const QList<QPair<QString, QString>>& attempts)
    {
        QTimer::singleShot(0, window.get(), [this, attempts] {
            auto* login = window->findChild<TfrmLogin*>();
            ASSERT_NE(login, nullptr);
            for (const auto& [user, password] : attempts) {
                login->findChild<QLineEdit*>(QStringLiteral("txtUtente"))->setText(user);
                login->findChild<QLineEdit*>(QStringLiteral("txtPw"))->setText(password);
                QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
            }
            if (login->isVisible())
                login->done(TfrmLogin::kCancelled);
        });
        return window->FormCreate();
    }
};

TEST_F(DemoHostWindowTest, RefusalsThenLoginThenListThenAp68)
{
    const QString oldFdf = folders.program + QStringLiteral("temp/ROSSIMARIOcertmedinps.fdf");
    ASSERT_TRUE(writeFile(oldFdf, "x", platform.clock.addDays(-8)));
    ASSERT_TRUE(logIn({{QStringLiteral("demo"), QStringLiteral("sbagliata")},
                       {QStringLiteral("ferri"), QStringLiteral("ferri")},
                       {QStringLiteral("demo"), QStringLiteral("demo")}}));
    // The session has started: what earlier ones left in temp/ is cleared.
    EXPECT_FALSE(QFile::exists(oldFdf));
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_TRUE(platform.messages.at(0).text.startsWith(
        QStringLiteral("ole_zantopat.start(): errore in connessione")));
    EXPECT_EQ(platform.messages.at(1).text,
              QStringLiteral("ERRORE: Nessun paziente associato al medico corrente."));
    platform.messages.clear();

    window->show();
    window->findChild<QLineEdit*>(QStringLiteral("editCognome"))->setText(QStringLiteral("ROSSI"));
    platform.advance(TFormMain::kReloadDelayMs);
    window->Timer1Timer();
    const PatientTableModel& table = window->tblDati();
    ASSERT_GT(table.rowCount(), 0);
    for (const clinical::PatientRow& row : table.rows()) {
        QString code;
        EXPECT_TRUE(tc_GenTools::hex2string(row.id, code)) << row.id.toStdString();
        EXPECT_TRUE(row.cognome.startsWith(QStringLiteral("ROSSI")));
    }
    EXPECT_TRUE(platform.messages.isEmpty());

    // No application takes the files here: each click writes them and says so once, naming the file.
    platform.opens = false;
    const auto clickAndExpectNotOpened = [&](qsizetype clicks) {
        window->gridDatiCellClick(table.index(0, PatientTableModel::Scrivi));
        EXPECT_EQ(platform.opened.size(), clicks);
        EXPECT_EQ(platform.messages.size(), clicks) << platform.messageTexts().join('\n').toStdString();
        const QString path = platform.opened.value(clicks - 1);
        const RecordingPlatform::Message shown = platform.messages.value(clicks - 1);
        EXPECT_EQ(shown.kind, platform::MessageKind::Information);
        EXPECT_TRUE(shown.text.startsWith(QStringLiteral("Il file è stato creato, ma non è stato possibile "
                                                         "aprirlo perché nessun programma è associato")))
            << shown.text.toStdString();
        EXPECT_TRUE(
            shown.text.contains(QLatin1Char('\n') + QDir::toNativeSeparators(path) + QLatin1Char('\n')))
            << shown.text.toStdString();
        // Only the FDF's message sends the doctor to the filled copy and its setting.
        EXPECT_EQ(shown.text.contains(fdf::kOpenFilledPdfKey), path.endsWith(QStringLiteral(".fdf")));
        EXPECT_TRUE(window->findChild<QLabel*>(QStringLiteral("lblTesto"))->isHidden());
        return path;
    };

    // Without a setting the click opens the filled desktop copy (on Windows the FDF); the setting
    // "apri_pdf_compilato" false opens the FDF.
    const QString filled = clickAndExpectNotOpened(1);
    EXPECT_TRUE(QFile::exists(filled)) << filled.toStdString();
    if (fdf::defaultOpenTarget() == fdf::OpenTarget::FilledPdf) {
        EXPECT_TRUE(filled.startsWith(folders.desktop)) << filled.toStdString();
        EXPECT_TRUE(filled.endsWith(QStringLiteral("certmedinps.pdf")));
    }
    platform.settings[fdf::kOpenFilledPdfKey] = QStringLiteral("false");
    const QString fdf = clickAndExpectNotOpened(2);
    EXPECT_TRUE(fdf.startsWith(folders.program)) << fdf.toStdString();
    EXPECT_TRUE(fdf.endsWith(QStringLiteral("certmedinps.fdf")));
    QFile written(fdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%FDF-1.2\r\n"));
}

} // namespace
