// The windowless certificate: the editor's own filling, checks and writer behind one call.
#include "EditorFixture.h"

#include "certificate/CertificateBatch.h"
#include "demohost/DemoHost.h"
#include "fdf/OutputFlow.h"
#include "fdf/Pdftk.h"
#include "host/tc_GenTools.h"

#include <QTemporaryDir>

using namespace certificate;
using namespace certificate_tests;

namespace {

class Batch : public EditorTest
{
protected:
    CertificateInput input()
    {
        CertificateInput in;
        in.anamnesi = QStringLiteral("Riga 1\nRiga 2");
        in.luogo = QStringLiteral("Milano");
        in.numIscrizione = QStringLiteral("12345");
        in.provAlbo = QStringLiteral("MI");
        in.domanda = {QStringLiteral("cecita'"), QStringLiteral("HANDICAP")};
        in.dichiarazioni = {QStringLiteral("a"), QStringLiteral("C")};
        in.data = QDate(2010, 5, 5);
        return in;
    }
    QString certificate(const char* xpath) const
    {
        pugi::xml_document doc;
        doc.load_file(certificatePath().toLocal8Bit().constData());
        QStringList texts;
        for (const auto& node : doc.select_nodes(xpath))
            texts << QString::fromUtf8(node.node().child_value());
        return texts.join(QLatin1Char(','));
    }
};

TEST_F(Batch, WritesTheCertificateWithTheGivenEntries)
{
    const CertificateOutcome outcome =
        compileCertificate(*session, platform, QStringLiteral("3132"), input());
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(outcome.path, certificatePath());
    EXPECT_EQ(outcome.message, QString());
    EXPECT_EQ(certificate("/InvCiv2010/Anagrafica/Cognome"), QStringLiteral("Rossi"));
    EXPECT_EQ(certificate("/InvCiv2010/CertificatoMedico/Anamnesi"), QStringLiteral("Riga 1\r\nRiga 2"));
    EXPECT_EQ(certificate("/InvCiv2010/CertificatoMedico/Diagnosi"), QStringLiteral("\r\n"));
    EXPECT_EQ(certificate("/InvCiv2010/CertificatoMedico/Terapia"), QStringLiteral("Metformina 500 mg\r\n"));
    EXPECT_EQ(certificate("/InvCiv2010/CertificatoMedico/*[starts-with(name(), 'Is')]"),
              QStringLiteral("false,true,false,true"));
    EXPECT_EQ(certificate("/InvCiv2010/CertificatoMedico/DataAcquisizione"), QStringLiteral("2010-05-05"));
    EXPECT_EQ(certificate("/InvCiv2010/TipoDomanda/Item/Sigla"), QStringLiteral("CECITA,HANDICAP"));
    EXPECT_EQ(certificate("/InvCiv2010/ICD9/Item/Codice"), QStringLiteral("25000"));
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(Batch, TodayWhenNoDateIsGiven)
{
    CertificateInput in = input();
    in.data = QDate();
    ASSERT_TRUE(compileCertificate(*session, platform, QStringLiteral("3132"), in).saved);
    EXPECT_EQ(certificate("/InvCiv2010/CertificatoMedico/DataAcquisizione"),
              platform.clock.date().toString(QStringLiteral("yyyy-MM-dd")));
}

TEST_F(Batch, ReportsTheEditorsMessageAndWritesNothing)
{
    const struct
    {
        void (*change)(CertificateInput&);
        const char* message;
    } cases[] = {
        // Not given, and none remembered for the login.
        {[](CertificateInput& in) { in.numIscrizione.reset(); },
         "Il seguente dato obbligatorio non è stato inserito: N° ISCRIZIONE ORDINE PROVINCIALE DEI MEDICI"},
        // Entries longer than their box are not cut: the checks report them.
        {[](CertificateInput& in) { in.provAlbo = QStringLiteral("MIX"); },
         "Il seguente dato non è formalmente corretto: PROVINCIA DI ISCRIZIONE ALL'ALBO"},
        {[](CertificateInput& in) { in.diagnosi = QString(1001, QLatin1Char('d')); },
         "Il seguente dato non è formalmente corretto: Diagnosi"},
        {[](CertificateInput& in) { in.domanda.clear(); },
         "Il seguente dato obbligatorio non è stato inserito: Tipo domanda(INVALIDITA', CECITA', ...)"},
    };
    for (const auto& c : cases) {
        CertificateInput in = input();
        c.change(in);
        const CertificateOutcome outcome = compileCertificate(*session, platform, QStringLiteral("3132"), in);
        EXPECT_FALSE(outcome.saved);
        EXPECT_EQ(outcome.path, QString());
        EXPECT_EQ(outcome.message, QString::fromUtf8(c.message));
    }
    EXPECT_FALSE(QFile::exists(certificatePath()));
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(Batch, AnOverLongTherapyIsReplacedByTheGivenText)
{
    patient.sections.back().entries = {{QString(), QString(1200, QLatin1Char('t'))}};
    CertificateInput in = input();
    EXPECT_EQ(compileCertificate(*session, platform, QStringLiteral("3132"), in).message,
              QStringLiteral("Il seguente dato non è formalmente corretto: Terapia"));
    in.terapia = QStringLiteral("Metformina 500 mg");
    ASSERT_TRUE(compileCertificate(*session, platform, QStringLiteral("3132"), in).saved);
    EXPECT_EQ(certificate("/InvCiv2010/CertificatoMedico/Terapia"), QStringLiteral("Metformina 500 mg\r\n"));
}

TEST_F(Batch, AnotherPatientsCertificateIsKeptTheSamePatientsRevised)
{
    const QString id = QStringLiteral("3132");
    const QDir desktop(folders.desktop);
    const QDateTime earlier(QDate(2026, 12, 6), QTime(17, 30));
    ASSERT_TRUE(compileCertificate(*session, platform, id, input()).saved);
    EXPECT_EQ(compileCertificate(*session, platform, id, input()).kept, QString());
    EXPECT_EQ(desktop.entryList({QStringLiteral("*.xml")}, QDir::Files),
              QStringList{QStringLiteral("certmedinps.xml")});

    QFile rossi(certificatePath());
    ASSERT_TRUE(rossi.open(QIODevice::ReadOnly));
    const QByteArray rossiCertificate = rossi.readAll();
    rossi.close();
    ASSERT_TRUE(testing_support::writeFile(certificatePath(), rossiCertificate, earlier));
    host.patients[0].cognome = *(patient.cognome = QStringLiteral("D'Angelo"));
    host.patients[0].nome = *(patient.nome = QStringLiteral("Maria Rosa"));
    patient.codiceFiscale = QStringLiteral("DNGMRS60A41F205M");
    CertificateOutcome outcome = compileCertificate(*session, platform, id, input());
    ASSERT_TRUE(outcome.saved) << outcome.message.toStdString();
    EXPECT_EQ(outcome.kept,
              folders.onDesktop(QStringLiteral("certmedinps Rossi Mario (2026-12-06 17.30.00).xml")));
    QFile kept(outcome.kept);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), rossiCertificate);
    EXPECT_EQ(certificate("/InvCiv2010/Anagrafica/Cognome"), QStringLiteral("D'Angelo"));

    // A file that cannot be read as a certificate may be anyone's: kept under the plain dated name.
    ASSERT_TRUE(testing_support::writeFile(certificatePath(), "<InvCiv2010><Anagrafica>", earlier));
    outcome = compileCertificate(*session, platform, id, input());
    EXPECT_EQ(outcome.kept, folders.onDesktop(QStringLiteral("certmedinps (2026-12-06 17.30.00).xml")));
    EXPECT_EQ(desktop.entryList({QStringLiteral("*.xml")}, QDir::Files).size(), 3);

    // An earlier certificate without a fiscal code: the names and the birth date tell the patient.
    host.patients[0].cognome = *(patient.cognome = QStringLiteral("Rossi"));
    host.patients[0].nome = *(patient.nome = QStringLiteral("Mario"));
    patient.codiceFiscale = QStringLiteral("RSSMRA50C07F205M");
    for (const auto& [birth, kept] : {std::pair{"1950-03-07", QString()},
                                      std::pair{"1951-03-07", QStringLiteral("certmedinps Rossi Mario "
                                                                             "(2026-12-07 09.00.00).xml")}}) {
        const QByteArray noFiscalCode =
            QByteArray(rossiCertificate).replace("RSSMRA50C07F205M", "").replace("1950-03-07", birth);
        ASSERT_TRUE(testing_support::writeFile(certificatePath(), noFiscalCode,
                                               QDateTime(QDate(2026, 12, 7), QTime(9, 0))));
        outcome = compileCertificate(*session, platform, id, input());
        EXPECT_EQ(outcome.kept, kept.isEmpty() ? kept : folders.onDesktop(kept)) << birth;
    }
}

// A link where the certificate goes, to a file or to nothing: refused, naming it; nothing is read,
// moved or written through it.
TEST_F(Batch, NoCertificateIsWrittenThroughALink)
{
#ifdef _WIN32
    GTEST_SKIP() << "links need privileges on Windows";
#else
    const QString target = folders.root.filePath(QStringLiteral("altrove.xml"));
    for (const bool targetExists : {true, false}) {
        SCOPED_TRACE(targetExists);
        QFile::remove(certificatePath());
        if (targetExists) {
            ASSERT_TRUE(testing_support::writeFile(target, "altrui"));
        }
        ASSERT_TRUE(QFile::link(target, certificatePath()));
        const CertificateOutcome outcome =
            compileCertificate(*session, platform, QStringLiteral("3132"), input());
        EXPECT_FALSE(outcome.saved);
        EXPECT_EQ(outcome.message, QStringLiteral("Impossibile salvare il certificato: al suo posto c'è un "
                                                  "collegamento simbolico, attraverso il quale il programma "
                                                  "non scrive (%1)")
                                       .arg(certificatePath()));
        EXPECT_EQ(QFileInfo::exists(target), targetExists);
        EXPECT_EQ(testing_support::readAll(target), targetExists ? QByteArray("altrui") : QByteArray());
        EXPECT_EQ(QDir(folders.desktop).entryList(QDir::Files | QDir::System),
                  QStringList{"certmedinps.xml"});
        QFile::remove(target);
    }
#endif
}

// The paper copy: the AP68 form completed with what the doctor typed and ticked, read back by pdftk.
TEST_F(Batch, AlsoCompletesTheAp68FormWithTheSameValues)
{
    // Boxes are ticked with the state the form defines, whatever its name: here "Oui".
    const QString blank = folders.program + QStringLiteral("cert med INPS.pdf");
    ASSERT_TRUE(testing_support::writeFile(blank, testing_support::readAll(blank).replace("/Yes", "/Oui")));
    CertificateInput in = input();
    in.anamnesi = QStringLiteral("Ipertensione dall’età di 40 anni\r\nDiabete (tipo 2): più controlli");
    in.obiettivita = QStringLiteral("Àddome trattabile\r\n\r\nPA 150/90 “a riposo”");
    in.diagnosi = QStringLiteral("Cardiopatia ipertensiva; perché…");
    in.luogo = QStringLiteral("Forlì");
    in.numIscrizione = QStringLiteral("FC-0042");

    const CertificateOutcome outcome = compileCertificate(*session, platform, QStringLiteral("3132"), in);
    ASSERT_TRUE(outcome.saved) << outcome.message.toStdString();
    const QString completed = folders.onDesktop(QStringLiteral("RossiMariocertmedinps_compilato.pdf"));
    EXPECT_EQ(outcome.printable.path, completed);
    EXPECT_EQ(outcome.printable.failure, QString());
    EXPECT_EQ(printableFormMessage(outcome.printable),
              QStringLiteral("Il modulo AP68 compilato, da stampare e firmare: ") + completed);
    const QMap<QString, QString> form = testing_support::readFields(completed).values;
    ASSERT_FALSE(form.isEmpty());
    const std::pair<const char*, QString> typed[] = {
        {"anamnesi", QStringLiteral("Ipertensione dall’età di 40 anni\nDiabete (tipo 2): più controlli")},
        {"obiettività", QStringLiteral("Àddome trattabile\n\nPA 150/90 “a riposo”")},
        {"diagnosi", QStringLiteral("Cardiopatia ipertensiva; perché…")},
        {"luogo", QStringLiteral("Forlì")},
        {"data/mod", QStringLiteral("05/05/2010")},
        {"num_iscr", QStringLiteral("FC-0042")},
        {"terapia", QStringLiteral("Metformina 500 mg")},
        {"cod_1", QStringLiteral("25000")},
        {"descr_1", QStringLiteral("Diabete mellito")},
        {"asl_app", QStringLiteral("000123")},
        // CECITA', HANDICAP and the declarations A and C; every other box unticked.
        {"cieco", QStringLiteral("Oui")},
        {"hand", QStringLiteral("Oui")},
        {"cert_1", QStringLiteral("Oui")},
        {"cert_3", QStringLiteral("Oui")},
        {"inv", QStringLiteral("Off")},
        {"sordo", QStringLiteral("Off")},
        {"disab", QStringLiteral("Off")},
        {"cert_2", QStringLiteral("Off")}};
    for (const auto& [field, value] : typed)
        EXPECT_EQ(form.value(QString::fromUtf8(field)), value) << field;

    // The patient and the doctor as the pre-fill gives them.
    fdf::FlowContext context{*session, platform, {}, {}};
    const fdf::PdfFlowResult prefill = fdf::runAp68Flow(
        {QStringLiteral("3132"), QStringLiteral("Rossi"), QStringLiteral("Mario"), QDate(1950, 3, 7)},
        context);
    const QMap<QString, QString> prefilled = testing_support::readFields(prefill.filledPdfPath).values;
    for (const char* field :
         {"cognome", "nome", "sesso", "datanascita", "comune_nasc", "prov_nasc", "codfisc", "cod_tess_san",
          "cognome_2", "nome_2", "nomefile", "descrizione", "dataversione"}) {
        EXPECT_FALSE(prefilled.value(QLatin1String(field)).isEmpty()) << field;
        EXPECT_EQ(form.value(QLatin1String(field)), prefilled.value(QLatin1String(field))) << field;
    }
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messageTexts().join(QLatin1Char('\n')).toStdString();
}

// Without a form to complete the certificate is saved all the same; a form the doctor changed is kept.
TEST_F(Batch, TheCertificateStandsWhateverBecomesOfTheForm)
{
    const QString completed = folders.onDesktop(QStringLiteral("RossiMariocertmedinps_compilato.pdf"));
    ASSERT_TRUE(testing_support::writeFile(completed, "firmato e annotato",
                                           QDateTime(QDate(2026, 12, 6), QTime(17, 30))));
    CertificateOutcome outcome = compileCertificate(*session, platform, QStringLiteral("3132"), input());
    ASSERT_TRUE(outcome.saved);
    const QString kept =
        folders.onDesktop(QStringLiteral("RossiMariocertmedinps_compilato (2026-12-06 17.30.00).pdf"));
    EXPECT_EQ(outcome.printable.kept, kept);
    EXPECT_EQ(testing_support::readAll(kept), QByteArray("firmato e annotato"));
    EXPECT_EQ(printableFormMessage(outcome.printable),
              QStringLiteral("Il modulo AP68 compilato, da stampare e firmare: ") + completed +
                  QStringLiteral("\nLa copia precedente del modulo compilato è stata conservata come ") +
                  kept);

    const QString blank = folders.program + QStringLiteral("cert med INPS.pdf");
    ASSERT_TRUE(QFile::remove(blank));
    outcome = compileCertificate(*session, platform, QStringLiteral("3132"), input());
    EXPECT_TRUE(outcome.saved);
    EXPECT_TRUE(QFile::exists(certificatePath()));
    EXPECT_EQ(outcome.printable.path, QString());
    EXPECT_EQ(printableFormMessage(outcome.printable),
              QStringLiteral("Il modulo AP68 da stampare non è stato creato: il modulo vuoto ") +
                  QDir::toNativeSeparators(blank) + QStringLiteral(" non esiste."));
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messageTexts().join(QLatin1Char('\n')).toStdString();
}

TEST_F(Batch, UnknownWordsStopBeforeTheHostIsAsked)
{
    CertificateInput in = input();
    in.domanda << QStringLiteral("PENSIONE");
    CertificateOutcome outcome = compileCertificate(*session, platform, QStringLiteral("3132"), in);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.message,
              QStringLiteral("Tipo domanda: valore sconosciuto \"PENSIONE\". Valori ammessi: "
                             "INVALIDITA, CECITA, SORDITA, HANDICAP, DISABILITA"));
    in = input();
    in.dichiarazioni = {QStringLiteral("D")};
    outcome = compileCertificate(*session, platform, QStringLiteral("3132"), in);
    EXPECT_EQ(outcome.message,
              QStringLiteral("Dichiarazione: valore sconosciuto \"D\". Valori ammessi: A, B, C"));
    EXPECT_TRUE(host.calls().isEmpty());
}

