#pragma once
// Conversion tools of the host bridge: radix conversion that reports its errors instead of raising
// them, the hexadecimal form of host identifiers, and one read of a machine setting.

#include <QString>

#include <cstdint>

namespace platform {
class Platform;
}

namespace tc_GenTools {

// Text to a 32-bit integer in radix 2..36. Errors give 0 and, when `error` is given, its message there
// ("" when the text was a number).
std::int32_t string2int(const QString& text, int radix, QString* error = nullptr);

// Two upper-case hexadecimal digits per UTF-16 code unit (one, the low digit, for units above 255).
QString string2hex(const QString& text);

// Inverse of string2hex for ids made of code units up to 255; false when the text does not decode.
bool hex2string(const QString& hex, QString& text);

// One string value of a key below a root key ("HKEY_LOCAL_MACHINE"); "" when it cannot be read.
QString reg_read_string(const platform::Platform& platform, const QString& rootKey, const QString& keyPath,
                        const QString& valueName);

} // namespace tc_GenTools
