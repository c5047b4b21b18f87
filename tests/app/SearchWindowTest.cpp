// The patient search window on a scripted host: debounce, the host filter, the table, the dispatch,
// the pointer and the one-output-at-a-time rule.

#include "FakeHost.h"
#include "FakeOutputFlows.h"
#include "QtPrinters.h"
#include "RecordingPlatform.h"
#include "app/Login.h"
#include "app/PatientTableModel.h"
#include "app/TFormMain.h"
#include "app/TfrmLogin.h"
#include "host/Tzantopat.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace app;
using namespace testing_support;
using platform::MessageKind;

namespace {

class SearchTest : public ::testing::Test
{
protected:
    RecordingPlatform platform;
    FakeHost host;
    FakeOutputFlows* flows = nullptr;
    std::unique_ptr<TFormMain> window;

    void SetUp() override
    {
        host.patients = {
            {QStringLiteral("ABC1"), QStringLiteral("ROSSI"), QStringLiteral("MARIO"),
             QStringLiteral("1950-03-07")},
            {QStringLiteral("P2"), QStringLiteral("ROSSINI"), QStringLiteral("ANNA"), QString()},
            {QStringLiteral("P3"), QStringLiteral("ROTA"), QStringLiteral("LUCA"),
             QStringLiteral("1981-11-30")},
        };
        window = std::make_unique<TFormMain>(platform, host.factory(), [this](TFormMain&) {
            auto fake = std::make_unique<FakeOutputFlows>();
            flows = fake.get();
            return fake;
        });
        ASSERT_TRUE(
            app::CheckLogin(window->Session(), platform, QStringLiteral("demo"), QStringLiteral("demo")));
        window->show();
        host.log->calls.clear();
    }

    void TearDown() override { window.reset(); }

    template <class T> T* child(const char* name) { return window->findChild<T*>(QLatin1String(name)); }
    QLineEdit* cognome() { return child<QLineEdit>("editCognome"); }
    QLineEdit* nome() { return child<QLineEdit>("editNome"); }
    QTableView* grid() { return child<QTableView>("gridDati"); }
    QComboBox* certificate() { return child<QComboBox>("ComboBox1"); }
    QComboBox* format() { return child<QComboBox>("ComboBox2"); }
    QLabel* status() { return child<QLabel>("lblTesto"); }
    int reloads() const { return static_cast<int>(host.callsOf("carica").size()); }

    // Types one character every `gapMs`, with a timer tick between keystrokes.
    void typeSlowly(QLineEdit* edit, const QString& text, int gapMs)
    {
        for (const QChar c : text) {
            QTest::keyClick(edit, c.toLatin1());
            platform.advance(gapMs);
            window->Timer1Timer();
        }
    }

    // Sets the initials and lets the debounce run the reload.
    void search(const QString& surname, const QString& name = {})
    {
        cognome()->setText(surname);
        nome()->setText(name);
        platform.advance(TFormMain::kReloadDelayMs);
        window->Timer1Timer();
    }