TEST(BatchOnDemoHost, FirstPatientOfTheDemoDoctor)
{
    QTemporaryDir dir;
    testing_support::TempFolders folders;
    testing_support::RecordingPlatform platform;
    platform.program = folders.program;
    platform.desktop = folders.desktop;
    Tzantopat session(platform,
                      demohost::automationFactory(dir.filePath(QStringLiteral("demo.sqlite")).toStdString()));
    session.s_utente = session.s_password = QStringLiteral("demo");
    ASSERT_TRUE(session.start());
    const QString userId = session.leggi_attributo(QStringLiteral("userid_utente"));
    ASSERT_GT(
        session.carica(QStringLiteral("codice_medico =") + userId + QStringLiteral("|tipo_di_convenzione=S"),
                       QStringLiteral("alfabetico")),
        0);
    const QString id = tc_GenTools::string2hex(session.leggi_attributo(QStringLiteral("codice")));

    CertificateInput in;
    in.luogo = QStringLiteral("Milano");
    in.numIscrizione = QStringLiteral("12345");
    in.provAlbo = QStringLiteral("MI");
    in.domanda = {QStringLiteral("INVALIDITA")};
    const CertificateOutcome outcome = compileCertificate(session, platform, id, in);
    EXPECT_TRUE(outcome.saved) << outcome.message.toStdString();
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(outcome.path.toLocal8Bit().constData()));
    EXPECT_STRNE(doc.select_node("/InvCiv2010/Anagrafica/Cognome").node().child_value(), "");
    EXPECT_EQ(
        std::string(doc.select_node("/InvCiv2010/Anagrafica/ComuneNascita").node().child_value()).size(), 4u);
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messageTexts().join(QLatin1Char('\n')).toStdString();
}

} // namespace
