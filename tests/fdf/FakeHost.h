#pragma once
// A host for the pre-fill tests: a started session over a recording automation object that answers
// like the host, writing each patient's export on genera_xml.

#include "support/RecordingAutomation.h"
#include "support/RecordingPlatform.h"

#include "host/Tzantopat.h"

#include <QFile>

#include <map>
#include <memory>

namespace testing_support {

struct FakePatient
{
    QByteArray exportXml;                          // written on genera_xml; nothing is written when empty
    std::map<QString, QString> attributes;         // person attributes by backslash path
    QString measurementRows = QStringLiteral("0"); // the answer to the dataset's "carica"
    std::map<QString, QString> measurement;        // latest measurement's attributes
};

class FakeHost
{
public:
    std::shared_ptr<AutomationLog> log = std::make_shared<AutomationLog>();
    RecordingPlatform platform;
    QString doctorSurname = QStringLiteral("BIANCHI");
    QString doctorName = QStringLiteral("LUCA");
    std::map<QString, FakePatient> patients; // by id
    QString current;
    // Last, so that it goes first: its destructor still talks to the host.
    Tzantopat session{platform, recordingFactory(log)};

    FakeHost()
    {
        log->handler = [this](const std::string& method, host::Arguments& arguments) {
            return answer(method, arguments);
        };
        session.s_utente = QStringLiteral("medico");
        session.s_password = QStringLiteral("segreta");
        session.start();
        log->calls.clear();
    }

    // The calls after start, as "method(arg, ...)", without the session's is_on probes.
    QStringList calls() const
    {
        QStringList out;
        for (const QString& call : log->texts()) {
            if (!call.startsWith(QLatin1String("get_error(")))
                out << call;
        }
        return out;
    }

private:
    static QString arg(const host::Arguments& arguments, std::size_t i) { return testing_support::argumentText(arguments, i); }

    static host::Result text(const QString& value) { return value.toStdU16String(); }

    host::Result answer(const std::string& method, host::Arguments& arguments)
    {
        if (method == "connetti")
            return std::u16string();
        if (method == "select_single") {
            current = arg(arguments, 0);
            return true;
        }
        const auto patient = patients.find(current);
        if (method == "genera_xml") {
            if (patient != patients.end() && !patient->second.exportXml.isEmpty()) {
                QFile file(arg(arguments, 2));
                if (file.open(QIODevice::WriteOnly))
                    file.write(patient->second.exportXml);
            }
            return true;
        }
        if (method == "utente_leggi_attributo") {
            const QString name = arg(arguments, 0);
            return text(name == QLatin1String("cognome") ? doctorSurname
                        : name == QLatin1String("nome")  ? doctorName
                                                         : QString());
        }
        if (patient == patients.end())
            return std::u16string();
        if (method == "leggi_attributo") {
            const auto value = patient->second.attributes.find(arg(arguments, 0));
            return text(value == patient->second.attributes.end() ? QString() : value->second);
        }
        if (method == "new_object")
            return text(QStringLiteral("DS1"));
        if (method == "call_method_pipe") {
            if (arg(arguments, 1) == QLatin1String("carica"))
                return text(patient->second.measurementRows);
            const auto value = patient->second.measurement.find(arg(arguments, 2));
            return text(value == patient->second.measurement.end() ? QString() : value->second);
        }
        return std::monostate{};
    }
};

} // namespace testing_support
