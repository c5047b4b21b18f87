#pragma once
// The purposes of a civil-invalidity claim: the editor's check boxes, the certificate's TipoDomanda
// items and the AP68 form's boxes name the same five.

#include <array>
#include <cstddef>

namespace clinical {

enum class Purpose { Invalidita, Cecita, Sordita, Handicap, Disabilita };

// Every purpose, in the order of the editor's boxes and of the certificate's items.
inline constexpr std::array<Purpose, 5> kPurposes = {Purpose::Invalidita, Purpose::Cecita, Purpose::Sordita,
                                                     Purpose::Handicap, Purpose::Disabilita};

// The purpose's word in the certificate and on the command line.
constexpr const char* purposeSigla(Purpose purpose)
{
    constexpr std::array<const char*, 5> kSigle = {"INVALIDITA", "CECITA", "SORDITA", "HANDICAP",
                                                   "DISABILITA"};
    return kSigle[static_cast<std::size_t>(purpose)];
}

// The purposes a claim is made for.
class Purposes
{
public:
    bool operator[](Purpose purpose) const { return m_ticked[static_cast<std::size_t>(purpose)]; }
    bool& operator[](Purpose purpose) { return m_ticked[static_cast<std::size_t>(purpose)]; }
    bool any() const
    {
        for (const bool ticked : m_ticked)
            if (ticked)
                return true;
        return false;
    }
    bool operator==(const Purposes&) const = default;

private:
    std::array<bool, kPurposes.size()> m_ticked{};
};

} // namespace clinical
