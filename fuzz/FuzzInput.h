#pragma once
// What every fuzz target shares: the input as text, and a failed property as a crash libFuzzer keeps.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// The bytes as UTF-16 code units, little-endian (an odd last byte is left out): any text, lone
// surrogates and NULs included.
inline QString utf16(const std::uint8_t* data, std::size_t size)
{
    QString text;
    text.reserve(qsizetype(size / 2));
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += QChar(char16_t(data[i] | data[i + 1] << 8));
    return text;
}

// A property that does not hold: the input is a finding.
inline void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}

} // namespace fuzz
