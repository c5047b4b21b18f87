#pragma once
// The late-bound automation channel to the host application, free of Qt so that the same code
// serves the COM backend on Windows and the demo host everywhere.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace host {

// The automation marker for an argument the caller leaves out (DISP_E_PARAMNOTFOUND on Windows).
struct Omitted
{
    bool operator==(const Omitted&) const = default;
};

// A method argument: an automation string passed by reference, or the omitted marker.
using Argument = std::variant<std::u16string, Omitted>;
using Arguments = std::vector<Argument>;

// What a method answers: nothing, text, integer, floating or boolean.
using Result = std::variant<std::monostate, std::u16string, std::int32_t, double, bool>;

// What a failed call says of the host itself, where that decides what the program does next: a host
// busy in a window of its own that rejected the call until the program gave up, or a host that is no
// longer there (its program closed, or ended in the middle of the call).
enum class HostFault { None, Busy, Gone };

// Raised by every failed invocation or conversion; what() is UTF-8.
class AutomationError : public std::runtime_error
{
public:
    explicit AutomationError(const std::string& message, HostFault fault = HostFault::None)
        : std::runtime_error(message), m_fault(fault)
    {
    }
    HostFault fault() const { return m_fault; }

private:
    HostFault m_fault;
};

class AutomationObject
{
public:
    virtual ~AutomationObject() = default;
    // Invokes a method by name. Text arguments are passed by reference: a server may change them.
    virtual Result invoke(const std::string& method, Arguments& arguments) = 0;
};

// Result conversions as an automation client makes them (VariantChangeType): text and 32-bit integer.
// Both throw AutomationError when the value cannot be converted.
std::u16string resultToText(const Result& result);
std::int32_t resultToInt(const Result& result);

// UTF-8 <-> UTF-16 helpers for messages and the Qt-free layers.
std::string toUtf8(const std::u16string& text);
std::u16string fromUtf8(const std::string& text);

} // namespace host
