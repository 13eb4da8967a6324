// The folder and pattern a tick queries with, and the one matcher every
// backend's folder query uses.
#include "platform/common/wildcard.h"
#include "watch/watch_cycle.h"

#include <gtest/gtest.h>

#include <string>

namespace kumoden::test {
namespace {

TEST(WatchedPath, EndsInExactlyOneSeparatorAndTheMatchPatternTakesTheSelectionAsItStands)
{
    EXPECT_EQ(WatchedPath("/in", '/'), "/in/");
    EXPECT_EQ(WatchedPath("/in/", '/'), "/in/");
    EXPECT_EQ(WatchedPath("C:\\In", '\\'), "C:\\In\\");
    EXPECT_EQ(WatchedPath("C:\\In\\", '\\'), "C:\\In\\");
    EXPECT_EQ(WatchedPath("", '/'), "/");
    EXPECT_EQ(WatchedPath("", '\\'), "\\");
    EXPECT_EQ(MatchPattern("/in/", ""), "/in/*.pdf");
    EXPECT_EQ(MatchPattern("/in/", "*"), "/in/**.pdf");
    EXPECT_EQ(MatchPattern("/in/", " abc"), "/in/ abc*.pdf");
    EXPECT_EQ(MatchPattern("/in/", "../"), "");
}

// The one matcher of every backend's directory query.
TEST(Wildcard, MatchesAsTheWindowsQueryDoes)
{
    const struct {
        std::string pattern, name;
        bool matches;
    } cases[] = {
        // Stars, and letter case.
        {"*.pdf", "a.pdf", true},
        {"*.pdf", "REPORT.PDF", true},
        {"*.pdf", ".pdf", true},
        {"*.pdf", "a.b.pdf", true},
        {"*.pdf", "a.pdfx", false},
        {"*.pdf", "pdf", false},
        {"abc*.pdf", "ABC1.pdf", true},
        {"abc*.pdf", "xabc.pdf", false},
        {"**.pdf", "x.pdf", true},
        {"a*b*c*.pdf", "aXbYbZc.pdf", true},
        {"a*b*c*.pdf", "aXbYbZ.pdf", false},
        // "?" takes one whole character, also one beyond the basic plane.
        {"?.pdf", "請.pdf", true},
        {"?.pdf", "ab.pdf", false},
        {"a?.pdf", "a\U0001F600.pdf", true},
        {"a??.pdf", "a\U0001F600.pdf", false},
        {"請求*.pdf", "見積.pdf", false},
        // A trailing ".*" also takes names without extension.
        {"*.*", "no-extension", true},
        {"abc.*", "abc", true},
        {"abc.*", "abcd", false},
        // Every cased letter of the basic plane, whatever the locale.
        {"ＡＢ*.pdf", "ａｂ1.pdf", true},
        {"ａｂｃ*.pdf", "ＡＢＣ請求.PDF", true},
        {"σ?.pdf", "Σx.pdf", true},
        {"ΣΟΦΙΑ*.pdf", "σοφια.pdf", true},
        {"отчёт*.pdf", "ОТЧЁТ-1.pdf", true},
        {"µ*.pdf", "Μ.pdf", true},                    // the micro sign is the Greek letter's small form
        {"ß*.pdf", "SS.pdf", false},                  // one letter never becomes two
        {"\U00010428*.pdf", "\U00010400.pdf", false}, // beyond the basic plane: as it is
        // Names that are no UTF-8: every byte a character, ASCII still folded.
        {"*.pdf", "\xff\xfe\x80.pdf", true},
        {"???.pdf", "\xff\xfe\x80.pdf", true},
        {"ab*.pdf", "AB\xe3\x81.PDF", true},
        {"?.pdf", "\xc0\xaf.pdf", false}, // an overlong "/" is two bytes, not one character
        {"\xe9*.pdf", "\xc9.pdf", false}, // Latin-1 bytes are not letters
        {"*.pdf", "line\nbreak \"quoted\".pdf", true},
        // Many stars, in linear time.
        {std::string(60, '*') + "b", std::string(255, 'a'), false},
        {std::string(60, '*') + "a", std::string(255, 'a'), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Wildcard(c.pattern).matches(c.name), c.matches) << c.pattern << " / " << c.name;
    }
}

} // namespace
} // namespace kumoden::test
