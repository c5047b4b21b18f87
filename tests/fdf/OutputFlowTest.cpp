// The two PDF flows end to end over a fake host: host calls, output files, exact FDF bytes, and what
// an independent reader (pdftk) fills into the stand-in forms.

#include "fdf/OutputFlow.h"

#include "Patients.h"
#include "support/TempDirs.h"

#include "clinical/EssentialData.h"
#include "fdf/Ap42Ss3Map.h"
#include "fdf/Ap68Map.h"
#include "fdf/FdfDocument.h"
#include "fdf/OutputFiles.h"
#include "host/tc_GenTools.h"
#include "platform/Platform.h"
#include "text/Windows1252.h"

#include <QDir>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <functional>

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

const QString kExport = QStringLiteral("publ_dati_essenziali");

// What the forms show for the ordinary patient.
QMap<QString, QString> rossiAp68Reads()
{
    return {{"nomefile", "AP68_mod.C_cer_med.pdf"},
            {"cognome", "ROSSI"},
            {"sesso", "1"},
            {"nome", "MARIO"},
            {"prov_nasc", "RM"},
            {"comune_nasc", "ROMA"},
            {"datanascita", "05/03/1950"},
            {"cod_1", "V53.2"},
            {"descr_1", "Apparecchio acustico"},
            {"cod_2", "250.00"},
            {"descr_2", "Diabete mellito (tipo 2)"},
            {"cod_3", "401.9"},
            {"descr_3", "Ipertensione essenziale"},
            {"cod_4", "715.16"},
            {"descr_4", "Artrosi (ginocchio)"},
            {"cod_5", "493.90"},
            {"descr_5", "Asma"},
            {"dataversione", "07/01/2010_2.0"},
            {"cod_tess_san", "80380001234567890123"},
            {"asl_app", "123"},
            {"codfisc", "RSSMRA50C05H501X"},
            {"descrizione", "AP68"},
            {"cognome_2", "BIANCHI"},
            {"nome_2", "LUCA"},
            {"terapia", "Ramipril 5 mg\nCardioaspirina (100 mg)"}};
}

QMap<QString, QString> rossiAp42Reads()
{
    return {{"nomefile", "AP42_SS3.pdf"},
            {"descrizione", "AP42"},
            {"nome", "MARIO"},
            {"cognome", "ROSSI"},
            {"cod_fisc", "RSSMRA50C05H501X"},
            {"data_nasc", "05/03/1950"},
            {"luogo_nasc", "ROMA"},
            {"prov_nasc", "RM"},
            {"cittadinanza", "ITALIANA"},
            {"luogo_res", "ROMA"},
            {"prov_res", "RM"},
            {"indirizzo", "Via Roma (int. 3)"},
            {"cap", "00184"},
            {"tel", "06 1234567"},
            {"tel_cell", "333 1234567"},
            {"e-mail", "mario.rossi@example.it"},
            {"doc_tipo", "Carta d'identità"},
            {"doc_num", "AX1234567"},
            {"doc/ril", "Comune di Roma"},
            {"doc_data", "07/03/2005"},
            {"SS3_09f", "72"},
            {"SS3_09h", "130/80 mmHg"}};
}

class OutputFlow : public testing::Test
{
protected:
    TempFolders folders;
    FakeHostSession host;
    QStringList statuses;
    int processed = 0;
    fdf::FlowContext context{host.session, host.platform, [this](const QString& s) { statuses << s; },
                             [this] { ++processed; }};

    OutputFlow()
    {
        host.platform.program = folders.program;
        host.platform.desktop = folders.desktop;
        host.platform.work = folders.work;
    }

    QString work(const QString& name) const { return folders.work + QDir::separator() + name; }
    QString desktop(const QString& name) const { return folders.onDesktop(name); }
    QString form(const char* name) const { return folders.program + QLatin1String(name); }

    // The expected file: the fixture with the form reference put in.
    QByteArray fixture(const char* name, const QString& desktopCopy) const
    {
        QByteArray bytes = readAll(QStringLiteral(INVCIV_FIXTURES_DIR "/fdf/") + QLatin1String(name));
        return bytes.replace("@FORM@", text::encodeWindows1252(formReference(desktopCopy)));
    }

    // How the FDF names the form it fills: "/C/..." for "C:\..." on Windows.
    static QString formReference(const QString& path)
    {
        return fdf::fileSpecification(path, fdf::nativePathStyle());
    }
};

