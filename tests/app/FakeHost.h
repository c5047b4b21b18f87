#pragma once
// A scripted host for the shell's tests: users, a doctor's patients and the current row, answered
// through the recording automation object so every call is logged.

#include "RecordingAutomation.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace testing_support {

struct FakePatient
{
    QString codice;
    QString cognome;
    QString nome;
    QString data_nascita; // as the host gives it
};

struct FakeHost
{
    QString user = QStringLiteral("demo");
    QString password = QStringLiteral("demo");
    QString userId = QStringLiteral("U7");
    int patientsUnderS = 3;            // what the login's carica answers
    std::vector<FakePatient> patients; // what the search's carica answers
    int current = 0;
    std::shared_ptr<AutomationLog> log = std::make_shared<AutomationLog>();

    FakeHost()
    {
        log->handler = [this](const std::string& method, host::Arguments& args) {
            return answer(method, args);
        };
    }

    FakeHost(const FakeHost&) = delete; // the handler refers to this object
    FakeHost& operator=(const FakeHost&) = delete;

    host::AutomationFactory factory() { return recordingFactory(log); }

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
    static QString arg(const host::Arguments& args, std::size_t i) { return testing_support::argumentText(args, i); }

    static host::Result text(const QString& value) { return value.toStdU16String(); }

    host::Result answer(const std::string& method, host::Arguments& args)
    {
        if (method == "connetti") {
            if (arg(args, 0) == user && arg(args, 1) == password)
                return text(QString());
            return text(QStringLiteral("Utente o password non validi"));
        }
        if (method == "carica") {
            current = 0;
            if (arg(args, 0).startsWith(QStringLiteral("codice_medico =")))
                return patientsUnderS;
            return static_cast<std::int32_t>(patients.size());
        }
        if (method == "skip") {
            ++current;
            return {};
        }
        if (method == "leggi_attributo") {
            const QString name = arg(args, 0);
            if (name == QStringLiteral("userid_utente"))
                return text(userId);
            if (current < 0 || current >= static_cast<int>(patients.size()))
                return text(QString());
            const FakePatient& p = patients[static_cast<std::size_t>(current)];
            if (name == QStringLiteral("codice"))
                return text(p.codice);
            if (name == QStringLiteral("cognome"))
                return text(p.cognome);
            if (name == QStringLiteral("nome"))
                return text(p.nome);
            if (name == QStringLiteral("data_nascita"))
                return text(p.data_nascita);
            return text(QString());
        }
        return {};
    }
};

} // namespace testing_support
