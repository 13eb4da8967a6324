#include "tools/kumoden-print/print_args.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

TEST(PrintArgs, SwitchesInAnyOrderAndCaseBeforeTheFile)
{
    for (const auto& line : std::vector<std::vector<std::string>>{
             {"/t", "/n", "/s", "/h", "a.pdf", "PDF", "drv", "port"},
             {"/H", "/s", "/N", "/T", "a.pdf", "PDF", "drv", "port"},
             {"/t", "/t", "a.pdf", "PDF", "drv", "port"},
             {"a.pdf", "PDF", "drv", "port"},
         }) {
        const PrintArgs args = parsePrintArgs(line);
        EXPECT_EQ(args.error, "") << line.front();
        EXPECT_EQ(args.file, "a.pdf");
        EXPECT_EQ(args.printer, "PDF");
        EXPECT_EQ(args.driver, "drv");
        EXPECT_EQ(args.port, "port");
    }
}

TEST(PrintArgs, PrinterDriverAndPortMayBeLeftOffOrEmpty)
{
    PrintArgs args = parsePrintArgs({"/t", "/home/u/請求書 1.pdf"});
    EXPECT_EQ(args.error, "");
    EXPECT_EQ(args.file, "/home/u/請求書 1.pdf");
    EXPECT_EQ(args.printer, "");

    args = parsePrintArgs({"/t", "a.pdf", "", "", ""});
    EXPECT_EQ(args.error, "");
    EXPECT_EQ(args.printer, "");

    args = parsePrintArgs({"a.pdf", "PDF2"});
    EXPECT_EQ(args.printer, "PDF2");
    EXPECT_EQ(args.driver, "");
}

TEST(PrintArgs, AbsolutePathsAndLaterSlashWordsAreNotSwitches)
{
    // A one-letter path under the root still reads as a switch; longer paths do not.
    PrintArgs args = parsePrintArgs({"/t", "/tmp/x.pdf", "/t"});
    EXPECT_EQ(args.error, "");
    EXPECT_EQ(args.file, "/tmp/x.pdf");
    EXPECT_EQ(args.printer, "/t");

    args = parsePrintArgs({"/", "PDF"});
    EXPECT_EQ(args.error, "");
    EXPECT_EQ(args.file, "/");
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

TEST(JobTitle, BaseNameKeptAsItIsWhenValid)
{
    EXPECT_EQ(jobTitle("/var/watch/請求書 2024 年.pdf"), "請求書 2024 年.pdf");
    EXPECT_EQ(jobTitle("plain.pdf"), "plain.pdf");
    EXPECT_EQ(jobTitle("dir/😀.pdf"), "😀.pdf");
}

TEST(JobTitle, InvalidBytesAndControlsBecomeReplacementCharacters)
{
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(jobTitle("a\xFF"
                       "b.pdf"),
              "a" + r + "b.pdf");
    // CP932 "請求" as carried over from Windows.
    EXPECT_EQ(jobTitle("\x90\xBF\x8B\x81.pdf"), r + r + r + r + ".pdf");
    // Overlong "/", a UTF-16 surrogate, beyond U+10FFFF, cut-short sequence.
    EXPECT_EQ(jobTitle("\xC0\xAF.pdf"), r + r + ".pdf");
    EXPECT_EQ(jobTitle("\xED\xA0\x80.pdf"), r + r + r + ".pdf");
    EXPECT_EQ(jobTitle("\xF4\x90\x80\x80.pdf"), r + r + r + r + ".pdf");
    EXPECT_EQ(jobTitle("x.pdf\xE8\xAB"), "x.pdf" + r + r);
    EXPECT_EQ(jobTitle("tab\there\nline\x7F.pdf"), "tab" + r + "here" + r + "line" + r + ".pdf");
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
