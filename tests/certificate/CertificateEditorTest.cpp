// The editor window offscreen: filling from the host, closing, saving, messages, names and limits.
#include "EditorFixture.h"

#include "certificate/DoctorDetails.h"
#include "certificate/MemoEdit.h"
#include "certificate/TFormGestCertMedINPS.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <functional>

using namespace certificate;
using namespace certificate_tests;

namespace {

class Editor : public EditorTest
{
protected:
    std::unique_ptr<TFormGestCertMedINPS> form;

    void open()
    {
        form = std::make_unique<TFormGestCertMedINPS>(*session, platform);
        form->SetPatientId(QStringLiteral("3132"));
        form->show();
    }
    template <class T = QWidget> T* find(const char* name) const
    {
        return qobject_cast<T*>(form->FindControl(QString::fromLatin1(name)));
    }
    QString text(const char* name) const
    {
        if (const auto* memo = find<MemoEdit>(name))
            return memo->text();
        return find<QLineEdit>(name)->text();
    }
    // Completes what the doctor types, so that the certificate passes both phases.
    void complete()
    {
        find<QLineEdit>("EditLuogo")->setText(QStringLiteral("Milano"));
        find<QLineEdit>("EditNumIscrizione")->setText(QStringLiteral("12345"));
        find<QLineEdit>("EditProvAlbo")->setText(QStringLiteral("MI"));
        find<QCheckBox>("CheckBoxInvalidita")->setChecked(true);
    }
    void click(const char* button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    QStringList errors() const
    {
        QStringList out;
        for (const auto& m : platform.messages) {
            if (m.kind == platform::MessageKind::Error)
                out << m.text;
        }
        return out;
    }
};

TEST_F(Editor, FillsFromTheHostInItsOrder)
{
    patient.sections = {
        {QStringLiteral("protesi_ausili"), {{QStringLiteral("V45.81"), QStringLiteral("Bypass")}}},
        {QStringLiteral("problemi_attivi"),
         {{QStringLiteral("250.00"), QStringLiteral("Diabete")},
          {QStringLiteral("401.9"), QStringLiteral("Ipertensione\r\nessenziale")},
          {QStringLiteral("272.4"), QStringLiteral("Dislipidemia")}}},
        {QStringLiteral("allarmi"),
         {{QStringLiteral("995.0"), QStringLiteral("Allergia")},
          {QStringLiteral("E001"), QStringLiteral("Sesto")},
          {QStringLiteral("E002"), QStringLiteral("Settimo")}}},
        {QStringLiteral("continuativi"),
         {{QString(), QStringLiteral("A")},
          {QString(), QStringLiteral("B")},
          {QString(), QStringLiteral("C")}}},
    };
    open();

    // The export goes to a fresh name in the user's own work folder, after the selected patient's names.
    EXPECT_TRUE(
        QFileInfo(exportPath())
            .fileName()
            .contains(QRegularExpression(QStringLiteral("^publ_dati_essenziali-[0-9a-f]{32}\\.xml$"))))
        << exportPath().toStdString();
    EXPECT_EQ(QFileInfo(exportPath()).dir(), QDir(platform.work));
    EXPECT_EQ(host.calls(),
              (QStringList{QStringLiteral("select_single(3132)"), QStringLiteral("leggi_attributo(cognome)"),
                           QStringLiteral("leggi_attributo(nome)"),
                           QStringLiteral("genera_xml(publ_dati_essenziali, , ") + exportPath() + ")",
                           QStringLiteral("leggi_attributo(data_nascita)"),
                           QStringLiteral("leggi_attributo(data_nascita)"),
                           QStringLiteral("utente_leggi_attributo(cognome)"),
                           QStringLiteral("utente_leggi_attributo(nome)")}));
    // The export lasts the one read; the work folder is its owner's only.
    EXPECT_EQ(QDir(platform.work).entryList(QDir::Files), QStringList());
    EXPECT_TRUE(testing_support::ownerOnly(platform.work));
    EXPECT_EQ(find<QTabWidget>("PageControlCertMedINPS")->currentIndex(), 0);
    EXPECT_EQ(text("EditCognome"), QStringLiteral("Rossi"));
    EXPECT_EQ(text("EditNome"), QStringLiteral("Mario"));
    EXPECT_TRUE(find<QRadioButton>("RadioButtonSessoM")->isChecked());
    EXPECT_EQ(text("EditCodiceFiscale"), QStringLiteral("RSSMRA50C07F205M"));
    EXPECT_EQ(text("EditDataDiNascita"), QStringLiteral("07/03/1950"));
    EXPECT_EQ(text("EditLuogoDiNascita"), QStringLiteral("Milano"));
    EXPECT_EQ(text("EditProvDiNascita"), QStringLiteral("MI"));
    EXPECT_EQ(text("EditCodTesSanitaria"), QStringLiteral("80380001200012345678"));
    EXPECT_EQ(text("EditASLDiAppartenenza"), QStringLiteral("000123"));
    const QStringList codes{QStringLiteral("V4581"), QStringLiteral("25000"), QStringLiteral("4019"),
                            QStringLiteral("2724"), QStringLiteral("9950")};
    for (int row = 1; row <= 5; ++row)
        EXPECT_EQ(text(QStringLiteral("EditCodICD90%1").arg(row).toLatin1()), codes[row - 1]) << row;
    EXPECT_EQ(text("MemoCodICD901"), QStringLiteral("Bypass\r\n"));
    EXPECT_EQ(text("MemoCodICD903"), QStringLiteral("Ipertensione\r\nessenziale\r\n"));
    EXPECT_EQ(text("MemoTerapia"), QStringLiteral("A\r\nB\r\nC\r\n"));
    EXPECT_EQ(text("MemoAnamnesi"), QString());
    EXPECT_EQ(text("MemoDiagnosi"), QStringLiteral("\r\n"));
    EXPECT_EQ(find<QDateEdit>("DateTimePickerData")->date(), platform.clock.date());
    EXPECT_EQ(text("EditCognomeMedico"), QStringLiteral("Bianchi"));
    EXPECT_EQ(text("EditNomeMedico"), QStringLiteral("Anna"));
    EXPECT_EQ(text("EditLuogo"), QString());
    for (QCheckBox* box : form->findChildren<QCheckBox*>())
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_TRUE(find<QLineEdit>("EditCognome")->isReadOnly());
    EXPECT_TRUE(find<MemoEdit>("MemoTerapia")->isReadOnly());
    EXPECT_FALSE(find<QLineEdit>("EditNumIscrizione")->isReadOnly());
    EXPECT_FALSE(find("RadioGroupSesso")->isEnabled());
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_TRUE(form->fields() == readCertificate(*session, platform, QStringLiteral("3132")));
}

TEST_F(Editor, SexAndAslAsTheHostGivesThem)
{
    const struct
    {
        const char* sesso;
        bool male;
        std::optional<QString> asl;
        const char* shown;
    } cases[] = {{"M", true, QStringLiteral("123"), "000123"},
                 {"F", false, QStringLiteral("1234567"), "234567"},
                 {"m", false, QStringLiteral("654321"), "654321"},
                 {"", false, std::nullopt, ""}};
    for (const auto& c : cases) {
        patient.sesso = QString::fromLatin1(c.sesso);
        patient.codiceAsl = c.asl;
        open();
        EXPECT_EQ(find<QRadioButton>("RadioButtonSessoM")->isChecked(), c.male) << c.sesso;
        EXPECT_EQ(find<QRadioButton>("RadioButtonSessoF")->isChecked(), !c.male) << c.sesso;
        EXPECT_EQ(text("EditASLDiAppartenenza"), QString::fromLatin1(c.shown));
    }
}

TEST_F(Editor, UnreadableBirthDateAndMissingDescriptionLeaveOnlyThemEmpty)
{
    host.patients[0].data_nascita = QStringLiteral("07/03/1950");
    patient.sections = {
        {QStringLiteral("allarmi"), {{QStringLiteral("995.0"), std::nullopt}}},
        {QStringLiteral("continuativi"),
         {{QString(), QStringLiteral("A")}, {QString(), std::nullopt}, {QString(), QStringLiteral("B")}}}};
    open();
    EXPECT_EQ(text("EditDataDiNascita"), QString());
    EXPECT_EQ(text("MemoTerapia"), QStringLiteral("A\r\n\r\nB\r\n"));
    EXPECT_EQ(text("EditCognome"), QStringLiteral("Rossi"));
    EXPECT_EQ(text("EditNomeMedico"), QStringLiteral("Anna"));
    complete();
    click("ButtonCompila1");
    EXPECT_EQ(errors(), QStringList{QStringLiteral(
                            "Il seguente dato obbligatorio non è stato inserito: NAT0/A IL gg/mm/aaaa")});
}

// Another patient's export, left where the editor's went before (a fixed name beside the program) or
// written by a host that did not select the patient, never fills the window: it says why and closes.
TEST_F(Editor, NoExportButTheSelectedPatientsFillsTheWindow)
{
    testing_support::PatientExport verdi = patient;
    verdi.cognome = QStringLiteral("Verdi");
    QDir().mkpath(folders.program + QStringLiteral("temp"));
    ASSERT_TRUE(
        testing_support::writeFile(folders.program + QStringLiteral("temp/certmedinps.xml"), verdi.toXml()));
    const struct
    {
        bool hostFails;
        QString message;
    } cases[] = {{true, QStringLiteral("Tgate_zantopat.genera_xml(): eccezione\r\n\r\n  host gone")},
                 {false, QStringLiteral("I dati esportati dal programma di cartella non appartengono al "
                                        "paziente scelto (Rossi Mario). Nessun file è stato scritto.")}};
    patient = verdi;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        host.log->failures.clear();
        if (c.hostFails)
            host.log->failures["genera_xml"] = "host gone";
        platform.messages.clear();
        open();
        EXPECT_EQ(platform.messageTexts(), QStringList{c.message});
        EXPECT_EQ(text("EditCognome"), QString());
        EXPECT_EQ(text("EditCodICD901"), QString());
        QTRY_VERIFY(!form->isVisible());
        EXPECT_EQ(form->ResultText(), QStringLiteral("cancel"));
    }
}

TEST_F(Editor, AnOverLongTherapyIsKeptWholeAndTheDoctorShortensIt)
{
    patient.sections.back().entries = {{QString(), QString(1200, QLatin1Char('t'))}};
    open();
    auto* terapia = find<MemoEdit>("MemoTerapia");
    EXPECT_EQ(terapia->text().size(), 1202);
    EXPECT_FALSE(terapia->isReadOnly());
    complete();
    click("ButtonCompila2");
    EXPECT_EQ(errors(), QStringList{QStringLiteral("Il seguente dato non è formalmente corretto: Terapia")});

    terapia->selectAll();
    QTest::keyClicks(terapia, QStringLiteral("Metformina 500 mg"));
    click("ButtonCompila2");
    EXPECT_EQ(form->ResultText(), certificatePath());
    pugi::xml_document saved;
    ASSERT_TRUE(saved.load_file(certificatePath().toLocal8Bit().constData()));
    EXPECT_STREQ(saved.select_node("/InvCiv2010/CertificatoMedico/Terapia").node().child_value(),
                 "Metformina 500 mg");
}

TEST_F(Editor, ClosingWithoutSavingAsksOnlyAfterAChange)
{
    // Nothing changed: every cancel button and the title-bar close give "cancel" at once.
    for (const char* button : {"Button1", "Button2", "Button3"}) {
        open();
        EXPECT_EQ(find<QPushButton>(button)->text(),
                  QString::fromLatin1(button == std::string("Button3") ? "Annula" : "Annulla"));
        click(button);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->ResultText(), QStringLiteral("cancel"));
    }
    open();
    EXPECT_EQ(form->ResultText(), QString());
    form->close();
    EXPECT_EQ(form->ResultText(), QStringLiteral("cancel"));
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_TRUE(platform.questions.isEmpty());