TEST_F(OutputFlow, Ap68ForAnOrdinaryPatient)
{
    host.patients = {rossiPatient()};
    const QString fdfPath = fdf::CreateAp68Pdf(rossiRow(), context);

    EXPECT_EQ(fdfPath, work("ROSSIMARIOcertmedinps.fdf"));
    EXPECT_EQ(statuses, QStringList{"Creazione Certificato per ROSSI - MARIO"});
    EXPECT_EQ(processed, 3);
    // The export is asked under a fresh name in the work folder, once the host has the patient selected.
    EXPECT_EQ(QFileInfo(host.lastExportPath()).dir(), QDir(folders.work));
    EXPECT_TRUE(clinical::isExportFileName(QFileInfo(host.lastExportPath()).fileName()));
    EXPECT_EQ(host.calls(),
              QStringList({"select_single(524F535349)", "leggi_attributo(cognome)", "leggi_attributo(nome)",
                           "genera_xml(" + kExport + ", , " + host.lastExportPath() + ")",
                           "utente_leggi_attributo(cognome)", "utente_leggi_attributo(nome)"}));
    EXPECT_TRUE(host.platform.messages.isEmpty());
    // A fresh copy of the blank form, filled (FilledPdfTest reads it back).
    EXPECT_TRUE(readAll(desktop("ROSSIMARIOcertmedinps.pdf")).startsWith("%PDF-"));
    EXPECT_EQ(readAll(fdfPath), fixture("ap68_rossi.fdf", desktop("ROSSIMARIOcertmedinps.pdf")));
    // The host's export lasts the one read; the files that stay are their owner's only, in a folder only
    // its owner may enter; nothing is written beside the program.
    EXPECT_EQ(QDir(folders.work).entryList(QDir::Files), QStringList{"ROSSIMARIOcertmedinps.fdf"});
    EXPECT_TRUE(ownerOnly(folders.work));
    EXPECT_EQ(QDir(folders.program).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"AP42_SS3.pdf", "cert med INPS.pdf"}));
    EXPECT_TRUE(ownerOnly(fdfPath));
    EXPECT_TRUE(ownerOnly(desktop("ROSSIMARIOcertmedinps.pdf")));

    expectFormReads(form("cert med INPS.pdf"), fdfPath, rossiAp68Reads());
}

TEST_F(OutputFlow, Ap68WithoutSexSectionsBirthDateOrDoctor)
{
    PatientExport sparse;
    sparse.codiceFiscale = QStringLiteral("DNGMRS60A41F839X");
    sparse.sesso = QStringLiteral("m");
    host.patients = {{.codice = "D", .exportXml = sparse.toXml()}}; // id 44
    host.log->failures["utente_leggi_attributo"] = "no user";
    // An earlier desktop file of the same name that is no PDF form may be anything: it is kept.
    ASSERT_TRUE(writeFile(desktop("DANGELOMARIAROSAcertmedinps.pdf"), "appunti del medico",
                          QDateTime(QDate(2026, 11, 30), QTime(18, 5, 9))));

    const clinical::PatientRow row{"44", "D'ANGELO", "MARIA ROSA", QDate()};
    const fdf::PdfFlowResult result = fdf::runAp68Flow(row, context);
    const QString fdfPath = result.fdfPath;

    EXPECT_EQ(fdfPath, work("DANGELOMARIAROSAcertmedinps.fdf"));
    EXPECT_EQ(statuses, QStringList{"Creazione Certificato per DANGELO - MARIAROSA"});
    EXPECT_TRUE(readAll(desktop("DANGELOMARIAROSAcertmedinps.pdf")).startsWith("%PDF-"));
    EXPECT_EQ(result.keptPath, desktop("DANGELOMARIAROSAcertmedinps (2026-11-30 18.05.09).pdf"));
    EXPECT_EQ(readAll(result.keptPath), QByteArray("appunti del medico"));
    const QList<QByteArray> lines = fdfLines(readAll(fdfPath));
    ASSERT_EQ(lines.size(), 50);
    EXPECT_EQ(lines.mid(7, 2),
              QList<QByteArray>({"<</T(cognome)/V(D'ANGELO)>>", "<</T(nome)/V(MARIA ROSA)>>"}));
    EXPECT_EQ(lines[11], "<</T(datanascita)>>");
    EXPECT_EQ(lines.mid(13, 10),
              QList<QByteArray>({"<</T(cod_1)>>", "<</T(descr_1)>>", "<</T(cod_2)>>", "<</T(descr_2)>>",
                                 "<</T(cod_3)>>", "<</T(descr_3)>>", "<</T(cod_4)>>", "<</T(descr_4)>>",
                                 "<</T(cod_5)>>", "<</T(descr_5)>>"}));
    EXPECT_EQ(lines.mid(38, 2), QList<QByteArray>({"<</T(cognome_2)>>", "<</T(nome_2)>>"}));
    EXPECT_EQ(lines[43], "<</T(terapia)>>]");
    EXPECT_EQ(host.platform.messageTexts(), QStringList({"Tzantopat.utente_leggi_attributo(): eccezione",
                                                         "Tzantopat.utente_leggi_attributo(): eccezione"}));

    expectFormReads(form("cert med INPS.pdf"), fdfPath,
                    {{"nomefile", "AP68_mod.C_cer_med.pdf"},
                     {"cognome", "D'ANGELO"},
                     {"nome", "MARIA ROSA"},
                     {"dataversione", "07/01/2010_2.0"},
                     {"codfisc", "DNGMRS60A41F839X"},
                     {"descrizione", "AP68"}});
}

