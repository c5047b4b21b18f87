#pragma once
// The certificate's tests over the scripted host: one patient, Mario Rossi born in Milano, whose export
// is built from `patient` whenever the host is asked, so that a test changes it freely.

#include "support/ExportBuilder.h"
#include "support/FakeHost.h"
#include "support/QtPrinters.h"
#include "support/TempDirs.h"

#include "certificate/CertificateCore.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace certificate_tests {

class EditorTest : public testing::Test
{
protected:
    testing_support::TempFolders folders;
    testing_support::RecordingPlatform platform;
    testing_support::FakeHost host;
    testing_support::PatientExport patient{
        .cognome = QStringLiteral("Rossi"),
        .nome = QStringLiteral("Mario"),
        .codiceFiscale = QStringLiteral("RSSMRA50C07F205M"),
        .sesso = QStringLiteral("M"),
        .comune = QStringLiteral("Milano"),
        .provincia = QStringLiteral("MI"),
        .codiceSanitario = QStringLiteral("80380001200012345678"),
        .codiceAsl = QStringLiteral("123"),
        .sections = {{QStringLiteral("problemi_attivi"), {{"250.00", "Diabete mellito"}}},
                     {QStringLiteral("continuativi"), {{"", "Metformina 500 mg"}}}}};
    std::unique_ptr<Tzantopat> session;

    void SetUp() override
    {
        platform.program = folders.program;
        platform.desktop = folders.desktop;
        // Id 3132; the birth date as the search list takes it too, one-digit month and day.
        host.patients = {{.codice = QStringLiteral("12"),
                          .cognome = QStringLiteral("Rossi"),
                          .nome = QStringLiteral("Mario"),
                          .data_nascita = QStringLiteral("1950-3-7")}};
        host.doctorSurname = QStringLiteral("Bianchi");
        host.doctorName = QStringLiteral("Anna");
        host.comuni = {{QStringLiteral("Milano"), QStringLiteral("F205")}};
        host.log->handler = [this, answer = host.log->handler](const std::string& method,
                                                               host::Arguments& args) {
            host.patients[0].exportXml = patient.toXml();
            return answer(method, args);
        };
        session = std::make_unique<Tzantopat>(platform, host.factory());
        session->s_utente = session->s_password = QStringLiteral("demo");
        ASSERT_TRUE(session->start());
        host.log->calls.clear();
    }

    // The export the host was asked to write: a fresh file in the work folder each time.
    QString exportPath() const { return host.lastExportPath(); }
    QString certificatePath() const { return folders.onDesktop(QStringLiteral("certmedinps.xml")); }
};

} // namespace certificate_tests
