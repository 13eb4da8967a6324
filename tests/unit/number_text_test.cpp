#include "app/number_text.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

TEST(NumberText, RoundsHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(TextToLong("12.5"), 12);
    EXPECT_EQ(TextToLong("13.5"), 14);
    EXPECT_EQ(TextToLong("-2.5"), -2);
    EXPECT_EQ(TextToLong("-3.5"), -4);
    EXPECT_EQ(TextToLong("0.5"), 0);
    EXPECT_EQ(TextToLong("12.50000"), 12);
    EXPECT_EQ(TextToLong("12.500001"), 13);
    EXPECT_EQ(TextToLong("12.49999"), 12);
    EXPECT_EQ(TextToLong("12.6"), 13);
    EXPECT_EQ(TextToLong(".5"), 0);
    EXPECT_EQ(TextToLong("1."), 1);
}

TEST(NumberText, AcceptsBlanksSignsAndGroupedDigits)
{
    EXPECT_EQ(TextToLong("  250  "), 250);
    EXPECT_EQ(TextToLong("\t+60"), 60);
    EXPECT_EQ(TextToLong("-5"), -5);
    EXPECT_EQ(TextToLong("1,000"), 1000);
    EXPECT_EQ(TextToLong("010"), 10);
}

TEST(NumberText, RefusesWhatIsNotANumber)
{
    for (const char* text :
         {"", "   ", "abc", "12abc", "1 2", "--1", "+", ".", ",5", "1.2.3", "0x10", "1e3"}) {
        EXPECT_FALSE(TextToLong(text).has_value()) << text;
    }
}

TEST(NumberText, KeepsToTheRangeOfTheField)
{
    EXPECT_EQ(TextToLong("2147483647"), 2147483647);
    EXPECT_EQ(TextToLong("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(TextToLong("2147483648"));
    EXPECT_FALSE(TextToLong("99999999999"));
    EXPECT_FALSE(TextToLong("99999999999999999999999999999999"));
    EXPECT_EQ(TextToLong("2147483646.5"), 2147483646);
    EXPECT_FALSE(TextToLong("2147483647.5")); // rounds up out of range
    EXPECT_EQ(TextToInteger("32767"), 32767);
    EXPECT_EQ(TextToInteger("-32768"), -32768);
    EXPECT_FALSE(TextToInteger("32768"));
    EXPECT_FALSE(TextToInteger("-32769"));
}

} // namespace
} // namespace kumoden
