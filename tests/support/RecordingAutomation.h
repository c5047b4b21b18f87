#pragma once
// A recording automation object: logs every call with its arguments, answers from a handler or from a
// wrapped real object, and fails chosen methods on demand (how tests inject host faults).

#include "host/AutomationFactory.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct AutomationCall
{
    std::string method;
    std::vector<std::optional<std::u16string>> arguments; // nullopt: the omitted marker
    int object = 0;                                       // which created object received it

    // "method(arg1, arg2)" with "<omitted>" for the marker: easy to compare in tests.
    QString text() const
    {
        QStringList parts;
        for (const auto& a : arguments)
            parts << (a ? QString::fromStdU16String(*a) : QStringLiteral("<omitted>"));
        return QString::fromStdString(method) + QLatin1Char('(') + parts.join(QStringLiteral(", ")) +
               QLatin1Char(')');
    }
};

// The text of argument i, "" when it is missing or the omitted marker.
inline QString argumentText(const host::Arguments& arguments, std::size_t i)
{
    if (i >= arguments.size())
        return {};
    const auto* text = std::get_if<std::u16string>(&arguments[i]);
    return text ? QString::fromStdU16String(*text) : QString();
}

struct AutomationLog
{
    std::vector<AutomationCall> calls;
    int created = 0;
    // Methods that raise AutomationError with the given message, on every object; as a busy or closed
    // host's when failureFaults says so.
    std::map<std::string, std::string> failures;
    std::map<std::string, host::HostFault> failureFaults;
    // Answers for methods when there is no wrapped object; unknown methods answer empty.
    std::function<host::Result(const std::string&, host::Arguments&)> handler;
    // When set, the factory fails to create the object.
    std::optional<std::string> creationFailure;

    QStringList texts() const
    {
        QStringList out;
        for (const auto& c : calls)
            out << c.text();
        return out;
    }
};

class RecordingAutomation : public host::AutomationObject
{
public:
    RecordingAutomation(std::shared_ptr<AutomationLog> log, int id, std::unique_ptr<host::AutomationObject> inner)
        : m_log(std::move(log)), m_id(id), m_inner(std::move(inner))
    {
    }

    host::Result invoke(const std::string& method, host::Arguments& arguments) override
    {
        AutomationCall call{method, {}, m_id};
        for (const auto& a : arguments) {
            if (const auto* s = std::get_if<std::u16string>(&a))
                call.arguments.emplace_back(*s);
            else
                call.arguments.emplace_back(std::nullopt);
        }
        m_log->calls.push_back(std::move(call));
        if (const auto failure = m_log->failures.find(method); failure != m_log->failures.end())
            throw host::AutomationError(failure->second, m_log->failureFaults.count(method)
                                                             ? m_log->failureFaults.at(method)
                                                             : host::HostFault::None);
        if (m_inner)
            return m_inner->invoke(method, arguments);
        if (m_log->handler)
            return m_log->handler(method, arguments);
        return std::monostate{};
    }

private:
    std::shared_ptr<AutomationLog> m_log;
    int m_id;
    std::unique_ptr<host::AutomationObject> m_inner;
};

// A factory whose objects record into `log`; `inner` (optional) makes the real object each wraps.
inline host::AutomationFactory recordingFactory(std::shared_ptr<AutomationLog> log,
                                                host::AutomationFactory inner = nullptr)
{
    return [log, inner](const std::u16string& progId) -> std::unique_ptr<host::AutomationObject> {
        if (log->creationFailure)
            throw host::AutomationError(*log->creationFailure);
        return std::make_unique<RecordingAutomation>(log, ++log->created, inner ? inner(progId) : nullptr);
    };
}

} // namespace testing_support