    QModelIndex cell(int row, int column) { return window->tblDati().index(row, column); }
};

TEST_F(SearchTest, BurstOfTypingReloadsOnceAtTheFirstTickAfter650Ms)
{
    typeSlowly(cognome(), QStringLiteral("ROSSI"), 200);
    EXPECT_EQ(reloads(), 0);
    EXPECT_TRUE(window->reloadPending());

    platform.advance(649 - 200);
    window->Timer1Timer();
    EXPECT_EQ(reloads(), 0) << "649 ms after the last keystroke";

    platform.advance(1);
    window->Timer1Timer();
    EXPECT_EQ(reloads(), 1) << "650 ms after the last keystroke";
    EXPECT_FALSE(window->reloadPending());

    platform.advance(5000);
    window->Timer1Timer();
    EXPECT_EQ(reloads(), 1);
    EXPECT_TRUE(host.callsOf("carica").value(0).contains(QStringLiteral("|iniziali_cognome=ROSSI|")));
}

TEST_F(SearchTest, OneSurnameLetterEmptiesTheListWithoutAskingTheHost)
{
    search(QStringLiteral("RO"));
    ASSERT_EQ(window->tblDati().rowCount(), 3);
    host.log->calls.clear();

    search(QStringLiteral("R"), QStringLiteral("MA"));
    EXPECT_EQ(window->tblDati().rowCount(), 0);
    EXPECT_TRUE(host.log->calls.empty());
}

TEST_F(SearchTest, FirstNameChangeReloadsWithTheNewInitials)
{
    search(QStringLiteral("RO"));
    host.log->calls.clear();
    typeSlowly(nome(), QStringLiteral("MA"), 100);
    platform.advance(TFormMain::kReloadDelayMs);
    window->Timer1Timer();
    EXPECT_EQ(host.callsOf("carica"),
              QStringList{
                  QStringLiteral("carica(titolare= 5537|iniziali_cognome=RO|iniziali_nome=MA, alfabetico)")});
}

TEST_F(SearchTest, FilterCarriesTheTypedTextsWithoutPairSeparators)
{
    // "|" and "=" would add filter pairs of their own (another doctor's list): they never reach the
    // host. Everything else goes in as typed, blanks and case included; the boxes keep what was typed.
    struct Case
    {
        const char* cognome;
        const char* nome;
        const char* filter; // nullptr: the host is not asked
    };
    const Case cases[] = {
        {" d'Ar ", "Nicolò ", "titolare= 5537|iniziali_cognome= d'Ar |iniziali_nome=Nicolò "},
        {"RO|titolare=5538", "", "titolare= 5537|iniziali_cognome=ROtitolare5538|iniziali_nome="},
        {"RO", "MA|x=1", "titolare= 5537|iniziali_cognome=RO|iniziali_nome=MAx1"},
        {"=R|O=", "|", "titolare= 5537|iniziali_cognome=RO|iniziali_nome="},
        {"R|", "MA", nullptr},
        {"|=|", "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cognome);
        host.log->calls.clear();
        search(QString::fromUtf8(c.cognome), QString::fromUtf8(c.nome));
        EXPECT_EQ(cognome()->text(), QString::fromUtf8(c.cognome));
        EXPECT_EQ(nome()->text(), QString::fromUtf8(c.nome));
        EXPECT_EQ(host.callsOf("carica"),
                  c.filter
                      ? QStringList{QStringLiteral("carica(%1, alfabetico)").arg(QString::fromUtf8(c.filter))}
                      : QStringList());
    }

    host.log->calls.clear();
    search(QStringLiteral("RO"));
    const QStringList calls = host.log->texts();
    EXPECT_EQ(calls.mid(0, 4),
              QStringList(
                  {QStringLiteral("get_error(<omitted>)"), QStringLiteral("leggi_attributo(userid_utente)"),
                   QStringLiteral("get_error(<omitted>)"),
                   QStringLiteral("carica(titolare= 5537|iniziali_cognome=RO|iniziali_nome=, alfabetico)")}));
    // Then, per row: codice, cognome, nome, data_nascita, skip (each behind the session's guard).
    QStringList perRow;
    for (const char* call : {"leggi_attributo(codice)", "leggi_attributo(cognome)", "leggi_attributo(nome)",
                             "leggi_attributo(data_nascita)", "skip(<omitted>)"})
        perRow << QStringLiteral("get_error(<omitted>)") << QLatin1String(call);
    EXPECT_EQ(calls.mid(4), perRow + perRow + perRow);
}

TEST_F(SearchTest, TableKeepsHostTextsWholeAndShowsDates)
{
    const QString longCode = QStringLiteral("CODICE-MOLTO-LUNGO-OLTRE-22-CARATTERI");
    const QString longSurname = QStringLiteral("DE LA CRUZ Y FERNANDEZ DE CORDOBA ALTAMIRANO");
    host.patients = {
        {QStringLiteral("ABC1"), QStringLiteral("ROSSI"), QStringLiteral("MARIO"),
         QStringLiteral("1950-03-07")},
        {longCode, longSurname, QStringLiteral("MARIA DEL CARMEN ESPERANZA"), QString()},
    };
    search(QStringLiteral("RO"));

    const PatientTableModel& table = window->tblDati();
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.row(0).id, QStringLiteral("41424331"));
    EXPECT_EQ(table.row(1).id.size(), longCode.size() * 2);
    EXPECT_EQ(table.row(1).cognome, longSurname);
    EXPECT_EQ(table.row(1).nome, QStringLiteral("MARIA DEL CARMEN ESPERANZA"));
    EXPECT_EQ(table.data(cell(0, PatientTableModel::DataNascita)).toString(), QStringLiteral("07/03/1950"));
    EXPECT_EQ(table.data(cell(1, PatientTableModel::DataNascita)).toString(), QString());
    EXPECT_EQ(table.data(cell(1, PatientTableModel::Scrivi)).toString(), QStringLiteral("Compila"));
    EXPECT_TRUE(platform.messages.isEmpty());

    EXPECT_TRUE(grid()->isColumnHidden(PatientTableModel::Id));
}

TEST_F(SearchTest, UnreadableBirthDateLeavesTheCellEmptyAndTellsOnceAfterTheListIsFull)
{
    host.patients = {
        {QStringLiteral("P1"), QStringLiteral("ROSSI"), QStringLiteral("MARIO"),
         QStringLiteral("07/03/1950")},
        {QStringLiteral("P2"), QStringLiteral("ROSSINI"), QStringLiteral("ANNA"),
         QStringLiteral("1981-02-30")},
        {QStringLiteral("P3"), QStringLiteral("ROTA"), QStringLiteral("LUCA"), QStringLiteral("1981-11-30")},
    };
    int rowsWhenTold = -1;
    platform.onMessage = [&](const RecordingPlatform::Message&) {
        rowsWhenTold = window->tblDati().rowCount();
    };
    search(QStringLiteral("RO"));

    EXPECT_EQ(rowsWhenTold, 3);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages.at(0).kind, MessageKind::Error);
    EXPECT_EQ(platform.messages.at(0).text,
              QStringLiteral("Attenzione: date di nascita non valide, lasciate vuote nell'elenco:\n"
                             "ROSSI MARIO: \"07/03/1950\"\n"
                             "ROSSINI ANNA: \"1981-02-30\""));
    EXPECT_FALSE(window->tblDati().row(0).data_nascita.isValid());
    EXPECT_FALSE(window->tblDati().row(1).data_nascita.isValid());
    EXPECT_EQ(window->tblDati().row(2).data_nascita, QDate(1981, 11, 30));

