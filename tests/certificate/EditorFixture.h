#pragma once
// A fake host for the certificate editor: it answers the session's calls and, on genera_xml, writes
// an essential-data export built from the patient below.

#include "support/RecordingAutomation.h"
#include "support/RecordingPlatform.h"
#include "support/TempDirs.h"

#include "QStringPrinter.h"
#include "certificate/TFormGestCertMedINPS.h"
#include "host/Tzantopat.h"

#include <QFile>
#include <QMap>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <optional>
#include <sstream>
#include <utility>
#include <vector>

namespace certificate_tests {

struct Entry
{
    QString codice;
    std::optional<QString> descrizione; // nullopt: no descrizione_estesa child
};

struct ExportPatient
{
    std::optional<QString> cognome = QStringLiteral("Rossi");
    QString nome = QStringLiteral("Mario");
    QString codiceFiscale = QStringLiteral("RSSMRA50C07F205X");
    QString sesso = QStringLiteral("M");
    QString comune = QStringLiteral("Milano");
    QString provincia = QStringLiteral("MI");
    QString codiceSanitario = QStringLiteral("80380001200012345678");
    std::optional<QString> codiceAsl = QStringLiteral("123");
    std::vector<std::pair<QString, std::vector<Entry>>> sections = {
        {QStringLiteral("problemi_attivi"), {{QStringLiteral("250.00"), QStringLiteral("Diabete mellito")}}},
        {QStringLiteral("continuativi"), {{QString(), QStringLiteral("Metformina 500 mg")}}},
    };

    QByteArray xml() const
    {
        pugi::xml_document doc;
        auto paziente =
            doc.append_child("Publ_Dati_Essenziali").append_child("Elenco_pazienti").append_child("PAZIENTE");
        const auto leaf = [](pugi::xml_node parent, const char* name, const QString& text) {
            parent.append_child(name).text().set(text.toUtf8().constData());
        };
        auto persona = paziente.append_child("PERSONA");
        if (cognome)
            leaf(persona, "cognome", *cognome);
        leaf(persona, "nome_persona", nome);
        leaf(persona, "codice_fiscale", codiceFiscale);
        leaf(persona, "sesso", sesso);
        auto nascita = persona.append_child("NASCITA");
        leaf(nascita, "comune", comune);
        leaf(nascita, "sigla_provincia", provincia);
        leaf(paziente, "codice_sanitario", codiceSanitario);
        if (codiceAsl)
            leaf(paziente.append_child("ASL_DI_ASSISTENZA").append_child("ASL"), "codice_asl", *codiceAsl);
        auto sezioni = paziente.append_child("Elenco_sezioni_dati_essenziali");
        for (const auto& [classe, entries] : sections) {
            auto sezione = sezioni.append_child("SEZIONE_DATI_ESSENZIALI");
            leaf(sezione, "codice_kv_classe_abstract", classe);
            auto dati = sezione.append_child("Elenco_dati_generici");
            for (const Entry& entry : entries) {
                auto dato = dati.append_child("DATO_GENERICO");
                leaf(dato, "codice", entry.codice);
                if (entry.descrizione)
                    leaf(dato, "descrizione_estesa", *entry.descrizione);
            }
        }
        std::ostringstream out;
        doc.save(out);
        return QByteArray::fromStdString(out.str());
    }
};

// The host behind the session: answers from the fields below, records every call.
struct FakeHost
{
    std::shared_ptr<testing_support::AutomationLog> log = std::make_shared<testing_support::AutomationLog>();
    ExportPatient patient;
    QString dataNascita = QStringLiteral("1950-03-07");
    QString cognomeMedico = QStringLiteral("Bianchi");
    QString nomeMedico = QStringLiteral("Anna");
    QMap<QString, QString> comuni = {{QStringLiteral("Milano"), QStringLiteral("F205")}};

    FakeHost()
    {
        log->handler = [this](const std::string& method, host::Arguments& args) -> host::Result {
            const auto arg = [&args](std::size_t i) { return testing_support::argumentText(args, i); };
            QString answer;
            if (method == "genera_xml") {
                QFile file(arg(2));
                if (file.open(QIODevice::WriteOnly))
                    file.write(patient.xml());
            } else if (method == "leggi_attributo" && arg(0) == QStringLiteral("data_nascita")) {
                answer = dataNascita;
            } else if (method == "utente_leggi_attributo") {
                answer = arg(0) == QStringLiteral("cognome") ? cognomeMedico : nomeMedico;
            } else if (method == "tabelle_leggi_attributo_generico_plus") {
                answer = comuni.value(arg(3));
            }
            return answer.toStdU16String();
        };
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // The calls other than the session's liveness checks.
    QStringList calls() const
    {
        QStringList out;
        for (const QString& call : log->texts()) {
            if (!call.startsWith(QStringLiteral("get_error")))
                out << call;
        }
        return out;
    }
};

class EditorTest : public testing::Test
{
protected:
    testing_support::TempFolders folders;
    testing_support::RecordingPlatform platform;
    FakeHost host;
    std::unique_ptr<Tzantopat> session;

    void SetUp() override
    {
        platform.program = folders.program;
        platform.desktop = folders.desktop;
        session = std::make_unique<Tzantopat>(platform, testing_support::recordingFactory(host.log));
        ASSERT_TRUE(session->start());
        host.log->calls.clear();
    }

    QString exportPath() const { return folders.program + QStringLiteral("temp/certmedinps.xml"); }
    QString certificatePath() const { return folders.desktop + QStringLiteral("/certmedinps.xml"); }
};

} // namespace certificate_tests