TEST_F(OutputFlow, Ap68ForHostileData)
{
    host.patients = {hostilePatient()};
    host.doctorSurname = hostile::kDoctorSurname;
    host.doctorName = hostile::kDoctorName;
    const QString fdfPath = fdf::CreateAp68Pdf(hostileRow(), context);

    // Cleaned names keep every file where it belongs.
    EXPECT_EQ(fdfPath, work("DANGELODEROSA(MARIAcertmedinps.fdf"));
    EXPECT_TRUE(QFile::exists(desktop("DANGELODEROSA(MARIAcertmedinps.pdf")));
    EXPECT_EQ(statuses, QStringList{"Creazione Certificato per DANGELODEROSA( - MARIA"});
    const QByteArray expectedForm =
        text::encodeWindows1252(formReference(desktop("DANGELODEROSA"))) + "\\(MARIAcertmedinps.pdf";
    EXPECT_EQ(fdfLines(readAll(fdfPath)).at(3), "<</F(" + expectedForm + ")/Fields[");

    expectFormReads(form("cert med INPS.pdf"), fdfPath,
                    {{"nomefile", "AP68_mod.C_cer_med.pdf"},
                     {"cognome", hostile::kCognome},
                     {"sesso", "2"},
                     {"nome", hostile::kNome},
                     {"prov_nasc", hostile::kProvincia},
                     {"comune_nasc", hostile::kComune},
                     {"datanascita", "31/12/1931"},
                     {"cod_1", "("},
                     {"descr_1", asRead(hostile::kDescription)},
                     {"cod_2", "\\"},
                     {"descr_2", "😀"},
                     {"dataversione", "07/01/2010_2.0"},
                     {"cod_tess_san", hostile::kCodiceSanitario},
                     {"asl_app", hostile::kCodiceAsl},
                     {"codfisc", hostile::kCodiceFiscale},
                     {"descrizione", "AP68"},
                     {"cognome_2", hostile::kDoctorSurname},
                     {"nome_2", hostile::kDoctorName},
                     {"terapia", asRead("Insulina (\\unità)\r\n\r\n" + hostile::kDescription)}});
}

TEST_F(OutputFlow, NamesOutsideWindows1252StillNameTheDesktopCopy)
{
    PatientExport e;
    e.codiceFiscale = QStringLiteral("SRBLKS80A42Z129X");
    e.sesso = QStringLiteral("F");
    host.patients = {{.codice = "S", .exportXml = e.toXml()}}; // id 53
    const clinical::PatientRow row{"53", "ȘERBAN-ŁUKASZ", "ỄMA ȚARA", QDate(1980, 1, 2)};
    const QString fdfPath = fdf::CreateAp68Pdf(row, context);

    EXPECT_EQ(fdfPath, work("SERBAN-LUKASZEMATARAcertmedinps.fdf"));
    EXPECT_EQ(statuses, QStringList{"Creazione Certificato per SERBAN-LUKASZ - EMATARA"});
    // The form reference, read as Windows-1252 the way a viewer reads it, names the copy that exists.
    const QString copy = desktop("SERBAN-LUKASZEMATARAcertmedinps.pdf");
    EXPECT_EQ(text::decodeWindows1252(fdfLines(readAll(fdfPath)).at(3)),
              "<</F(" + formReference(copy) + ")/Fields[");
    ASSERT_TRUE(QFile::exists(copy));
    // The values keep every letter: pdftk fills that very copy from the FDF.
    expectFormReads(copy, fdfPath,
                    {{"nomefile", "AP68_mod.C_cer_med.pdf"},
                     {"cognome", "ȘERBAN-ŁUKASZ"},
                     {"sesso", "2"},
                     {"nome", "ỄMA ȚARA"},
                     {"datanascita", "02/01/1980"},
                     {"dataversione", "07/01/2010_2.0"},
                     {"codfisc", "SRBLKS80A42Z129X"},
                     {"descrizione", "AP68"},
                     {"cognome_2", "BIANCHI"},
                     {"nome_2", "LUCA"}});
}