    // The next change in the initials reloads as usual.
    platform.onMessage = nullptr;
    host.log->calls.clear();
    search(QStringLiteral("ROT"));
    EXPECT_EQ(reloads(), 1);
}

TEST_F(SearchTest, FormatRuleFollowsTheCertificateChoice)
{
    struct Case
    {
        int certificate;
        QStringList formats;
        int chosen;
    };
    EXPECT_EQ(certificate()->count(), 2);
    EXPECT_EQ(certificate()->itemText(0), QStringLiteral("Certificato Invalidità"));
    // As the window opens: the invalidity certificate in PDF.
    EXPECT_EQ(certificate()->currentIndex(), 0);
    EXPECT_EQ(format()->currentText(), QStringLiteral("PDF"));

    certificate()->addItem(QStringLiteral("Altro")); // a position with no rule of its own
    const Case cases[] = {
        {1, {QStringLiteral("PDF")}, 0},
        {-1, {}, -1},
        {0, {QStringLiteral("PDF"), QStringLiteral("XML")}, 0},
        {2, {QStringLiteral("PDF"), QStringLiteral("XML")}, 0}, // unchanged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.certificate);
        certificate()->setCurrentIndex(c.certificate);
        QStringList items;
        for (int i = 0; i < format()->count(); ++i)
            items << format()->itemText(i);
        EXPECT_EQ(items, c.formats);
        EXPECT_EQ(format()->currentIndex(), c.chosen);
    }
}

struct DispatchCase
{
    const char* name;
    int certificate; // -1 none, 2 a position without a flow
    int format;      // -1 none; positions past the list's entries are added as "Altro"
    QString flowAnswer;
    QString flowRun; // "ap68", "ap42", "editor" or "" for none
    QList<RecordingPlatform::Message> messages;
    bool opened;
    QString flowKept = {};      // the earlier file the flow kept
    QString flowWarning = {};   // the flow's warning for the status line
    QString flowPrintable = {}; // the editor's lines on the completed form
    bool flowCancelled = false; // the editor was given up
};