    // Esc closes nothing.
    open();
    auto* anamnesi = find<MemoEdit>("MemoAnamnesi");
    QTest::keyClicks(anamnesi, QStringLiteral("Dispnea"));
    QTest::keyClick(anamnesi, Qt::Key_Escape);
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(anamnesi->text(), QStringLiteral("Dispnea"));
    EXPECT_TRUE(platform.questions.isEmpty());

    // Any change asks first: "No" leaves the window as it was, "Sì" gives up.
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"memo", [this] { find<MemoEdit>("MemoObiettivita")->setText(QStringLiteral("Edemi declivi")); }},
        {"edit", [this] { find<QLineEdit>("EditLuogo")->setText(QStringLiteral("Milano")); }},
        {"check box", [this] { find<QCheckBox>("CheckBoxCert01B")->setChecked(true); }},
        {"radio", [this] { find<QRadioButton>("RadioButtonSessoF")->setChecked(true); }},
        {"date", [this] { find<QDateEdit>("DateTimePickerData")->setDate(QDate(2010, 5, 5)); }},
    };
    const std::pair<const char*, std::function<void()>> closings[] = {
        {"Annulla", [this] { click("Button2"); }},
        {"title bar", [this] { form->close(); }},
    };
    for (const auto& [what, change] : changes) {
        for (const auto& [how, close] : closings) {
            SCOPED_TRACE(std::string(what) + ", " + how);
            open();
            change();
            const CertificateFields changed = form->fields();
            platform.questions.clear();
            platform.answer = false;
            close();
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(form->ResultText(), QString());
            EXPECT_TRUE(form->fields() == changed);
            EXPECT_EQ(platform.questions,
                      QStringList{QStringLiteral("Chiudere il certificato senza salvarlo? Il testo inserito "
                                                 "andrà perso.")});
            platform.answer = true;
            close();
            EXPECT_FALSE(form->isVisible());
            EXPECT_EQ(form->ResultText(), QStringLiteral("cancel"));
        }
    }
    EXPECT_FALSE(QFile::exists(certificatePath()));
}

