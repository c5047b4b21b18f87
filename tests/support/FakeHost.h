#pragma once
// The scripted host of the tests: it answers the session's calls as the host does (the login, the
// doctor's patient list, the current patient's attributes, export and measurements, the doctor's names,
// the town table) through the recording automation object, so every call is logged.

#include "RecordingAutomation.h"
#include "RecordingPlatform.h"

#include "host/Tzantopat.h"
#include "host/tc_GenTools.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <map>
#include <memory>
#include <vector>

namespace testing_support {

struct FakePatient
{
    // Every member has an initializer, so that a test names only the ones it needs.
    QString codice{}; // the host's code; select_single takes it as string2hex gives it
    QString cognome{};
    QString nome{};
    QString data_nascita{};                        // as the host gives it
    QByteArray exportXml{};                        // written on genera_xml; nothing is written when empty
    std::map<QString, QString> attributes{};       // other person attributes by backslash path
    QString measurementRows = QStringLiteral("0"); // the answer to the dataset's "carica"
    std::map<QString, QString> measurement{};      // latest measurement's attributes
};

class FakeHost
{
public:
    std::shared_ptr<AutomationLog> log = std::make_shared<AutomationLog>();
    QString user = QStringLiteral("demo");
    QString password = QStringLiteral("demo");
    QString userId = QStringLiteral("U7");
    int patientsUnderS = 3;            // what the login's carica answers
    std::vector<FakePatient> patients; // the doctor's list, in the host's order
    QString doctorSurname = QStringLiteral("BIANCHI");
    QString doctorName = QStringLiteral("LUCA");
    QMap<QString, QString> comuni; // town name -> cadastral code
    int current = -1;              // the current patient: carica and skip move it, select_single sets it

    FakeHost()
    {
        log->handler = [this](const std::string& method, host::Arguments& args) {
            return answer(method, args);
        };
    }
    FakeHost(const FakeHost&) = delete; // the handler refers to this object
    FakeHost& operator=(const FakeHost&) = delete;

    host::AutomationFactory factory() { return recordingFactory(log); }

    // The calls, as "method(arg, ...)", without the session's get_error probes.
    QStringList calls() const
    {
        return log->texts().filter(QRegularExpression(QStringLiteral("^(?!get_error\\()")));
    }
    // The file the host was last asked to write the export to; "" when it was not asked.
    QString lastExportPath() const
    {
        const QStringList asked = callsOf("genera_xml");
        return asked.isEmpty() ? QString() : asked.last().section(QStringLiteral(", "), 2).chopped(1);
    }
    // The texts of every call of one method, in order.
    QStringList callsOf(const std::string& method) const
    {
        QStringList out;
        for (const auto& c : log->calls) {
            if (c.method == method)
                out << c.text();
        }
        return out;
    }

private:
    static host::Result text(const QString& value) { return value.toStdU16String(); }

    host::Result answer(const std::string& method, host::Arguments& args)
    {
        const auto arg = [&args](std::size_t i) { return argumentText(args, i); };
        FakePatient* patient = current >= 0 && current < static_cast<int>(patients.size())
                                   ? &patients[std::size_t(current)]
                                   : nullptr;
        if (method == "connetti")
            return text(arg(0) == user && arg(1) == password
                            ? QString()
                            : QStringLiteral("Utente o password non validi"));
        if (method == "carica") {
            current = 0;
            return arg(0).startsWith(QStringLiteral("codice_medico ="))
                       ? patientsUnderS
                       : static_cast<std::int32_t>(patients.size());
        }
        if (method == "skip") {
            ++current;
            return {};
        }
        if (method == "select_single") {
            current = -1;
            for (std::size_t i = 0; i < patients.size(); ++i) {
                if (tc_GenTools::string2hex(patients[i].codice) == arg(0))
                    current = static_cast<int>(i);
            }
            return true;
        }
        if (method == "utente_leggi_attributo")
            return text(arg(0) == QLatin1String("cognome") ? doctorSurname
                        : arg(0) == QLatin1String("nome")  ? doctorName
                                                           : QString());
        if (method == "tabelle_leggi_attributo_generico_plus")
            return text(comuni.value(arg(3)));
        if (method == "leggi_attributo" && arg(0) == QLatin1String("userid_utente"))
            return text(userId);
        if (!patient)
            return text(QString());
        if (method == "genera_xml") {
            QFile file(arg(2));
            if (!patient->exportXml.isEmpty() && file.open(QIODevice::WriteOnly))
                file.write(patient->exportXml);
            return true;
        }
        if (method == "leggi_attributo") {
            const std::map<QString, QString> row = {{QStringLiteral("codice"), patient->codice},
                                                    {QStringLiteral("cognome"), patient->cognome},
                                                    {QStringLiteral("nome"), patient->nome},
                                                    {QStringLiteral("data_nascita"), patient->data_nascita}};
            const auto value = row.find(arg(0));
            if (value != row.end())
                return text(value->second);
            const auto attribute = patient->attributes.find(arg(0));
            return text(attribute == patient->attributes.end() ? QString() : attribute->second);
        }
        if (method == "new_object")
            return text(QStringLiteral("DS1"));
        if (method == "call_method_pipe") {
            if (arg(1) == QLatin1String("carica"))
                return text(patient->measurementRows);
            const auto value = patient->measurement.find(arg(2));
            return text(value == patient->measurement.end() ? QString() : value->second);
        }
        return {};
    }
};

// The scripted host with a started session over it and the platform that session reports to.
struct FakeHostSession : FakeHost
{
    RecordingPlatform platform;
    // Last, so that it goes first: its destructor still talks to the host.
    Tzantopat session{platform, factory()};

    FakeHostSession()
    {
        session.s_utente = user;
        session.s_password = password;
        session.start();
        log->calls.clear();
    }
};

} // namespace testing_support
