// Both flows against the demo host, as the program runs them where no real host is installed: the
// demo host's export and datasets must give the forms the seed patient's data.

#include "fdf/OutputFlow.h"

#include "Patients.h"
#include "support/TempDirs.h"

#include "demohost/DemoHost.h"
#include "host/tc_GenTools.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

TEST(DemoHostFlows, FillBothFormsWithTheSeedPatient)
{
    TempFolders folders;
    RecordingPlatform platform;
    platform.program = folders.program;
    platform.desktop = folders.desktop;
    const std::string database = (folders.root.path() + QStringLiteral("/demo.sqlite")).toStdString();
    Tzantopat session(platform, demohost::automationFactory(database));
    session.s_utente = session.s_password = QStringLiteral("demo");
    ASSERT_TRUE(session.start());
    fdf::FlowContext context{session, platform, {}, {}};
    const clinical::PatientRow parisi{tc_GenTools::string2hex(QStringLiteral("1005")),
                                      QStringLiteral("PARISI"), QStringLiteral("NICOLÒ"), QDate(1989, 10, 8)};

    const QString ap68 = fdf::CreateAp68Pdf(parisi, context);
    expectFormReads(folders.program + "cert med INPS.pdf", ap68,
                    {{"nomefile", "AP68_mod.C_cer_med.pdf"},
                     {"cognome", "PARISI"},
                     {"sesso", "1"},
                     {"nome", "NICOLÒ"},
                     {"prov_nasc", "CT"},
                     {"comune_nasc", "CATANIA"},
                     {"datanascita", "08/10/1989"},
                     {"cod_1", "995.27"},
                     {"descr_1", "Altra allergia a farmaci (mezzo di contrasto iodato)"},
                     {"dataversione", "07/01/2010_2.0"},
                     {"cod_tess_san", "80380316062379503542"},
                     {"asl_app", "123"},
                     {"codfisc", "PRSNCL89R08C351A"},
                     {"descrizione", "AP68"},
                     {"cognome_2", "MARCHETTI"},
                     {"nome_2", "LAURA"},
                     {"terapia", "INSULINA GLARGINE 100 U/ml penna - 18 U alle ore 22"}});

    const QString ap42 = fdf::CreateAp42Ss3Pdf(parisi, context);
    expectFormReads(folders.program + "AP42_SS3.pdf", ap42,
                    {{"nomefile", "AP42_SS3.pdf"},
                     {"descrizione", "AP42"},
                     {"nome", "NICOLÒ"},
                     {"cognome", "PARISI"},
                     {"cod_fisc", "PRSNCL89R08C351A"},
                     {"data_nasc", "08/10/1989"},
                     {"luogo_nasc", "CATANIA"},
                     {"prov_nasc", "CT"},
                     {"cittadinanza", "ITALIANA"},
                     {"luogo_res", "ROMA"},
                     {"prov_res", "RM"},
                     {"indirizzo", "VIA DELLE ROSE 43"},
                     {"cap", "00185"},
                     {"tel", "06 5550422"},
                     {"tel_cell", "323 555 0613"},
                     {"doc_tipo", "PASSAPORTO"},
                     {"doc_num", "YA1380761"},
                     {"doc/ril", "QUESTURA DI ROMA"},
                     {"doc_data", "25/12/2016"},
                     {"SS3_09f", "70"},
                     {"SS3_09h", "141/104 mmHg"}});
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messageTexts().join('\n').toStdString();
}

} // namespace
