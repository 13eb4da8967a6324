#include "tools/kumoden-print/print_args.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

TEST(PrintArgs, SwitchesInAnyOrderAndCaseBeforeTheFileAndTheRestMayBeLeftOff)
{
    const struct {
        std::vector<std::string> line;
        std::string file, printer, driver, port;
    } cases[] = {
        {{"/t", "/n", "/s", "/h", "a.pdf", "PDF", "drv", "port"}, "a.pdf", "PDF", "drv", "port"},
        {{"/H", "/s", "/N", "/T", "a.pdf", "PDF", "drv", "port"}, "a.pdf", "PDF", "drv", "port"},
        {{"/t", "/t", "a.pdf", "PDF", "drv", "port"}, "a.pdf", "PDF", "drv", "port"},
        {{"a.pdf", "PDF", "drv", "port"}, "a.pdf", "PDF", "drv", "port"},
        {{"/t", "/home/u/請求書 1.pdf"}, "/home/u/請求書 1.pdf", "", "", ""},
        {{"/t", "a.pdf", "", "", ""}, "a.pdf", "", "", ""},
        {{"a.pdf", "PDF2"}, "a.pdf", "PDF2", "", ""},
        // A one-letter path under the root still reads as a switch; longer paths do not.
        {{"/t", "/tmp/x.pdf", "/t"}, "/tmp/x.pdf", "/t", "", ""},
        {{"/", "PDF"}, "/", "PDF", "", ""},
    };
    for (const auto& c : cases) {
        const PrintArgs args = parsePrintArgs(c.line);
        EXPECT_EQ(args.error, "") << c.line.front();
        EXPECT_EQ(std::vector<std::string>({args.file, args.printer, args.driver, args.port}),
                  std::vector<std::string>({c.file, c.printer, c.driver, c.port}));
    }
}

TEST(PrintArgs, RefusedCommandLines)
{
    EXPECT_EQ(parsePrintArgs({"/x", "a.pdf"}).error, "unknown switch /x");
    EXPECT_EQ(parsePrintArgs({"/t", "/p", "a.pdf"}).error, "unknown switch /p");
    EXPECT_EQ(parsePrintArgs({}).error, "no file given");
    EXPECT_EQ(parsePrintArgs({"/t", "/n", "/s", "/h"}).error, "no file given");
    EXPECT_EQ(parsePrintArgs({"", "PDF"}).error, "no file given");
    EXPECT_NE(parsePrintArgs({"a.pdf", "PDF", "drv", "port", "extra"}).error, "");
}

TEST(JobTitle, TheBaseNameWithInvalidBytesAndControlsAsReplacementCharacters)
{
    const std::string r = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"/var/watch/請求書 2024 年.pdf", "請求書 2024 年.pdf"},
        {"plain.pdf", "plain.pdf"},
        {"dir/😀.pdf", "😀.pdf"},
        {"a\xFF\x62.pdf", "a" + r + "b.pdf"},
        {"\x90\xBF\x8B\x81.pdf", r + r + r + r + ".pdf"}, // CP932 "請求" as carried over from Windows
        // Overlong "/", a UTF-16 surrogate, beyond U+10FFFF, cut-short sequence.
        {"\xC0\xAF.pdf", r + r + ".pdf"},
        {"\xED\xA0\x80.pdf", r + r + r + ".pdf"},
        {"\xF4\x90\x80\x80.pdf", r + r + r + r + ".pdf"},
        {"x.pdf\xE8\xAB", "x.pdf" + r + r},
        {"tab\there\nline\x7F.pdf", "tab" + r + "here" + r + "line" + r + ".pdf"},
    };
    for (const auto& [path, title] : cases) {
        EXPECT_EQ(jobTitle(path), title) << path;
    }
}

TEST(JobTitle, CappedAt255BytesOnACharacterBoundary)
{
    EXPECT_EQ(jobTitle(std::string(300, 'x')), std::string(255, 'x'));
    // 85 three-byte characters fill 255 bytes exactly; one more is dropped whole.
    std::string kanji;
    for (int i = 0; i < 86; ++i) {
        kanji += "請";
    }
    const std::string title = jobTitle(kanji);
    EXPECT_EQ(title.size(), 255u);
    EXPECT_EQ(title, kanji.substr(0, 255));
    EXPECT_EQ(jobTitle("x" + kanji).size(), 253u);
}

TEST(QueueName, WhatTheSchedulerCouldHold)
{
    EXPECT_TRUE(isQueueName("PDF"));
    EXPECT_TRUE(isQueueName("Office_Printer-2.1"));
    EXPECT_TRUE(isQueueName("プリンタ"));
    EXPECT_TRUE(isQueueName(std::string(127, 'p')));
    EXPECT_FALSE(isQueueName(std::string(128, 'p')));
    EXPECT_FALSE(isQueueName(""));
    for (const char* bad : {"../admin", "a b", "a\\b", "a?b", "a#b", "a'b", "a\"b", "a\tb", "a\x7F"}) {
        EXPECT_FALSE(isQueueName(bad)) << bad;
    }
}

TEST(PdfHeader, FoundWithinTheFirstKilobyte)
{
    EXPECT_TRUE(hasPdfHeader("%PDF-1.4\n..."));
    EXPECT_TRUE(hasPdfHeader(std::string(1000, ' ') + "%PDF-1.7"));
    EXPECT_FALSE(hasPdfHeader(std::string(1020, ' ') + "%PDF-1.7"));
    EXPECT_FALSE(hasPdfHeader(""));
    EXPECT_FALSE(hasPdfHeader("%PD"));
    EXPECT_FALSE(hasPdfHeader("plain text"));
}

} // namespace
} // namespace kumoden