TEST_F(OutputFlow, Ap42Ss3ForAnOrdinaryPatient)
{
    host.patients = {rossiPatient()};
    const QString fdfPath = fdf::CreateAp42Ss3Pdf(rossiRow(), context);

    EXPECT_EQ(fdfPath, work("ROSSIMARIOcertAP42_SS3.fdf"));
    EXPECT_EQ(statuses, QStringList{"Creazione Certificato AP42 SS3  per ROSSI - MARIO"});
    EXPECT_EQ(processed, 3);
    QStringList expectedCalls = {"select_single(524F535349)", "leggi_attributo(cognome)",
                                 "leggi_attributo(nome)",
                                 "genera_xml(" + kExport + ", , " + host.lastExportPath() + ")"};
    for (const char* path :
         {"persona\\attributi_persona\\cittadinanza", "persona\\residenza\\indirizzo\\comune",
          "persona\\residenza\\indirizzo\\sigla_provincia", "persona\\residenza\\indirizzo\\via_piazza",
          "persona\\residenza\\indirizzo\\cap", "persona\\telefono\\numero_telefono",
          "persona\\telefono_cellulare", "persona\\e-mail", "persona\\documento_identita\\tipo_documento",
          "persona\\documento_identita\\numero_documento", "persona\\documento_identita\\rilasciato_da",
          "persona\\documento_identita\\data_rilascio"})
        expectedCalls << QStringLiteral("leggi_attributo(%1)").arg(QLatin1String(path));
    expectedCalls << "new_object(i_hl_dataset, pressione)"
                  << "call_method_pipe(DS1, carica, codice=524F535349|ordinamento=ordine_data_desc)"
                  << "call_method_pipe(DS1, leggi_attributo, frequenza_cardiaca)"
                  << "call_method_pipe(DS1, leggi_attributo, pressione_massima)"
                  << "call_method_pipe(DS1, leggi_attributo, pressione_minima)";
    EXPECT_EQ(host.calls(), expectedCalls);
    EXPECT_TRUE(readAll(desktop("ROSSIMARIOcertAP42_SS3.pdf")).startsWith("%PDF-"));
    EXPECT_EQ(readAll(fdfPath), fixture("ap42_ss3_rossi.fdf", desktop("ROSSIMARIOcertAP42_SS3.pdf")));
    EXPECT_EQ(QDir(folders.work).entryList(QDir::Files), QStringList{"ROSSIMARIOcertAP42_SS3.fdf"});
    EXPECT_TRUE(ownerOnly(fdfPath));
    EXPECT_TRUE(ownerOnly(desktop("ROSSIMARIOcertAP42_SS3.pdf")));

    expectFormReads(form("AP42_SS3.pdf"), fdfPath, rossiAp42Reads());
}

TEST_F(OutputFlow, Ap42Ss3ForHostileDataAndHalfAMeasurement)
{
    FakePatient patient = hostilePatient();
    patient.measurement.erase("pressione_minima");
    host.patients = {patient};
    const QString fdfPath = fdf::CreateAp42Ss3Pdf(hostileRow(), context);

    EXPECT_EQ(fdfPath, work("DANGELODEROSA(MARIAcertAP42_SS3.fdf"));
    const QByteArray fdf = readAll(fdfPath);
    EXPECT_TRUE(fdf.contains("\r\n<</T(SS3_09f)/V(7\\(2)>>\r\n<</T(SS3_09g)>>\r\n<</T(SS3_09h)>>\r\n"));
    EXPECT_TRUE(fdf.contains("\r\n<</T(doc_data)>>\r\n"));
    expectFormReads(form("AP42_SS3.pdf"), fdfPath,
                    {{"nomefile", "AP42_SS3.pdf"},
                     {"descrizione", "AP42"},
                     {"nome", hostile::kNome},
                     {"cognome", hostile::kCognome},
                     {"cod_fisc", hostile::kCodiceFiscale},
                     {"data_nasc", "31/12/1931"},
                     {"luogo_nasc", hostile::kComune},
                     {"prov_nasc", hostile::kProvincia},
                     {"indirizzo", hostile::kIndirizzo},
                     {"e-mail", asRead(hostile::kEmail)},
                     {"doc_num", "))))"},
                     {"doc/ril", hostile::kRilasciatoDa},
                     {"SS3_09f", "7(2"}});
}

