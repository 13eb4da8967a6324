#include "app/number_text.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

TEST(NumberText, ReadsBlanksSignsAndGroupedDigitsAndRoundsHalvesToTheEvenNeighbour)
{
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12.5", 12},      {"13.5", 14},     {"-2.5", -2},    {"-3.5", -4}, {"0.5", 0}, {"12.50000", 12},
        {"12.500001", 13}, {"12.49999", 12}, {"12.6", 13},    {".5", 0},    {"1.", 1},  {"  250  ", 250},
        {"\t+60", 60},     {"-5", -5},       {"1,000", 1000}, {"010", 10},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(TextToLong(text), value) << text;
    }
}

TEST(NumberText, RefusesWhatIsNotANumberOrLiesOutsideTheField)
{
    for (const char* text :
         {"", "   ", "abc", "12abc", "1 2", "--1", "+", ".", ",5", "1.2.3", "0x10", "1e3", "2147483648",
          "99999999999", "99999999999999999999999999999999", "2147483647.5" /* rounds up out of range */}) {
        EXPECT_FALSE(TextToLong(text).has_value()) << text;
    }
    EXPECT_EQ(TextToLong("2147483647"), 2147483647);
    EXPECT_EQ(TextToLong("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(TextToLong("2147483646.5"), 2147483646);
    EXPECT_EQ(TextToInteger("32767"), 32767);
    EXPECT_EQ(TextToInteger("-32768"), -32768);
    EXPECT_FALSE(TextToInteger("32768"));
    EXPECT_FALSE(TextToInteger("-32769"));
}

} // namespace
} // namespace kumoden
