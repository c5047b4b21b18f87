// The demo host's reading of filters, ids and initials.

#include "demohost/HostText.h"
#include "host/AutomationObject.h"

#include <gtest/gtest.h>

namespace {

using namespace demohost::text;
using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(HostText, PairListsSplitAtBarsAndFirstEqualsWithBlanksTrimmed)
{
    const std::pair<const char*, Pairs> cases[] = {
        {"codice_medico =42|tipo_di_convenzione=S", {{"codice_medico", "42"}, {"tipo_di_convenzione", "S"}}},
        {"titolare= 3432|iniziali_cognome=RO|iniziali_nome=",
         {{"titolare", "3432"}, {"iniziali_cognome", "RO"}, {"iniziali_nome", ""}}},
        {"codice=31|ordinamento=ordine_data_desc", {{"codice", "31"}, {"ordinamento", "ordine_data_desc"}}},
        {" a = b=c |  | \t", {{"a", "b=c"}}},
        {"", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parsePairs(text, "test"), expected) << text;
    EXPECT_THROW(parsePairs("a=1|b", "test"), host::AutomationError);
}

TEST(HostText, HexIdsDecodeTwoDigitsPerUnit)
{
    EXPECT_EQ(decodeHexId(u"3432"), "42");
    EXPECT_EQ(decodeHexId(u"542D31"), "T-1");
    EXPECT_EQ(decodeHexId(u"e9"), "é");
    for (const char16_t* bad : {u"", u"343", u"3G", u"34 2", u"３４"})
        EXPECT_EQ(decodeHexId(bad), std::nullopt);
}

TEST(HostText, InitialsMatchWithoutRegardToCase)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"ROSSI", "ro", true},     {"ROSSI", "", true},        {"rossi", "RO", true},
        {"ÖZTÜRK", "öz", true},    {"ÇELIK", "ç", true},       {"WÓJCIK", "wó", true},
        {"ŁUKASZ", "łu", true},    {"NGUYỄN", "nguyễ", true},  {"ÿ", "Ÿ", true},
        {"ROSSI", "rossa", false}, {"ROSSI", "ROSSI ", false}, {"ÈLIA", "E", false},
        {"D'ANGELO", "d'", true},  {"D'ANGELO", "d", true},    {"ROSSI", "%", false},
    };
    for (const auto& [text, prefix, expected] : cases)
        EXPECT_EQ(startsWithFolded(text, prefix), expected) << text << " / " << prefix;
    EXPECT_EQ(folded("forlì"), "FORLÌ");
}

} // namespace