TEST_F(OutputFlow, Ap42Ss3AsksNoMeasurementWhenThereIsNone)
{
    FakePatient patient = rossiPatient();
    patient.measurementRows = QStringLiteral("0");
    patient.attributes.erase("persona\\documento_identita\\data_rilascio");
    host.patients = {patient};
    const QString fdfPath = fdf::CreateAp42Ss3Pdf(rossiRow(), context);

    EXPECT_EQ(host.calls().mid(16),
              QStringList({"new_object(i_hl_dataset, pressione)",
                           "call_method_pipe(DS1, carica, codice=524F535349|ordinamento=ordine_data_desc)"}));
    const QByteArray fdf = readAll(fdfPath);
    EXPECT_EQ(fdfLines(fdf).size(), 117);
    EXPECT_TRUE(fdf.contains("\r\n<</T(SS3_09f)>>\r\n<</T(SS3_09g)>>\r\n<</T(SS3_09h)>>\r\n"));
    EXPECT_TRUE(fdf.contains("\r\n<</T(doc_data)>>\r\n"));
    QMap<QString, QString> reads = rossiAp42Reads();
    for (const char* empty : {"SS3_09f", "SS3_09h", "doc_data"})
        reads.remove(QLatin1String(empty));
    expectFormReads(form("AP42_SS3.pdf"), fdfPath, reads);
}

TEST_F(OutputFlow, Ap42Ss3StopsOnAnIssueDateThatDoesNotParse)
{
    FakePatient patient = rossiPatient();
    patient.attributes["persona\\documento_identita\\data_rilascio"] = "07/03/2005";
    host.patients = {patient};
    // An FDF of an earlier run stays as it was.
    {
        QFile earlier(work("ROSSIMARIOcertAP42_SS3.fdf"));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }

    try {
        fdf::CreateAp42Ss3Pdf(rossiRow(), context);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Data di rilascio del documento non valida: 07/03/2005");
    }
    EXPECT_EQ(readAll(work("ROSSIMARIOcertAP42_SS3.fdf")), QByteArray("earlier"));
    // The writer stops before the desktop is touched.
    EXPECT_FALSE(QFile::exists(desktop("ROSSIMARIOcertAP42_SS3.pdf")));
    // The export read before the stop is gone all the same.
    EXPECT_EQ(QDir(folders.work).entryList(QDir::Files), QStringList{"ROSSIMARIOcertAP42_SS3.fdf"});
    EXPECT_EQ(host.calls().last(), "leggi_attributo(persona\\documento_identita\\data_rilascio)");
    EXPECT_EQ(statuses.size(), 1);
}

TEST_F(OutputFlow, AWorkFolderThatCannotBeMadeReachesTheCallerAsAnError)
{
    host.patients = {rossiPatient()};
    ASSERT_TRUE(writeFile(work("file"), "x"));
    host.platform.work = work("file") + QDir::separator() + "temp";
    try {
        fdf::CreateAp68Pdf(rossiRow(), context);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()),
                  "Impossibile creare la cartella di lavoro dell'utente (" + host.platform.work + ")");
    }
    // Nothing asked of the host, nothing on the desktop.
    EXPECT_EQ(host.calls(), QStringList());
    EXPECT_EQ(QDir(folders.desktop).entryList(QDir::Files), QStringList());
}

TEST_F(OutputFlow, MissingBlankFormStillWritesTheFdf)
{
    host.patients = {rossiPatient()};
    ASSERT_TRUE(QFile::remove(form("cert med INPS.pdf")));
    const QString fdfPath = fdf::CreateAp68Pdf(rossiRow(), context);
    EXPECT_FALSE(QFile::exists(desktop("ROSSIMARIOcertmedinps.pdf")));
    EXPECT_EQ(readAll(fdfPath), fixture("ap68_rossi.fdf", desktop("ROSSIMARIOcertmedinps.pdf")));
    expectFormReads(QStringLiteral(INVCIV_FORMS_DIR "/cert med INPS.pdf"), fdfPath, rossiAp68Reads());
}