void PrintTo(const DispatchCase& c, std::ostream* out)
{
    *out << c.name;
}

class DispatchTest : public SearchTest, public ::testing::WithParamInterface<DispatchCase>
{
};

const QString kFdf = QStringLiteral("/tmp/temp/ROSSIMARIOcertmedinps.fdf");
const QString kXml = QStringLiteral("/home/medico/Desktop/certmedinps.xml");
const RecordingPlatform::Message kNoCertificate{MessageKind::Error,
                                                QStringLiteral("Selezionare il certificato.")};
const RecordingPlatform::Message kNoFormat{MessageKind::Error,
                                           QStringLiteral("Selezionare il formato del certificato.")};
const RecordingPlatform::Message kNoFile{MessageKind::Error,
                                         QStringLiteral("Errore nella Creazione del File!")};
const QString kKeptPdf =
    QStringLiteral("/home/medico/Desktop/ROSSIMARIOcertmedinps (2026-12-06 17.30.00).pdf");
const QString kPrintable = QStringLiteral("Il modulo AP68 compilato, da stampare e firmare: "
                                          "/home/medico/Desktop/ROSSIMARIOcertmedinps_compilato.pdf");
const QString kKeptXml =
    QStringLiteral("/home/medico/Desktop/certmedinps BIANCHI ANNA (2026-12-06 17.30.00).xml");

