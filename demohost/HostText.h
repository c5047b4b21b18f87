#pragma once
// Text handling of the demo host: the filter and parameter lists the callers send, the hexadecimal
// form of ids, and the case folding behind initials and town lookups. Everything here is UTF-8
// unless the name says otherwise.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace demohost::text {

// Blanks and tabs removed at both ends.
std::string trimmed(std::string_view text);

// Upper case for comparisons without regard to case: ASCII, Latin-1, Latin Extended-A and Additional,
// basic Greek and Cyrillic. Other characters stay as they are; each UTF-16 unit maps to one unit.
std::string folded(std::string_view text);
// True when the folded text begins with the folded prefix; an empty prefix matches everything.
bool startsWithFolded(std::string_view text, std::string_view prefix);

// "name=value|name=value": pairs split at "|", each at its first "=", names and values trimmed.
// Empty pieces are skipped; a piece without "=" throws host::AutomationError.
std::vector<std::pair<std::string, std::string>> parsePairs(std::string_view list, std::string_view context);

// The inverse of the hexadecimal id form: two hexadecimal digits per UTF-16 code unit. Gives the
// decoded text as UTF-8, or nothing when the text is empty, of odd length or not hexadecimal.
std::optional<std::string> decodeHexId(std::u16string_view hex);

// A whole decimal number without sign, or nothing.
std::optional<long long> parseDecimal(std::string_view text);

} // namespace demohost::text