// An earlier copy is replaced only when it is byte for byte the copy the program wrote; any change is
// the doctor's, kept under a dated name. A copy from before the program kept their digests is judged by
// its values and notes. The same for the pre-fill's copy and the completed AP68.
TEST_F(OutputFlow, TheDoctorsEarlierCopyIsKeptAndAnUnchangedOneReplaced)
{
    host.patients = {rossiPatient()};
    fdf::Ap68Values completed;
    completed.cognome = QStringLiteral("ROSSI");
    completed.nome = QStringLiteral("MARIO");
    const std::pair<QString, std::function<QString()>> copies[] = {
        // name, run giving the kept path
        {"ROSSIMARIOcertmedinps", [&] { return fdf::runAp68Flow(rossiRow(), context).keptPath; }},
        {"ROSSIMARIOcertmedinps_compilato",
         [&] { return fdf::completeAp68Form(completed, host.platform).keptPath; }}};
    enum class Change { None, Typed, Rewritten, Note };
    const struct
    {
        const char* name;
        Change change;
        bool digestOnRecord, kept;
    } cases[] = {
        {"untouched", Change::None, true, false},
        {"untouched, from before the digests", Change::None, false, false},
        {"anamnesis typed in a viewer", Change::Typed, true, true},
        {"saved again by another program (qpdf)", Change::Rewritten, true, true},
        {"a text note added by qpdf, from before the digests", Change::Note, false, true},
    };
    for (const auto& [name, run] : copies) {
        for (const auto& c : cases) {
            SCOPED_TRACE(name.toStdString() + ": " + c.name);
            QDir(folders.desktop).removeRecursively();
            QDir().mkpath(folders.desktop);
            host.platform.settings.clear();
            const QString path = desktop(name + ".pdf");
            ASSERT_EQ(run(), QString());
            if (c.change == Change::Typed) {
                const QString typed = work("typed.fdf");
                fdf::writeFdfFile(typed, fdf::serializeFdf(path, {fdf::textEntry("anamnesi", "Dispnea")},
                                                           fdf::FdfClosing::OwnLine));
                ASSERT_EQ(fillForm(path, typed, work("saved.pdf")), QString());
                ASSERT_TRUE(QFile::remove(path) && QFile::rename(work("saved.pdf"), path));
            } else if (c.change != Change::None) {
                const QByteArray bytes = readAll(path);
                QPDF pdf;
                pdf.processMemoryFile("copy", bytes.constData(), std::size_t(bytes.size()));
                if (c.change == Change::Note)
                    QPDFPageDocumentHelper(pdf)
                        .getAllPages()
                        .at(0)
                        .getObjectHandle()
                        .getKey("/Annots")
                        .appendItem(pdf.makeIndirectObject(
                            QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Text "
                                                    "/Rect [9 9 30 30] /Contents (Firmato) >>")));
                QPDFWriter(pdf, QFile::encodeName(path).constData()).write();
            }
            const QByteArray earlier = readAll(path);
            ASSERT_TRUE(writeFile(path, earlier, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))));
            if (!c.digestOnRecord)
                host.platform.settings.clear();
            // Another file already has the dated name: it is no more replaced than the copy.
            ASSERT_TRUE(writeFile(desktop(name + " (2026-01-02 03.04.05).pdf"), "altro"));

            const QString kept = run();
            EXPECT_EQ(kept, c.kept ? desktop(name + " (2026-01-02 03.04.05) (2).pdf") : QString());
            EXPECT_EQ(QDir(folders.desktop).entryList(QDir::Files).size(), c.kept ? 3 : 2);
            if (c.kept) {
                EXPECT_EQ(readAll(kept), earlier);
            }
            EXPECT_EQ(readFields(path).values.value("cognome"), "ROSSI");
            EXPECT_EQ(readFields(path).values.value("anamnesi"), QString());
            EXPECT_TRUE(host.platform.messages.isEmpty());
        }
    }
}

// Every patient gets files of his own that the FDF names: Cyrillic and Greek names in Latin letters,
// a name with none in its fiscal code or else the host's code, a long one cut. The forms keep the names
// as written; the flows touch no one else's files.
TEST_F(OutputFlow, EveryNameNamesFilesOfItsOwn)
{
    const QStringList others = {"ROSSIMARIOcertmedinps.fdf", "certmedinps.fdf", "appunti.txt"};
    for (const QString& name : others)
        ASSERT_TRUE(writeFile(work(name), name.toUtf8()));
    ASSERT_TRUE(writeFile(desktop("certmedinps.xml"), "<InvCiv2010 />"));
    const struct
    {
        const char* codice;
        QString cognome, nome, codiceFiscale;
        QString files; // the desktop copy's and the FDF's name without the suffix
    } patients[] = {
        {"1", "ЗЗИВАНОВ", "ИВАН", "ZZVVNI80A01Z154X", "ZZIVANOVIVAN"},
        {"2", "ЗЗПЕТРОВ", "ОЛЬГА", "ZZPTRL80A41Z154X", "ZZPETROVOLGA"},
        {"3", "ΠΑΠΑΔΟΠΟΥΛΟΣ", "Ελένη", "PPDLNE80A41Z115X", "PAPADOPOULOSEleni"},
        {"4", "王", "秀英", "WNGXYN80A41Z210K", "WNGXYN80A41Z210K"},
        {"L5", "李", "娜", "", "L5"},
        {"6", QString(70, 'A'), "Ж" + QString(69, 'b'), "", QString(60, 'A') + "Zh" + QString(58, 'b')},
    };
    QStringList names;
    for (const auto& p : patients) {
        SCOPED_TRACE(p.files.toStdString());
        PatientExport e;
        e.cognome = p.cognome;
        e.nome = p.nome;
        e.codiceFiscale = p.codiceFiscale;
        host.patients = {{.codice = p.codice, .cognome = p.cognome, .nome = p.nome, .exportXml = e.toXml()}};
        const clinical::PatientRow row{tc_GenTools::string2hex(p.codice), p.cognome, p.nome, QDate()};
        const fdf::PdfFlowResult result = fdf::runAp68Flow(row, context);

        const QString copy = desktop(p.files + "certmedinps.pdf");
        EXPECT_EQ(result.fdfPath, work(p.files + "certmedinps.fdf"));
        EXPECT_EQ(result.filledPdfPath, copy);
        EXPECT_EQ(text::decodeWindows1252(fdfLines(readAll(result.fdfPath)).at(3)),
                  "<</F(" + formReference(copy) + ")/Fields[");
        const PdftkResult filled = readFields(copy);
        EXPECT_EQ(filled.values.value("cognome"), p.cognome);
        EXPECT_EQ(filled.values.value("nome"), p.nome);
        names << p.files;
    }
    names.removeDuplicates();
    EXPECT_EQ(names.size(), std::size(patients));
    for (const QString& name : others)
        EXPECT_EQ(readAll(work(name)), name.toUtf8());
    EXPECT_EQ(readAll(desktop("certmedinps.xml")), QByteArray("<InvCiv2010 />"));
}

