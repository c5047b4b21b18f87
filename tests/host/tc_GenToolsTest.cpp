#include "host/tc_GenTools.h"

#include "RecordingPlatform.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tc_GenTools;

namespace {

struct Conversion
{
    const char* text;
    int radix;
    std::int32_t value;
    const char* error; // tail of the recorded error, nullptr when none
};

class String2IntTest : public ::testing::TestWithParam<Conversion>
{
};

TEST_P(String2IntTest, ConvertsAndRecordsErrors)
{
    const Conversion& c = GetParam();
    QString error = QStringLiteral("not cleared");
    EXPECT_EQ(string2int(QString::fromUtf8(c.text), c.radix, &error), c.value);
    if (c.error == nullptr) {
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    } else {
        const QString label =
            QStringLiteral("Tools.string2int(%1, %2)").arg(QString::fromUtf8(c.text)).arg(c.radix);
        EXPECT_EQ(error, label + QString::fromUtf8(c.error));
    }
}

const char* const kBadChar = ": carattere non consentito";
const char* const kBadRadix = ": radice conversione non consentita ( deve essere >= 2 e <= 36 )";

INSTANTIATE_TEST_SUITE_P(
    Table, String2IntTest,
    ::testing::Values(Conversion{"ff", 16, 255, nullptr}, Conversion{"z", 36, 35, nullptr},
                      Conversion{"-101", 2, -5, nullptr}, Conversion{"-", 10, 0, nullptr},
                      Conversion{"", 10, 0, nullptr}, Conversion{"12", 10, 12, nullptr},
                      Conversion{"-3", 10, -3, nullptr}, Conversion{"ZZ", 36, 1295, nullptr},
                      Conversion{"19", 8, 0, kBadChar}, Conversion{"+5", 10, 0, kBadChar},
                      Conversion{" 5", 10, 0, kBadChar}, Conversion{"12 righe", 10, 0, kBadChar},
                      Conversion{"é", 36, 0, kBadChar}, Conversion{"1", 1, 0, kBadRadix},
                      Conversion{"1", 37, 0, kBadRadix}, Conversion{"", 0, 0, kBadRadix},
                      // 32-bit arithmetic wraps around without an error.
                      Conversion{"2147483648", 10, std::numeric_limits<std::int32_t>::min(), nullptr},
                      Conversion{"-2147483648", 10, std::numeric_limits<std::int32_t>::min(), nullptr},
                      Conversion{"4294967297", 10, 1, nullptr}));

TEST(String2Hex, EncodesEachCodeUnit)
{
    EXPECT_EQ(string2hex(QString()), QString());
    EXPECT_EQ(string2hex(QStringLiteral("AB1")), QStringLiteral("414231"));
    EXPECT_EQ(string2hex(QStringLiteral("ABC1")), QStringLiteral("41424331"));
    EXPECT_EQ(string2hex(QStringLiteral("é")), QStringLiteral("E9"));
    EXPECT_EQ(string2hex(QString(QChar(0x0100))), QStringLiteral("0"));  // low digit only
    EXPECT_EQ(string2hex(QString(QChar(0x20AC))), QStringLiteral("C")); // €: 0x20AC % 16
    EXPECT_EQ(string2hex(QString(QChar(0))), QStringLiteral("00"));
}

TEST(String2Hex, RoundTripsThroughHex2String)
{
    for (const QString& code : {QStringLiteral("42"), QStringLiteral("PZ-000123"), QStringLiteral("àèìòù'|=\"")}) {
        QString decoded;
        ASSERT_TRUE(hex2string(string2hex(code), decoded));
        EXPECT_EQ(decoded, code);
    }
    QString untouched = QStringLiteral("keep");
    for (const QString& bad : {QStringLiteral("4"), QStringLiteral("4G"), QStringLiteral("4a"), QStringLiteral("x")}) {
        EXPECT_FALSE(hex2string(bad, untouched)) << bad.toStdString();
        EXPECT_EQ(untouched, QStringLiteral("keep"));
    }
}

TEST(RegReadString, ReadsTheMachineSettingOrNothing)
{
    testing_support::RecordingPlatform platform;
    const QString key = QStringLiteral("\\SOFTWARE\\Brevalon-Ostrena");
    EXPECT_EQ(reg_read_string(platform, QStringLiteral("HKEY_LOCAL_MACHINE"), key, QStringLiteral("ultimo_utente")),
              QString());
    platform.settings[key + QStringLiteral("|ultimo_utente")] = QStringLiteral("dott.rossi");
    EXPECT_EQ(reg_read_string(platform, QStringLiteral("HKEY_LOCAL_MACHINE"), key, QStringLiteral("ultimo_utente")),
              QStringLiteral("dott.rossi"));
    EXPECT_EQ(reg_read_string(platform, QStringLiteral("HKEY_CURRENT_USER"), key, QStringLiteral("ultimo_utente")),
              QString());
}

} // namespace