TEST_F(Editor, APassingSaveClosesWithThePath)
{
    open();
    complete();
    click("ButtonCompila1");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->ResultText(), certificatePath());
    EXPECT_EQ(form->result(), QDialog::Rejected); // the result is always cancel; ResultText tells
    EXPECT_TRUE(testing_support::ownerOnly(certificatePath()));
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_TRUE(platform.questions.isEmpty()) << "the fiscal code agrees";
    // The cadastral code is asked for by each phase, the fiscal code's comparison and the writer.
    EXPECT_EQ(host.calls().filter(QStringLiteral("tabelle_leggi_attributo_generico_plus")),
              QStringList(
                  4, QStringLiteral("tabelle_leggi_attributo_generico_plus(tabella_comuni, codice_catastale, "
                                    "denominazione, Milano)")));
}

TEST_F(Editor, AFiscalCodeOfOtherPersonalDataIsSavedOnlyWhenTheDoctorSaysSo)
{
    // Mario Rossi's code for the 8th, in Roma. The export gives no sex, which the radio buttons show as
    // F: the code's M is not compared with that.
    patient.codiceFiscale = QStringLiteral("RSSMRA50C08H501L");
    patient.sesso.reset();
    open();
    complete();
    platform.answer = false;
    click("ButtonCompila1");
    EXPECT_EQ(platform.questions,
              QStringList{QStringLiteral("Il codice fiscale non corrisponde a: data di "
                                         "nascita, comune di nascita. Salvare comunque?")});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->ResultText(), QString());
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_FALSE(QFile::exists(certificatePath()));
    EXPECT_TRUE(platform.settings.isEmpty()) << "nothing remembered of a save not made";

    platform.answer = true;
    click("ButtonCompila1");
    EXPECT_EQ(platform.questions.size(), 2);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->ResultText(), certificatePath());
}