TEST_P(DispatchTest, RunsTheChosenOutput)
{
    const DispatchCase& c = GetParam();
    search(QStringLiteral("RO"));
    certificate()->addItem(QStringLiteral("Altro"));
    certificate()->setCurrentIndex(c.certificate);
    while (format()->count() <= c.format)
        format()->addItem(QStringLiteral("Altro"));
    format()->setCurrentIndex(c.format);
    flows->answer = c.flowAnswer;
    flows->kept = c.flowKept;
    flows->warning = c.flowWarning;
    flows->printable = c.flowPrintable;
    flows->cancelled = c.flowCancelled;
    flows->during = [this] { window->ShowStatus(QStringLiteral("Creazione Certificato per ROSSI - MARIO")); };

    window->gridDatiCellClick(cell(0, PatientTableModel::Scrivi));

    EXPECT_EQ(flows->calls,
              c.flowRun.isEmpty() ? QStringList() : QStringList{c.flowRun + QStringLiteral(" 41424331")});
    ASSERT_EQ(platform.messages.size(), c.messages.size());
    for (qsizetype i = 0; i < c.messages.size(); ++i) {
        EXPECT_EQ(platform.messages.at(i).kind, c.messages.at(i).kind);
        EXPECT_EQ(platform.messages.at(i).text, c.messages.at(i).text);
    }
    EXPECT_EQ(platform.opened, c.opened ? QStringList{c.flowAnswer} : QStringList());
    if (c.opened) {
        // The status line is cleared once the file is open, or then shows the flow's warning.
        EXPECT_EQ(status()->isHidden(), c.flowWarning.isEmpty());
        EXPECT_EQ(status()->text(), c.flowWarning);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, DispatchTest,
    ::testing::Values(
        DispatchCase{"NoCertificate", -1, -1, kFdf, "", {kNoCertificate}, false},
        DispatchCase{"InvaliditaNoFormat", 0, -1, kFdf, "", {kNoFormat}, false},
        DispatchCase{"InvaliditaPdf", 0, 0, kFdf, "ap68", {}, true},
        DispatchCase{"InvaliditaPdfNoFile", 0, 0, "", "ap68", {kNoFile}, false},
        DispatchCase{"InvaliditaPdfKeptACopy",
                     0,
                     0,
                     kFdf,
                     "ap68",
                     {{MessageKind::Information,
                       QStringLiteral("La copia precedente del modulo è stata conservata come ") + kKeptPdf}},
                     true,
                     kKeptPdf},
        DispatchCase{"InvaliditaXml",
                     0,
                     1,
                     kXml,
                     "editor",
                     {{MessageKind::Information, QStringLiteral("Sul desktop puoi trovare il file ") + kXml}},
                     false},
        // The completed form's lines come second, between the certificate and the kept one.
        DispatchCase{"InvaliditaXmlKeptACertificate",
                     0,
                     1,
                     kXml,
                     "editor",
                     {{MessageKind::Information, QStringLiteral("Sul desktop puoi trovare il file ") + kXml +
                                                     QLatin1Char('\n') + kPrintable +
                                                     QStringLiteral("\nIl certificato precedente è stato "
                                                                    "conservato come ") +
                                                     kKeptXml}},
                     false,
                     kKeptXml,
                     {},
                     kPrintable},
        DispatchCase{"InvaliditaXmlCancelled", 0, 1, {}, "editor", {}, false, {}, {}, {}, true},
        DispatchCase{"InvaliditaXmlNoFile", 0, 1, "", "editor", {kNoFile}, false},
        DispatchCase{"InvaliditaOtherFormat", 0, 2, kFdf, "", {kNoFile}, false},
        DispatchCase{"Ap42NoFormat", 1, -1, kFdf, "", {kNoFormat}, false},
        DispatchCase{"Ap42Pdf", 1, 0, kFdf, "ap42", {}, true},
        DispatchCase{"Ap42PdfFiscalCodeWarning",
                     1,
                     0,
                     kFdf,
                     "ap42",
                     {},
                     true,
                     {},
                     QStringLiteral("Attenzione: il codice fiscale non corrisponde a: data di nascita.")},
        DispatchCase{"Ap42OtherFormat", 1, 1, kFdf, "", {kNoFile}, false},
        DispatchCase{"OtherCertificate", 2, 0, kFdf, "", {kNoFile}, false}),
    [](const ::testing::TestParamInfo<DispatchCase>& info) { return std::string(info.param.name); });

TEST_F(SearchTest, OnlyTheCompilaCellOfTheClickedRowRunsAnOutput)
{
    search(QStringLiteral("RO"));
    flows->answer = kFdf;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const auto click = [this](int row, int column) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(cell(row, column)).center());
    };
    for (int column : {PatientTableModel::Cognome, PatientTableModel::Nome, PatientTableModel::DataNascita})
        click(1, column);
    EXPECT_TRUE(flows->calls.isEmpty());
    EXPECT_TRUE(platform.messages.isEmpty());

    click(2, PatientTableModel::Scrivi);
    EXPECT_EQ(flows->calls, QStringList{QStringLiteral("ap68 5033")});
    EXPECT_EQ(grid()->currentIndex().row(), 2);
}

TEST_F(SearchTest, KeysAloneFromTheInitialsToTheOutputOfARow)
{
    flows->answer = kFdf;
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const auto focused = [] { return QApplication::focusWidget(); };
    const auto press = [&](Qt::Key key) { QTest::keyClick(focused(), key); };

    EXPECT_EQ(focused(), cognome());
    QTest::keyClicks(focused(), QStringLiteral("RO"));
    platform.advance(TFormMain::kReloadDelayMs);
    window->Timer1Timer();
    ASSERT_EQ(window->tblDati().rowCount(), 3);
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), nome());
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), grid());

    // The current cell, framed, is the first row's "Compila"; the arrows move between rows only.
    EXPECT_EQ(grid()->currentIndex(), cell(0, PatientTableModel::Scrivi));
    EXPECT_TRUE(grid()->selectionModel()->isRowSelected(0));
    press(Qt::Key_Down);
    press(Qt::Key_Left);
    EXPECT_EQ(grid()->currentIndex(), cell(1, PatientTableModel::Scrivi));
    EXPECT_TRUE(grid()->selectionModel()->isRowSelected(1));

    // Enter, Space and the keypad's Enter are a click on "Compila", with its guard: not again while the
    // output runs.
    flows->during = [&] { QTest::keyClick(grid(), Qt::Key_Return); };
    press(Qt::Key_Return);
    EXPECT_EQ(flows->calls, QStringList{QStringLiteral("ap68 5032")});
    flows->during = nullptr;
    press(Qt::Key_Down);
    press(Qt::Key_Space);
    press(Qt::Key_Up);
    QTest::keyClick(grid(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(flows->calls, QStringList({QStringLiteral("ap68 5032"), QStringLiteral("ap68 5033"),
                                         QStringLiteral("ap68 5032")}));
    EXPECT_EQ(platform.opened, QStringList({kFdf, kFdf, kFdf}));
    // A held Enter acts once, also when the first press the grid sees is marked a repeat (the key went
    // down on another window); the repeats after it do nothing.
    const auto sendReturn = [&](QEvent::Type type, bool repeat) {
        QKeyEvent event(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), repeat);
        QApplication::sendEvent(grid(), &event);
    };
    for (const bool firstMarkedRepeat : {false, true}) {
        for (const bool repeat : {firstMarkedRepeat, true, true})
            sendReturn(QEvent::KeyPress, repeat);
        sendReturn(QEvent::KeyRelease, false);
    }
    EXPECT_EQ(flows->calls.size(), 5);

    // Tab leaves the grid for the two lists and comes round to the initials.
    for (QWidget* next : {static_cast<QWidget*>(certificate()), static_cast<QWidget*>(format()),
                          static_cast<QWidget*>(cognome())}) {
        press(Qt::Key_Tab);
        EXPECT_EQ(focused(), next);
    }
}

