// The windows end to end on the demo host: login, the patient list, and the AP68 output from the grid
// through the real output flows, on a desktop where no application opens the files.

#include "QtPrinters.h"
#include "RecordingPlatform.h"
#include "TempDirs.h"
#include "app/HostOutputFlows.h"
#include "app/PatientTableModel.h"
#include "app/TFormMain.h"
#include "app/TfrmLogin.h"
#include "certificate/TFormGestCertMedINPS.h"
#include "demohost/DemoHost.h"
#include "fdf/OpenSetting.h"
#include "host/tc_GenTools.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTableView>
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
        platform.work = folders.work;
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
    const QString oldFdf = folders.work + QStringLiteral("/ROSSIMARIOcertmedinps.fdf");
    ASSERT_TRUE(writeFile(oldFdf, "x", platform.clock.addDays(-8)));
    ASSERT_TRUE(logIn({{QStringLiteral("demo"), QStringLiteral("sbagliata")},
                       {QStringLiteral("ferri"), QStringLiteral("ferri")},
                       {QStringLiteral("demo"), QStringLiteral("demo")}}));
    // The session has started: what earlier ones left in the work folder is cleared.
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
    EXPECT_TRUE(fdf.startsWith(folders.work)) << fdf.toStdString();
    EXPECT_TRUE(fdf.endsWith(QStringLiteral("certmedinps.fdf")));
    QFile written(fdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%FDF-1.2\r\n"));
}

// Walks a window as a screen reader does, through its accessibility interfaces, and a tab order does:
// every control the focus can reach must have a name to be announced by, and every control the doctor
// works with must take the focus. Returns what is missing, by object name.
QStringList unreachableOrUnnamed(QWidget& window)
{
    QStringList missing;
    const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        const auto* widget = qobject_cast<QWidget*>(node->object());
        if (widget && widget->window() == &window && widget->isVisibleTo(&window) && !widget->focusProxy() &&
            node->state().focusable && node->text(QAccessible::Name).trimmed().isEmpty())
            missing << widget->objectName() + QStringLiteral(" without a name");
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(&window));
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        const bool works =
            qobject_cast<const QAbstractButton*>(control) || qobject_cast<const QLineEdit*>(control) ||
            qobject_cast<const QAbstractSpinBox*>(control) || qobject_cast<const QComboBox*>(control) ||
            qobject_cast<const QPlainTextEdit*>(control) || qobject_cast<const QTabBar*>(control) ||
            (qobject_cast<const QAbstractItemView*>(control) && !qobject_cast<const QHeaderView*>(control));
        if (works && control->window() == &window && control->isVisibleTo(&window) &&
            !(control->focusPolicy() & Qt::TabFocus))
            missing << control->objectName() + QStringLiteral(" out of the tab order");
    }
    return missing;
}

TEST_F(DemoHostWindowTest, ThreeWindowsByKeysEachControlNamedForAScreenReader)
{
    const auto focused = [] { return QApplication::focusWidget(); };
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(focused(), key, modifiers);
    };

    QTimer::singleShot(0, window.get(), [&] {
        auto* login = window->findChild<TfrmLogin*>();
        ASSERT_NE(login, nullptr);
        EXPECT_EQ(unreachableOrUnnamed(*login), QStringList());
        EXPECT_EQ(login->findChild<QLineEdit*>(QStringLiteral("txtPw"))->accessibleName(),
                  QStringLiteral("Password"));
        login->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(login));
        QTest::keyClicks(focused(), QStringLiteral("demo"));
        press(Qt::Key_Tab);
        QTest::keyClicks(focused(), QStringLiteral("demo"));
        press(Qt::Key_Return);
        if (login->isVisible())
            login->done(TfrmLogin::kCancelled);
    });
    ASSERT_TRUE(window->FormCreate());

    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(unreachableOrUnnamed(*window), QStringList());
    QTest::keyClicks(focused(), QStringLiteral("RO"));
    platform.advance(TFormMain::kReloadDelayMs);
    window->Timer1Timer();
    const int listedForRo = window->tblDati().rowCount();
    // Tab straight after the last initials, before the timer's tick: the grid shows their list at once,
    // with its first row current.
    QTest::keyClicks(focused(), QStringLiteral("SSI"));
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    auto* grid = focused();
    ASSERT_EQ(grid->objectName(), QStringLiteral("gridDati"));
    ASSERT_GT(window->tblDati().rowCount(), 0);
    EXPECT_LT(window->tblDati().rowCount(), listedForRo);
    EXPECT_FALSE(window->reloadPending());
    EXPECT_EQ(qobject_cast<QTableView*>(grid)->currentIndex().row(), 0);
    const clinical::PatientRow first = window->tblDati().row(0);
    EXPECT_TRUE(first.cognome.startsWith(QStringLiteral("ROSSI")));
    EXPECT_EQ(grid->accessibleName(), QStringLiteral("Cognome, Nome, Nascita, Compila"));
    // The focused cell is read with its column's title and names the patient it acts for.
    QAccessibleInterface* cell = QAccessible::queryAccessibleInterface(grid)->focusChild();
    ASSERT_NE(cell, nullptr);
    ASSERT_NE(cell->tableCellInterface(), nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("Compila ") + first.cognome +
                                                 QStringLiteral(" ") + first.nome + QStringLiteral(" ") +
                                                 first.data_nascita.toString(QStringLiteral("dd/MM/yyyy")));
    const QList<QAccessibleInterface*> headers = cell->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers.at(0)->text(QAccessible::Name), QStringLiteral("Compila"));
    // The format list to "XML", then back to the grid.
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    press(Qt::Key_Down);
    EXPECT_EQ(qobject_cast<QComboBox*>(focused())->currentText(), QStringLiteral("XML"));
    press(Qt::Key_Tab, Qt::ShiftModifier);
    press(Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(focused(), grid);

    // Enter opens the editor on the row; it is walked on each of its pages, then cancelled by keys.
    int pagesWalked = 0;
    QTimer::singleShot(0, window.get(), [&] {
        auto* editor = window->findChild<certificate::TFormGestCertMedINPS*>();
        ASSERT_NE(editor, nullptr);
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == editor; }));
        EXPECT_EQ(editor->FindControl(QStringLiteral("EditCognome"))->accessibleName(),
                  QStringLiteral("COGNOME"));
        for (; pagesWalked < 3; ++pagesWalked) {
            press(Qt::Key(Qt::Key_1 + pagesWalked), Qt::AltModifier);
            EXPECT_EQ(unreachableOrUnnamed(*editor), QStringList()) << "page " << pagesWalked + 1;
        }
        press(Qt::Key_1, Qt::AltModifier);
        while (focused() && focused()->objectName() != QStringLiteral("Button2") && pagesWalked++ < 40)
            press(Qt::Key_Tab);
        if (focused() && focused()->window() == editor)
            press(Qt::Key_Space);
        if (editor->isVisible())
            editor->reject();
    });
    press(Qt::Key_Return);
    EXPECT_EQ(pagesWalked, 7); // three pages, then four Tabs from the anamnesis to Annulla
    EXPECT_EQ(window->findChild<certificate::TFormGestCertMedINPS*>(), nullptr);
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messageTexts().join('\n').toStdString();
}

} // namespace