// The registration number, its province and the place, remembered per host login after a save.
TEST_F(Editor, TheDoctorsOwnDetailsAreRememberedPerLoginAfterASave)
{
    const auto details = [this] {
        return QStringList{text("EditNumIscrizione"), text("EditProvAlbo"), text("EditLuogo")};
    };
    const auto saveAs = [&](const QString& login, const QStringList& values) {
        session->s_utente = login;
        open();
        EXPECT_EQ(details(), QStringList(3, QString())) << login.toStdString();
        complete();
        find<QLineEdit>("EditNumIscrizione")->setText(values[0]);
        find<QLineEdit>("EditProvAlbo")->setText(values[1]);
        find<QLineEdit>("EditLuogo")->setText(values[2]);
        click("ButtonCompila1");
    };

    // A failing save remembers nothing.
    saveAs(QStringLiteral("demo"), {QStringLiteral("12"), QStringLiteral("FC"), QStringLiteral("Forlì")});
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(platform.settings.isEmpty());
    find<QLineEdit>("EditNumIscrizione")->setText(QStringLiteral("12345"));
    click("ButtonCompila1");
    ASSERT_FALSE(form->isVisible());

    // A login any text: its own key, apart from the others'.
    const QString other = QStringLiteral("Demo/2\\x");
    saveAs(other, {QStringLiteral("999"), QStringLiteral("RM"), QStringLiteral("Roma")});
    ASSERT_FALSE(form->isVisible());
    EXPECT_EQ(platform.settings.keys().filter(QStringLiteral("medici/")),
              QStringList({"medici/44656D6F2F325C78/luogo", "medici/44656D6F2F325C78/num_iscrizione",
                           "medici/44656D6F2F325C78/prov_albo", "medici/64656D6F/luogo",
                           "medici/64656D6F/num_iscrizione", "medici/64656D6F/prov_albo"}));

    // Each login's next certificate opens with its own, as filled: closing it asks nothing.
    for (const auto& [login, values] :
         {std::pair{QStringLiteral("demo"), QStringList{"12345", "FC", "Forlì"}},
          std::pair{other, QStringList{"999", "RM", "Roma"}}}) {
        session->s_utente = login;
        open();
        EXPECT_EQ(details(), values) << login.toStdString();
        click("Button2");
        EXPECT_FALSE(form->isVisible());
    }
    EXPECT_TRUE(platform.questions.isEmpty());
}

