#include "HostText.h"

#include "host/AutomationObject.h"

namespace demohost::text {

namespace {

char16_t upper(char16_t c)
{
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if (c == 0x131)
        return u'I';
    if (c == 0x17F)
        return u'S';
    // Latin Extended-A: pairs upper/lower, with the odd stretch 0x139-0x148 and the last three pairs.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return (c & 1) ? static_cast<char16_t>(c - 1) : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c : static_cast<char16_t>(c - 1);
    if (c >= 0x3B1 && c <= 0x3C9)
        return c == 0x3C2 ? char16_t{0x3A3} : static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    // Latin Extended Additional (Vietnamese and others): pairs upper/lower.
    if ((c >= 0x1E00 && c <= 0x1E95) || (c >= 0x1EA0 && c <= 0x1EFF))
        return (c & 1) ? static_cast<char16_t>(c - 1) : c;
    return c;
}

std::u16string foldedUnits(std::string_view text)
{
    std::u16string units = host::fromUtf8(std::string(text));
    for (char16_t& c : units)
        c = upper(c);
    return units;
}

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

} // namespace

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string folded(std::string_view text)
{
    return host::toUtf8(foldedUnits(text));
}

bool startsWithFolded(std::string_view text, std::string_view prefix)
{
    if (prefix.empty())
        return true;
    return foldedUnits(text).starts_with(foldedUnits(prefix));
}

std::vector<std::pair<std::string, std::string>> parsePairs(std::string_view list, std::string_view context)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t start = 0;
    while (start <= list.size()) {
        auto end = list.find('|', start);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string_view piece = list.substr(start, end - start);
        if (!trimmed(piece).empty()) {
            const auto equals = piece.find('=');
            if (equals == std::string_view::npos)
                throw host::AutomationError(std::string(context) + ": parametro senza \"=\": \"" +
                                            std::string(piece) + "\"");
            pairs.emplace_back(trimmed(piece.substr(0, equals)), trimmed(piece.substr(equals + 1)));
        }
        start = end + 1;
    }
    return pairs;
}

std::optional<std::string> decodeHexId(std::u16string_view hex)
{
    if (hex.empty() || hex.size() % 2 != 0)
        return std::nullopt;
    std::u16string decoded;
    decoded.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexValue(hex[i]);
        const int low = hexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        decoded += static_cast<char16_t>(high * 16 + low);
    }
    return host::toUtf8(decoded);
}

std::optional<long long> parseDecimal(std::string_view text)
{
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace demohost::text
