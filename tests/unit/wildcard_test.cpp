#include "platform/posix/wildcard.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

TEST(Wildcard, StarsAndCase)
{
    const Wildcard pdf("*.pdf");
    EXPECT_TRUE(pdf.matches("a.pdf"));
    EXPECT_TRUE(pdf.matches("REPORT.PDF"));
    EXPECT_TRUE(pdf.matches(".pdf"));
    EXPECT_TRUE(pdf.matches("a.b.pdf"));
    EXPECT_FALSE(pdf.matches("a.pdfx"));
    EXPECT_FALSE(pdf.matches("a.pd"));

    const Wildcard abc("abc*.pdf");
    EXPECT_TRUE(abc.matches("abc.pdf"));
    EXPECT_TRUE(abc.matches("ABC1.pdf"));
    EXPECT_FALSE(abc.matches("xabc.pdf"));
    EXPECT_TRUE(Wildcard("**.pdf").matches("x.pdf"));
    EXPECT_TRUE(Wildcard("a*b*c*.pdf").matches("aXbYbZc.pdf"));
    EXPECT_FALSE(Wildcard("a*b*c*.pdf").matches("aXbYbZ.pdf"));
}

TEST(Wildcard, QuestionMarkTakesOneWholeCharacter)
{
    EXPECT_TRUE(Wildcard("?.pdf").matches("a.pdf"));
    EXPECT_TRUE(Wildcard("?.pdf").matches("請.pdf"));
    EXPECT_FALSE(Wildcard("?.pdf").matches("ab.pdf"));
    EXPECT_TRUE(Wildcard("請求*.pdf").matches("請求書.pdf"));
    EXPECT_FALSE(Wildcard("請求*.pdf").matches("見積.pdf"));
}

TEST(Wildcard, StarDotStarAlsoTakesNamesWithoutExtension)
{
    const Wildcard all("*.*");
    EXPECT_TRUE(all.matches("a.pdf"));
    EXPECT_TRUE(all.matches("no-extension"));
    EXPECT_TRUE(Wildcard("abc.*").matches("abc"));
    EXPECT_FALSE(Wildcard("abc.*").matches("abcd"));
}

TEST(Wildcard, OddNamesNeverBreakIt)
{
    const std::string bytes("\xff\xfe\x80.pdf");
    EXPECT_TRUE(Wildcard("*.pdf").matches(bytes));
    EXPECT_TRUE(Wildcard("???.pdf").matches(bytes));
    EXPECT_TRUE(Wildcard("*.pdf").matches("line\nbreak \"quoted\".pdf"));
    const std::string longName(255, 'a');
    EXPECT_FALSE(Wildcard(std::string(60, '*') + "b").matches(longName));
}

} // namespace
} // namespace kumoden