TEST_F(SearchTest, HandOverTheActionColumnHeaderIncluded)
{
    search(QStringLiteral("RO"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QHeaderView* header = grid()->horizontalHeader();
    struct Move
    {
        QWidget* over;
        int column;
        Qt::CursorShape shape;
    };
    const Move moves[] = {
        {grid()->viewport(), PatientTableModel::Cognome, Qt::ArrowCursor},
        {grid()->viewport(), PatientTableModel::Scrivi, Qt::PointingHandCursor},
        {grid()->viewport(), PatientTableModel::DataNascita, Qt::ArrowCursor},
        {header->viewport(), PatientTableModel::Scrivi, Qt::PointingHandCursor},
        {header->viewport(), PatientTableModel::Nome, Qt::ArrowCursor},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(m.column);
        const int x = header->sectionViewportPosition(m.column) + header->sectionSize(m.column) / 2;
        // Past the last row of the cells still counts: only the column matters.
        const int y = m.over == header->viewport() ? header->height() / 2 : grid()->viewport()->height() - 3;
        QTest::mouseMove(m.over, QPoint(x, y));
        EXPECT_EQ(grid()->cursor().shape(), m.shape);
    }
}

TEST_F(SearchTest, ReloadRequestedDuringAFlowRunsOnlyAfterIt)
{
    search(QStringLiteral("RO"));
    host.log->calls.clear();
    flows->answer = kFdf;
    int rowsDuringFlow = -1;
    flows->during = [&] {
        cognome()->setText(QStringLiteral("ROS"));
        platform.advance(3000);
        window->Timer1Timer();
        // A second click let through by the flow's message processing is not a request.
        window->gridDatiCellClick(cell(1, PatientTableModel::Scrivi));
        rowsDuringFlow = window->tblDati().rowCount();
    };
    window->gridDatiCellClick(cell(0, PatientTableModel::Scrivi));

    EXPECT_EQ(flows->calls, QStringList{QStringLiteral("ap68 41424331")});
    EXPECT_EQ(rowsDuringFlow, 3);
    EXPECT_EQ(reloads(), 0);
    EXPECT_TRUE(window->reloadPending());

    window->Timer1Timer();
    EXPECT_EQ(host.callsOf("carica"),
              QStringList{
                  QStringLiteral("carica(titolare= 5537|iniziali_cognome=ROS|iniziali_nome=, alfabetico)")});
}

TEST_F(SearchTest, NoReloadInsideAHostMessageShownByAReload)
{
    host.log->failures["carica"] = "host occupato";
    int ticksInside = 0;
    platform.onMessage = [&](const RecordingPlatform::Message&) {
        // The message box runs the event loop: typing and timer ticks go on meanwhile.
        if (ticksInside++ > 0)
            return;
        cognome()->setText(QStringLiteral("ROS"));
        platform.advance(3000);
        window->Timer1Timer();
    };
    search(QStringLiteral("RO"));
    EXPECT_EQ(platform.messageTexts(), QStringList{QStringLiteral("Tzantopat.carica(): eccezione")});
    EXPECT_EQ(reloads(), 1);

    host.log->failures.clear();
    window->Timer1Timer();
    EXPECT_EQ(reloads(), 2);
    EXPECT_EQ(window->tblDati().rowCount(), 3);
}

TEST_F(SearchTest, FlowErrorIsShownAndTheWindowCarriesOn)
{
    search(QStringLiteral("RO"));
    flows->during = [this] {
        window->ShowStatus(QStringLiteral("Creazione Certificato per ROSSI - MARIO"));
        throw std::runtime_error("Impossibile scrivere il file C:\\temp\\ROSSIMARIOcertmedinps.fdf");
    };
    window->gridDatiCellClick(cell(0, PatientTableModel::Scrivi));
    EXPECT_EQ(
        platform.messageTexts(),
        QStringList{QStringLiteral("Impossibile scrivere il file C:\\temp\\ROSSIMARIOcertmedinps.fdf")});
    EXPECT_EQ(platform.messages.at(0).kind, MessageKind::Error);
    EXPECT_TRUE(platform.opened.isEmpty());
    EXPECT_FALSE(status()->isHidden());

    // Not stuck: the next click and the next reload both run.
    flows->during = [] { throw 42; };
    window->gridDatiCellClick(cell(0, PatientTableModel::Scrivi));
    EXPECT_EQ(flows->calls.size(), 2);
    EXPECT_EQ(platform.messages.last().text, QStringLiteral("Errore imprevisto durante l'operazione."));
    host.log->calls.clear();
    search(QStringLiteral("ROT"));
    EXPECT_EQ(reloads(), 1);
}

// A host in another process lets the window's messages through while it answers: typing that arrives
// during a reload ends it, and a host closed in the middle of one leaves no part of a list behind; the
// next reload then logs the same user in again.
TEST_F(SearchTest, AReloadGivesWayToTypingAndAHostClosedDuringItLeavesNoHalfList)
{
    const auto answer = host.log->handler;
    const struct
    {
        const char* what;
        std::function<void()> atSecondRow;
        int messages;
    } cases[] = {
        {"typing", [this] { cognome()->setText(QStringLiteral("ROS")); }, 0},
        {"host closed", [] { throw host::AutomationError("RPC call failed", host::HostFault::Gone); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int codes = 0;
        host.log->handler = [&](const std::string& method, host::Arguments& arguments) {
            if (method == "leggi_attributo" && testing_support::argumentText(arguments, 0) == "codice" &&
                ++codes == 2)
                c.atSecondRow();
            return answer(method, arguments);
        };
        platform.messages.clear();
        search(QStringLiteral("RO"));
        EXPECT_EQ(window->tblDati().rowCount(), 0);
        EXPECT_EQ(platform.messages.size(), c.messages);
    }
    host.log->handler = answer;
    EXPECT_TRUE(window->Session().lost());
    EXPECT_TRUE(platform.messageTexts().value(0).contains(QStringLiteral("Riaprire il programma")));

    bool userKept = false;
    QTimer::singleShot(0, window.get(), [&] {
        auto* login = window->findChild<TfrmLogin*>(QStringLiteral("frmLogin"));
        ASSERT_NE(login, nullptr);
        auto* user = login->findChild<QLineEdit*>(QStringLiteral("txtUtente"));
        userKept = user->text() == QStringLiteral("demo") && user->isReadOnly();
        login->findChild<QLineEdit*>(QStringLiteral("txtPw"))->setText(QStringLiteral("demo"));
        QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    });
    search(QStringLiteral("ROS"));
    EXPECT_TRUE(userKept);
    EXPECT_FALSE(window->Session().lost());
    EXPECT_EQ(window->tblDati().rowCount(), 3); // the scripted host's whole list, whatever the initials
    EXPECT_EQ(platform.messageTexts().value(1), kLoginAgainMessage);
}

} // namespace