TEST_F(Editor, AFailingSaveStaysOpenOnItsPage)
{
    patient.nome->clear();
    host.patients[0].nome.clear();
    host.comuni.clear();
    open();
    find<QTabWidget>("PageControlCertMedINPS")->setCurrentIndex(2);
    click("ButtonCompila3");
    EXPECT_EQ(errors(), QStringList{QStringLiteral("Il seguente dato non è formalmente corretto: A")});

    host.comuni.insert(QStringLiteral("Milano"), QStringLiteral("F205"));
    click("ButtonCompila3");
    EXPECT_EQ(errors().last(),
              QStringLiteral("I seguenti dati obbligatori non sono stati inseriti: NOME, "
                             "N° ISCRIZIONE ORDINE PROVINCIALE DEI MEDICI, PROVINCIA DI ISCRIZIONE "
                             "ALL'ALBO, Luogo, Tipo domanda(INVALIDITA', CECITA', ...)"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(find<QTabWidget>("PageControlCertMedINPS")->currentIndex(), 2);
    EXPECT_EQ(form->ResultText(), QString());
    EXPECT_FALSE(QFile::exists(certificatePath()));

    complete();
    click("ButtonCompila3");
    EXPECT_EQ(errors().last(), QStringLiteral("Il seguente dato obbligatorio non è stato inserito: NOME"));
}

TEST_F(Editor, MessagesNameTheLabels)
{
    open();
    complete();
    form->setLineEditText(find<QLineEdit>("EditCognome"), QString(51, QLatin1Char('x')));
    find<MemoEdit>("MemoAnamnesi")->setText(QString(1001, QLatin1Char('x')));
    find<QCheckBox>("CheckBoxInvalidita")->setChecked(false);
    click("ButtonCompila1");
    EXPECT_EQ(errors().last(),
              QStringLiteral("I seguenti dati non sono formalmente corretti: COGNOME, Anamnesi"));

    form->setLineEditText(find<QLineEdit>("EditCognome"), QStringLiteral("Rossi"));
    find<MemoEdit>("MemoAnamnesi")->setText(QString());
    find<QLineEdit>("EditNome")->clear();
    click("ButtonCompila1");
    EXPECT_EQ(errors().last(),
              QStringLiteral("I seguenti dati obbligatori non sono stati inseriti: NOME, Tipo "
                             "domanda(INVALIDITA', CECITA', ...)"));

    find<QLineEdit>("EditNome")->setText(QStringLiteral("Mario"));
    find<QCheckBox>("CheckBoxInvalidita")->setChecked(true);
    find<QLineEdit>("EditCodICD901")->clear();
    click("ButtonCompila1");
    EXPECT_EQ(errors().last(), QStringLiteral("Il seguente dato obbligatorio non è stato inserito: Deve "
                                              "essere presente almeno un CODICE ICD-9"));
}

// The messages name controls by the captions of the core's table: for every control of the form, the
// caption of the label its name leads to, or its name when there is none.
TEST_F(Editor, LabelsOfTheMessagesAreTheFormsCaptions)
{
    open();
    QStringList named;
    for (const QWidget* control : form->findChildren<QWidget*>()) {
        const QString name = control->objectName();
        QString expected = name;
        if (const QString label = TFormGestCertMedINPS::labelNameOf(name); !label.isEmpty()) {
            if (const auto* caption = find<QLabel>(label.toLatin1()))
                expected = caption->text();
        }
        EXPECT_EQ(form->LabelTextOf(control), expected) << name.toStdString();
        if (expected != name) {
            named << name + QLatin1Char('=') + expected;
            // A screen reader names the control as the messages do.
            EXPECT_EQ(control->accessibleName(), expected) << name.toStdString();
        }
    }
    named.sort();
    EXPECT_EQ(
        named.join(QLatin1Char('|')),
        QString::fromUtf8("DateTimePickerData=data|EditASLDiAppartenenza=ASL DI APPARTENENZA|"
                          "EditCodTesSanitaria=CODICE TESSERA SANITARIA|EditCodiceFiscale=CODICE FISCALE|"
                          "EditCognome=COGNOME|EditCognomeMedico=COGNOME|EditDataDiNascita=NAT0/A IL "
                          "gg/mm/aaaa|EditLuogo=Luogo|EditLuogoDiNascita=A|EditNome=NOME|EditNomeMedico=NOME|"
                          "EditNumIscrizione=N° ISCRIZIONE ORDINE PROVINCIALE DEI MEDICI|"
                          "EditProvAlbo=PROVINCIA DI ISCRIZIONE ALL'ALBO|MemoAnamnesi=Anamnesi|"
                          "MemoDiagnosi=Diagnosi|MemoObiettivita=Obiettività|MemoTerapia=Terapia|"
                          "RadioGroupSesso=SESSO"));
    EXPECT_EQ(form->FindControl(QStringLiteral("editcognome")), nullptr);
    EXPECT_EQ(form->FindControl(QStringLiteral("EditCognom")), nullptr);
    EXPECT_EQ(form->FindControl(QString()), nullptr);
    // A label that says nothing names no control (its empty caption would silence the control's name).
    for (const QLabel* label : form->findChildren<QLabel*>()) {
        if (label->text().isEmpty()) {
            EXPECT_EQ(label->buddy(), nullptr) << label->objectName().toStdString();
        }
    }
}

TEST_F(Editor, TypingStopsAtTheLimits)
{
    open();
    auto* luogo = find<QLineEdit>("EditLuogo");
    QTest::keyClicks(luogo, QString(60, QLatin1Char('x')));
    EXPECT_EQ(luogo->text().size(), 50);
    auto* albo = find<QLineEdit>("EditProvAlbo");
    QTest::keyClicks(albo, QStringLiteral("MIL"));
    EXPECT_EQ(albo->text(), QStringLiteral("MI"));

    // A memo counts each line break as two characters.
    auto* anamnesi = find<MemoEdit>("MemoAnamnesi");
    anamnesi->setText(QString(997, QLatin1Char('a')));
    anamnesi->moveCursor(QTextCursor::End);
    QTest::keyClick(anamnesi, Qt::Key_Return);
    EXPECT_EQ(anamnesi->text().size(), 999);
    QTest::keyClick(anamnesi, Qt::Key_Return); // would need two
    QTest::keyClicks(anamnesi, QStringLiteral("bc"));
    EXPECT_EQ(anamnesi->text(), QString(997, QLatin1Char('a')) + QStringLiteral("\r\nb"));
    anamnesi->selectAll();
    QGuiApplication::clipboard()->setText(QString(600, QLatin1Char('p')) + QStringLiteral("\n") +
                                          QString(600, QLatin1Char('q')));
    anamnesi->paste();
    EXPECT_EQ(anamnesi->text().size(), 1000);
    EXPECT_TRUE(anamnesi->text().endsWith(QStringLiteral("\r\n") + QString(398, QLatin1Char('q'))));
}

TEST_F(Editor, AFailedWriteKeepsTheEditorOpen)
{
    QFile desktopFile(folders.desktop + QStringLiteral("/Scrivania"));
    ASSERT_TRUE(desktopFile.open(QIODevice::WriteOnly));
    desktopFile.close();
    platform.desktop = desktopFile.fileName();
    // The doctor's details remembered from an earlier certificate, which this one changes.
    for (const auto& [name, value] :
         {std::pair{"num_iscrizione", "999"}, {"prov_albo", "RM"}, {"luogo", "Roma"}})
        platform.setUserSetting(doctorSettingName(session->s_utente, QLatin1String(name)),
                                QString::fromUtf8(value));
    const QMap<QString, QString> remembered = platform.settings;
    open();
    complete();
    click("ButtonCompila1");
    EXPECT_EQ(errors(),
              QStringList{QStringLiteral("Impossibile salvare il certificato: la cartella non esiste (") +
                          QDir::toNativeSeparators(platform.desktop + QStringLiteral("/certmedinps.xml")) +
                          QLatin1Char(')')});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->ResultText(), QString());
    EXPECT_EQ(platform.settings, remembered);
}

TEST_F(Editor, FilledPageByPageAndSavedWithTheKeysAlone)
{
    open();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto* pages = find<QTabWidget>("PageControlCertMedINPS");
    const auto focused = [] { return QApplication::focusWidget(); };
    const auto focusedName = [&] { return focused() ? focused()->objectName() : QString(); };
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(focused(), key, modifiers);
    };
    // A key held down repeats as presses marked auto-repeat.
    const auto holdReturn = [&] {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
        QApplication::sendEvent(focused(), &repeat);
    };
    // Tab from the focus until `last`, recording the controls passed through.
    const auto tabTo = [&](const char* last) {
        QStringList path;
        do {
            press(Qt::Key_Tab);
            path << focusedName();
        } while (path.size() < 40 && path.last() != QLatin1String(last));
        return path;
    };

    // Each page starts on its first control the doctor can change, and Tab runs down it in reading
    // order, then Salva and the cancel button; a memo takes no tab character.
    EXPECT_EQ(focusedName(), QStringLiteral("MemoAnamnesi"));
    QTest::keyClicks(focused(), QStringLiteral("Diabete dal 2001"));
    EXPECT_EQ(tabTo("MemoAnamnesi"),
              QStringList({"MemoObiettivita", "MemoDiagnosi", "ButtonCompila1", "Button2",
                           "qt_tabwidget_tabbar", "EditCognome", "EditNome", "EditCodiceFiscale",
                           "EditDataDiNascita", "EditLuogoDiNascita", "EditProvDiNascita",
                           "EditCodTesSanitaria", "EditASLDiAppartenenza", "MemoAnamnesi"}));
    press(Qt::Key_Tab);
    QTest::keyClicks(focused(), QStringLiteral("Buone condizioni"));
    press(Qt::Key_Tab);
    press(Qt::Key_Up);
    QTest::keyClicks(focused(), QStringLiteral("Diabete tipo 2"));
    EXPECT_EQ(text("MemoAnamnesi"), QStringLiteral("Diabete dal 2001"));
    EXPECT_EQ(text("MemoObiettivita"), QStringLiteral("Buone condizioni"));

    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 1);
    EXPECT_EQ(focusedName(), QStringLiteral("EditCodICD901")); // nothing to change on this page
    EXPECT_EQ(tabTo("Button3").mid(0, 3), QStringList({"MemoCodICD901", "EditCodICD902", "MemoCodICD902"}));

    press(Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(pages->currentIndex(), 2);
    EXPECT_EQ(focusedName(), QStringLiteral("CheckBoxCert01A"));
    press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pages->currentIndex(), 1);
    press(Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(focusedName(), QStringLiteral("MemoAnamnesi"));
    press(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier); // from the first page round to the last
    EXPECT_EQ(pages->currentIndex(), 2);

    press(Qt::Key_Space);
    EXPECT_EQ(tabTo("EditProvAlbo"),
              QStringList({"CheckBoxCert01B", "CheckBoxCert01C", "CheckBoxInvalidita", "CheckBoxCecita",
                           "CheckBoxSordita", "CheckBoxHandicap", "CheckBoxDisabilita", "EditLuogo",
                           // day, month and year
                           "DateTimePickerData", "DateTimePickerData", "DateTimePickerData",
                           "EditCognomeMedico", "EditNomeMedico", "EditNumIscrizione", "EditProvAlbo"}));
    QTest::keyClicks(focused(), QStringLiteral("MI"));
    press(Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClicks(focused(), QStringLiteral("12345"));
    EXPECT_EQ(tabTo("Button1"), QStringList({"EditProvAlbo", "ButtonCompila3", "Button1"}));
    holdReturn(); // the repeats of a held Enter press nothing: not Annulla
    EXPECT_TRUE(platform.questions.isEmpty());
    press(Qt::Key_Tab, Qt::ShiftModifier);
    press(Qt::Key_Return); // Salva: the checks still want a place and a purpose
    holdReturn();          // nor Salva a second time
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(errors(), QStringList{QStringLiteral("I seguenti dati obbligatori non sono stati inseriti: "
                                                   "Luogo, Tipo domanda(INVALIDITA', CECITA', ...)")});
    EXPECT_EQ(focusedName(), QStringLiteral("ButtonCompila3"));

    tabTo("CheckBoxInvalidita");
    press(Qt::Key_Space);
    tabTo("EditLuogo");
    QTest::keyClicks(focused(), QStringLiteral("Milano"));
    tabTo("ButtonCompila3");
    press(Qt::Key_Enter, Qt::KeypadModifier); // the keypad's Enter is Enter too
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->ResultText(), certificatePath());
    EXPECT_EQ(text("MemoDiagnosi"), QStringLiteral("Diabete tipo 2\r\n"));
    QStringList ticked;
    for (const QCheckBox* box : form->findChildren<QCheckBox*>()) {
        if (box->isChecked())
            ticked << box->objectName();
    }
    EXPECT_EQ(ticked, QStringList({"CheckBoxCert01A", "CheckBoxInvalidita"}));
    EXPECT_EQ(text("EditLuogo") + text("EditNumIscrizione") + text("EditProvAlbo"),
              QStringLiteral("Milano12345MI"));
}

// The host's program closed while the editor is open: "Salva" says so and writes nothing, the window
// keeps what was typed, and once the host is back "Salva" logs the same user in again and saves.
TEST_F(Editor, AHostClosedUnderTheEditorKeepsWhatWasTypedAndSalvaSavesAfterLoggingInAgain)
{
    session->s_password.clear(); // as the login leaves it
    open();
    complete();
    find<MemoEdit>("MemoAnamnesi")->setText(QStringLiteral("Diabete dal 2001"));
    host.log->failures = {{"get_error", "RPC call failed"}};
    host.log->failureFaults = {{"get_error", host::HostFault::Gone}};
    click("ButtonCompila1");
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(QFile::exists(certificatePath()));
    EXPECT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messageTexts().value(0).contains(QStringLiteral("Riaprire il programma")));

    host.log->failures.clear();
    int logins = 0;
    session->relogin = [&] {
        ++logins;
        session->s_password = QStringLiteral("demo");
        return session->start();
    };
    click("ButtonCompila1");
    EXPECT_EQ(logins, 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->ResultText(), certificatePath());
    EXPECT_EQ(text("MemoAnamnesi"), QStringLiteral("Diabete dal 2001"));
}

} // namespace
