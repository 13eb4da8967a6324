#include "tools/kumoden-print/job_follow.h"
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

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The scheduler as a function of the time followed so far, on a clock that
// moves only when the follower pauses.
class JobFollow : public ::testing::Test {
protected:
    JobVerdict follow(std::function<JobLook(std::chrono::milliseconds)> scheduler, FollowLimits limits = {})
    {
        const FollowTime time{[this] { return m_start + elapsed; },
                              [this](std::chrono::milliseconds pause) {
                                  pauses.push_back(pause);
                                  elapsed += pause;
                              }};
        return FollowJob([&] { return scheduler(elapsed); }, time, limits, 12, "PDF2");
    }

    static JobLook job(int state, std::vector<std::string> reasons = {}, std::string message = {})
    {
        JobLook look;
        look.jobState = state;
        look.jobReasons = std::move(reasons);
        look.jobMessage = std::move(message);
        return look;
    }
    static JobLook stoppedQueue(std::string message)
    {
        JobLook look;
        look.queueStopped = true;
        look.queueMessage = std::move(message);
        return look;
    }
    // The scheduler's answer other than a job's state.
    static JobLook answer(JobLook::Answer kind, std::string problem = {})
    {
        JobLook look;
        look.answer = kind;
        look.problem = std::move(problem);
        return look;
    }

    std::chrono::milliseconds elapsed{0};
    std::vector<std::chrono::milliseconds> pauses;

private:
    Clock::time_point m_start = Clock::time_point{} + 1000h;
};

TEST_F(JobFollow, AnEndedJobIsTheAnswerAtOnceWithThePrintersWords)
{
    JobLook aborted = job(8, {"job-aborted-by-system"});
    aborted.queueMessage = "paper jam in tray 2";
    const std::vector<std::pair<JobLook, JobVerdict>> cases = {
        {job(9, {"job-completed-successfully"}), {PrintOutcome::printed, "printed: job 12 on queue PDF2"}},
        // A filter failed: the scheduler calls it completed all the same.
        {job(9, {"job-completed-with-errors"}, "loadFilename failed"),
         {PrintOutcome::failedAtPrinter,
          "failed at the printer: job 12 on queue PDF2 (loadFilename failed)"}},
        {aborted,
         {PrintOutcome::failedAtPrinter,
          "failed at the printer: job 12 on queue PDF2 (paper jam in tray 2)"}},
        {job(6, {"job-completed-with-errors"}, "filter failed"),
         {PrintOutcome::failedAtPrinter, "failed at the printer: job 12 on queue PDF2 (filter failed)"}},
        {job(7, {"processing-to-stop-point", "job-canceled-by-user"}),
         {PrintOutcome::cancelled, "cancelled: job 12 on queue PDF2 (job-canceled-by-user)"}},
        {job(7, {"processing-to-stop-point"}), {PrintOutcome::cancelled, "cancelled: job 12 on queue PDF2"}},
        {answer(JobLook::Answer::jobUnknown),
         {PrintOutcome::unknown, "not known: the print scheduler no longer knows job 12 on queue PDF2"}},
        {answer(JobLook::Answer::silent, "the print scheduler did not answer within 5 s"),
         {PrintOutcome::unknown,
          "not known: job 12 on queue PDF2: the print scheduler did not answer within 5 s"}},
    };
    for (const auto& [look, expected] : cases) {
        SCOPED_TRACE(expected.line);
        const JobVerdict verdict = follow([&](auto) { return look; });
        EXPECT_EQ(verdict.outcome, expected.outcome);
        EXPECT_EQ(verdict.line, expected.line);
        EXPECT_TRUE(pauses.empty());
    }
}

TEST_F(JobFollow, AStallIsTheAnswerOnceItHasLastedTheWholeWaitInARow)
{
    // Stopped for four minutes, printing a while, stopped again: the wait
    // starts over with the second stop.
    const auto stopThenMove = [](std::chrono::milliseconds at) {
        return at < 4min || at >= 6min ? stoppedQueue("paper jam") : job(5);
    };
    JobVerdict verdict = follow(stopThenMove);
    EXPECT_EQ(verdict.outcome, PrintOutcome::queueStopped);
    EXPECT_EQ(verdict.line,
              "queue stopped: queue PDF2 has been stopped for 5 min; job 12 waits there until the "
              "queue is resumed (paper jam)");
    EXPECT_GE(elapsed, 11min);
    EXPECT_LT(elapsed, 11min + 1s);
    // At first a look every so often, soon once a second.
    ASSERT_GE(pauses.size(), 6u);
    EXPECT_EQ(std::vector(pauses.begin(), pauses.begin() + 6),
              (std::vector<std::chrono::milliseconds>{100ms, 200ms, 400ms, 800ms, 1s, 1s}));

    elapsed = {};
    verdict = follow([](auto) { return job(4, {"job-hold-until-specified"}); }, LimitsFromWait("30"));
    EXPECT_EQ(verdict.outcome, PrintOutcome::held);
    EXPECT_EQ(verdict.line, "held: queue PDF2 has held job 12 for 30 s; it waits there until it is released "
                            "(job-hold-until-specified)");
    EXPECT_LT(elapsed, 31s);

    // A scheduler out of reach for the whole wait: the end is not known.
    elapsed = {};
    verdict = follow([](auto) {
        return answer(JobLook::Answer::unreachable,
                      "the print scheduler does not answer: Connection refused");
    });
    EXPECT_EQ(verdict.outcome, PrintOutcome::unknown);
    EXPECT_EQ(verdict.line,
              "not known: job 12 on queue PDF2: the print scheduler does not answer: Connection refused");
    EXPECT_LT(elapsed, 5min + 1s);
}

TEST_F(JobFollow, AJobThatMovesIsFollowedUpToTheOverallBound)
{
    // Pending and processing by turns on a busy queue; done after 50 minutes.
    const auto busy = [](std::chrono::milliseconds at) {
        return job(at >= 50min ? 9 : (at.count() / 1000) % 2 == 0 ? 3 : 5);
    };
    EXPECT_EQ(follow(busy, LimitsFromWait("0")).outcome, PrintOutcome::printed);
    EXPECT_GE(elapsed, 50min);

    elapsed = {};
    const JobVerdict verdict = follow([](auto) { return job(5); });
    EXPECT_EQ(verdict.outcome, PrintOutcome::unknown);
    EXPECT_EQ(verdict.line,
              "not known: job 12 on queue PDF2 has not ended within 60 min; it stays in the queue");
    EXPECT_LT(elapsed, 60min + 1s);
}

TEST(JobFollowWait, OnlyWholeSecondsUpToADayChangeTheWait)
{
    EXPECT_EQ(LimitsFromWait("30").stalled, 30s);
    EXPECT_EQ(LimitsFromWait("0").stalled, 0s);
    EXPECT_EQ(LimitsFromWait("86400").stalled, 24h);
    for (const char* bad : {"", "-1", "1.5", "30s", "86401", "99999999999999999999"}) {
        EXPECT_EQ(LimitsFromWait(bad).stalled, 5min) << bad;
    }
    EXPECT_EQ(LimitsFromWait(nullptr).stalled, 5min);
    EXPECT_EQ(LimitsFromWait("30").overall, 1h);
}

} // namespace
} // namespace kumoden
