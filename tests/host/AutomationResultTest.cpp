#include "host/AutomationObject.h"

#include <gtest/gtest.h>

using namespace host;

TEST(AutomationResult, ConvertsToTextAndInteger)
{
    EXPECT_EQ(resultToText(Result{}), u"");
    EXPECT_EQ(resultToText(Result{std::int32_t{-7}}), u"-7");
    EXPECT_EQ(resultToText(Result{std::u16string(u"àé€")}), u"àé€");
    EXPECT_EQ(resultToInt(Result{std::u16string(u" 42 ")}), 42);
    EXPECT_EQ(resultToInt(Result{}), 0);
    EXPECT_EQ(resultToInt(Result{2.6}), 3);
    EXPECT_THROW(resultToInt(Result{std::u16string(u"4x")}), AutomationError);
    EXPECT_THROW(resultToInt(Result{std::u16string(u"")}), AutomationError);
    EXPECT_THROW(resultToInt(Result{std::u16string(u"99999999999")}), AutomationError);
}

TEST(AutomationResult, Utf8RoundTripsBeyondTheBasicPlane)
{
    const std::u16string text = u"D'ANGELO ’€ł 😀";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(toUtf8(u"è"), "\xC3\xA8");
    EXPECT_EQ(fromUtf8("a\xFF"
                       "b"),
              u"a\uFFFDb");
}
