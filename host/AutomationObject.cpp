#include "AutomationObject.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>

namespace host {

namespace {

template <class... Fs> struct Overloaded : Fs...
{
    using Fs::operator()...;
};
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

} // namespace

std::u16string resultToText(const Result& result)
{
    return std::visit(Overloaded{
                          [](std::monostate) { return std::u16string(); },
                          [](const std::u16string& s) { return s; },
                          [](std::int32_t i) { return fromUtf8(std::to_string(i)); },
                          [](double d) {
                              std::ostringstream out;
                              out << d;
                              return fromUtf8(out.str());
                          },
                          // VariantChangeType turns VARIANT_TRUE into "-1" with the default locale flags.
                          [](bool b) { return std::u16string(b ? u"-1" : u"0"); },
                      },
                      result);
}

std::int32_t resultToInt(const Result& result)
{
    return std::visit(
        Overloaded{
            [](std::monostate) { return std::int32_t{0}; },
            [](const std::u16string& s) {
                const std::string text = trimmed(toUtf8(s));
                std::int64_t value = 0;
                const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
                if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
                    value < std::numeric_limits<std::int32_t>::min() ||
                    value > std::numeric_limits<std::int32_t>::max())
                    throw AutomationError("Tipo non corrispondente: \"" + toUtf8(s) + "\" non è un numero intero");
                return static_cast<std::int32_t>(value);
            },
            [](std::int32_t i) { return i; },
            [](double d) {
                if (!std::isfinite(d) || d < std::numeric_limits<std::int32_t>::min() ||
                    d > std::numeric_limits<std::int32_t>::max())
                    throw AutomationError("Overflow nella conversione a intero");
                return static_cast<std::int32_t>(std::lround(d));
            },
            [](bool b) { return std::int32_t{b ? -1 : 0}; },
        },
        result);
}

std::string toUtf8(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // a lone surrogate cannot be written in UTF-8
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string fromUtf8(const std::string& text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        const unsigned char b = byte(i);
        char32_t c = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            bool ok = i + len <= text.size();
            char32_t v = b & (0x7F >> len);
            for (std::size_t k = 1; ok && k < len; ++k) {
                ok = (byte(i + k) & 0xC0) == 0x80;
                v = (v << 6) | (byte(i + k) & 0x3F);
            }
            if (ok) {
                c = v;
            } else {
                len = 1; // resynchronise on the next byte
            }
        }
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c > 0x10FFFF ? 0xFFFD : c);
        }
        i += len;
    }
    return out;
}

} // namespace host