// An export the host did not make for the selected patient never reaches a form: neither another
// patient's left where exports went before or go now, nor one a failing host leaves, nor another
// patient's written by the host. The flow stops with the host's message or says whose it is not, and
// writes nothing.
TEST_F(OutputFlow, NoExportButTheSelectedPatientsReachesAForm)
{
    PatientExport verdi = rossiExport();
    verdi.cognome = QStringLiteral("VERDI");
    verdi.codiceFiscale = QStringLiteral("VRDMRA50C05H501X");
    ASSERT_TRUE(QDir().mkpath(folders.program + "temp"));
    const QStringList stale = {folders.program + "temp/ROSSIMARIOcertmedinps.xml",
                               folders.program + "temp/ROSSIMARIOcertAP42_SS3.xml",
                               folders.program + "temp/certmedinps.xml",
                               work("publ_dati_essenziali-0123456789abcdef0123456789abcdef.xml")};
    for (const QString& file : stale)
        ASSERT_TRUE(writeFile(file, verdi.toXml()));

    // The host fails; the host exports another patient.
    const struct
    {
        bool hostFails;
        QString message;
    } cases[] = {
        {true, "Tgate_zantopat.genera_xml(): eccezione\r\n\r\n  host gone"},
        {false,
         "I dati esportati dal programma di cartella non appartengono al paziente scelto (ROSSI MARIO). "
         "Nessun file è stato scritto."},
    };
    for (const auto& c : cases) {
        for (const auto flow : {&fdf::runAp68Flow, &fdf::runAp42Ss3Flow}) {
            SCOPED_TRACE(c.message.toStdString());
            host.patients = {rossiPatient()};
            host.patients[0].exportXml = verdi.toXml();
            host.log->failures.clear();
            if (c.hostFails)
                host.log->failures["genera_xml"] = "host gone";
            host.platform.messages.clear();
            QString stopped;
            try {
                flow(rossiRow(), context);
            } catch (const platform::FailureShown&) {
                stopped = host.platform.messageTexts().join('\n');
            } catch (const std::runtime_error& error) {
                stopped = QString::fromUtf8(error.what());
            }
            EXPECT_EQ(stopped, c.message);
            EXPECT_EQ(QDir(folders.desktop).entryList(QDir::Files), QStringList());
            EXPECT_EQ(QDir(folders.work).entryList(QDir::Files),
                      QStringList{QFileInfo(stale.last()).fileName()});
        }
    }
    for (const QString& file : stale)
        EXPECT_EQ(readAll(file), verdi.toXml());
}

// A link (to a file or to nothing) where the FDF, the desktop copy or the completed form goes: refused,
// naming it, and what it points to stays as it was.
TEST_F(OutputFlow, NothingIsWrittenThroughALink)
{
#ifdef _WIN32
    GTEST_SKIP() << "links need privileges on Windows";
#else
    host.patients = {rossiPatient()};
    const QString target = folders.root.filePath("altrove.pdf");
    const QString link =
        "al suo posto c'è un collegamento simbolico, attraverso il quale il programma non scrive";
    const struct
    {
        QString path;
        bool targetExists;
        QString message; // of the flow, or of the completed form
    } cases[] = {
        {work("ROSSIMARIOcertmedinps.fdf"), true,
         "Impossibile scrivere il file FDF: " + link + " (" + work("ROSSIMARIOcertmedinps.fdf") + ")"},
        {desktop("ROSSIMARIOcertmedinps.pdf"), true,
         "Impossibile creare il modulo PDF sul desktop: " + link + " (" +
             desktop("ROSSIMARIOcertmedinps.pdf") + "). Nessun file è stato scritto."},
        {desktop("ROSSIMARIOcertmedinps.pdf"), false,
         "Impossibile creare il modulo PDF sul desktop: " + link + " (" +
             desktop("ROSSIMARIOcertmedinps.pdf") + "). Nessun file è stato scritto."},
        {desktop("ROSSIMARIOcertmedinps_compilato.pdf"), true,
         "impossibile scrivere la copia sul desktop: " + link + " (" +
             desktop("ROSSIMARIOcertmedinps_compilato.pdf") + ")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        for (const QString& dir : {folders.work, folders.desktop})
            for (const QString& file : QDir(dir).entryList(QDir::Files | QDir::System))
                QFile::remove(dir + QDir::separator() + file);
        QFile::remove(target);
        if (c.targetExists) {
            ASSERT_TRUE(writeFile(target, "altrui"));
        }
        ASSERT_TRUE(QFile::link(target, c.path));
        QString refused;
        if (c.path.endsWith("_compilato.pdf")) {
            fdf::Ap68Values values;
            values.cognome = "ROSSI";
            values.nome = "MARIO";
            refused = fdf::completeAp68Form(values, host.platform).failure;
        } else {
            try {
                fdf::runAp68Flow(rossiRow(), context);
            } catch (const std::runtime_error& error) {
                refused = QString::fromUtf8(error.what());
            }
        }
        EXPECT_EQ(refused, c.message);
        EXPECT_EQ(readAll(target), c.targetExists ? QByteArray("altrui") : QByteArray());
        EXPECT_EQ(QFileInfo::exists(target), c.targetExists);
        EXPECT_TRUE(QFileInfo(c.path).isSymLink());
    }
#endif
}

// When a session starts: FDFs older than a week and the exports an interrupted run left go, nothing else.
TEST_F(OutputFlow, StartOfASessionClearsOldFdfsAndLeftExports)
{
    const QDateTime now = host.platform.clock;
    struct File
    {
        const char* name;
        QDateTime modified;
        bool stays;
    };
    const File files[] = {
        {"ROSSIMARIOcertmedinps.fdf", now.addDays(-8), false},
        {"VERDIANNAcertAP42_SS3.fdf", now.addDays(-8), false},
        {".ROSAcertmedinps.fdf", now.addDays(-8), false}, // a surname starting with "."
        {"BIANCHILUCAcertmedinps.fdf", now.addDays(-1), true},
        {"publ_dati_essenziali-00112233445566778899aabbccddeeff.xml", now.addSecs(-3600), false},
        // Another copy of the program may be about to read this one.
        {"publ_dati_essenziali-ffeeddccbbaa99887766554433221100.xml", now.addSecs(-60), true},
        {"publ_dati_essenziali-appunti.xml", now.addSecs(-3600), true},
        {"ROSSIMARIOcertAP42_SS3.xml", now.addSecs(-3600), true},
        {"appunti.txt", now.addDays(-30), true},
        {"ROSSIMARIOcertmedinps.pdf", now.addDays(-30), true},
        {"ROSSIMARIOcertmedinps.fdf.bak", now.addDays(-30), true},
    };
    for (const File& file : files)
        ASSERT_TRUE(writeFile(work(file.name), "x", file.modified)) << file.name;
    ASSERT_TRUE(QDir(folders.work).mkdir("ARCHIVIOcertmedinps.fdf"));
    ASSERT_TRUE(writeFile(desktop("certmedinps.xml"), "x", now.addDays(-30)));

    fdf::clearTempFolder(host.platform);

    for (const File& file : files)
        EXPECT_EQ(QFile::exists(work(file.name)), file.stays) << file.name;
    EXPECT_TRUE(QFileInfo(work("ARCHIVIOcertmedinps.fdf")).isDir());
    EXPECT_TRUE(QFile::exists(desktop("certmedinps.xml")));
}

// The stand-in forms hold exactly the fields the two maps write: no name missing, none extra.
TEST(StandInForms, HoldExactlyTheFieldsTheMapsWrite)
{
    const auto names = [](const std::vector<fdf::FdfEntry>& entries) {
        QStringList out;
        for (const fdf::FdfEntry& entry : entries)
            out << entry.name;
        out.sort();
        return out;
    };
    const auto formFields = [](const char* form) {
        const PdftkResult read = readFields(QStringLiteral(INVCIV_FORMS_DIR "/") + QLatin1String(form));
        EXPECT_TRUE(read.error.isEmpty()) << read.error.toStdString();
        QStringList out = read.values.keys();
        out.sort();
        return out;
    };
    fdf::Ap68Values ap68;
    ap68.sesso = QStringLiteral("F");
    EXPECT_EQ(formFields("cert med INPS.pdf"), names(fdf::ap68Entries(ap68)));
    EXPECT_EQ(formFields("AP42_SS3.pdf"), names(fdf::ap42Ss3Entries({})));
}

} // namespace
