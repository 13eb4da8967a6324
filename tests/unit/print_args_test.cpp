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

// The scheduler's events as it keeps them for the subscription:
// each one, once it has come, is handed out at the next fetch.
class SchedulerEventsFake {
public:
    void add(std::chrono::milliseconds at, JobEvent event) { m_pending.emplace_back(at, std::move(event)); }
    JobEventsLook take(std::chrono::milliseconds now, JobLook::Answer answer = JobLook::Answer::answered)
    {
        JobEventsLook look{answer, answer == JobLook::Answer::answered ? "" : "no answer", {}};
        if (answer != JobLook::Answer::answered) {
            return look;
        }
        while (!m_pending.empty() && m_pending.front().first <= now) {
            look.events.push_back(m_pending.front().second);
            m_pending.erase(m_pending.begin());
        }
        return look;
    }

private:
    std::vector<std::pair<std::chrono::milliseconds, JobEvent>> m_pending;
};

JobEvent event(int jobId, std::string kind, int state, std::vector<std::string> reasons, std::string text)
{
    return {jobId, std::move(kind), state, std::move(reasons), std::move(text)};
}

// A scheduler that forgets job 12 the moment it ends, at 2 s; its events
// until then: job 11 ends, 12 starts, the printer speaks, 12 ends.
class JobFollowByEvents : public JobFollow {
protected:
    JobVerdict followEnding(JobEvent last, std::string printerWords = "paper jam in tray 2")
    {
        SchedulerEventsFake queue;
        queue.add(500ms, event(11, "job-completed", 9, {"job-completed-successfully"}, "Job completed."));
        queue.add(500ms, event(12, "job-state-changed", 5, {"job-printing"}, "Job #12 started."));
        queue.add(1s, event(12, "job-progress", 5, {"job-printing"}, "Printed 1 page(s)."));
        if (!printerWords.empty()) {
            queue.add(1s, event(12, "job-progress", 5, {"job-printing"}, printerWords));
        }
        queue.add(2s, std::move(last));
        return followWith(queue,
                          [](auto at) { return at < 2s ? job(5) : answer(JobLook::Answer::jobUnknown); });
    }
    JobVerdict followWith(SchedulerEventsFake& queue,
                          std::function<JobLook(std::chrono::milliseconds)> lookup,
                          std::function<JobLook::Answer(std::chrono::milliseconds)> reach = {})
    {
        return FollowJob(
            LookWithEvents(
                [&] { return lookup(elapsed); },
                [&] { return queue.take(elapsed, reach ? reach(elapsed) : JobLook::Answer::answered); }, 12),
            {[this] { return Clock::time_point{} + elapsed; },
             [this](std::chrono::milliseconds pause) { elapsed += pause; }},
            LimitsFromWait("30"), 12, "PDF2");
    }
};

TEST_F(JobFollowByEvents, AJobForgottenAtItsEndIsToldByItsEvents)
{
    const std::string done = "Job completed.";
    const std::string aborted = "Job aborted due to backend errors; please consult the error_log file.";
    const std::vector<std::tuple<JobEvent, std::string, JobVerdict>> cases = {
        {event(12, "job-completed", 9, {"job-completed-successfully"}, done),
         "",
         {PrintOutcome::printed, "printed: job 12 on queue PDF2"}},
        {event(12, "job-completed", 8, {"aborted-by-system"}, aborted),
         "paper jam in tray 2",
         {PrintOutcome::failedAtPrinter,
          "failed at the printer: job 12 on queue PDF2 (paper jam in tray 2)"}},
        // No word from the printer: the scheduler's on the end.
        {event(12, "job-completed", 8, {"aborted-by-system"}, aborted),
         "",
         {PrintOutcome::failedAtPrinter, "failed at the printer: job 12 on queue PDF2 (" + aborted + ")"}},
        {event(12, "job-completed", 7, {"job-canceled-by-user"}, "Job canceled by user."),
         "",
         {PrintOutcome::cancelled, "cancelled: job 12 on queue PDF2 (job-canceled-by-user)"}},
        // Gone with no end told (purged): the scheduler cannot say.
        {event(12, "job-state-changed", 5, {"job-printing"}, ""),
         "",
         {PrintOutcome::unknown, "not known: the print scheduler no longer knows job 12 on queue PDF2"}},
    };
    for (const auto& [last, words, expected] : cases) {
        SCOPED_TRACE(expected.line);
        elapsed = {};
        const JobVerdict verdict = followEnding(last, words);
        EXPECT_EQ(verdict.outcome, expected.outcome);
        EXPECT_EQ(verdict.line, expected.line);
        EXPECT_LT(elapsed, 3s);
    }
}

TEST_F(JobFollowByEvents, TheLookupAnswersWhileItKnowsTheJobAndEventsOutOfReachAreWaitedFor)
{
    // The scheduler keeps the job: its lookup's answer, whatever the
    // events' coarser reasons say.
    SchedulerEventsFake queue;
    queue.add(1s, event(12, "job-completed", 9, {"job-completed-successfully"}, "Job completed."));
    JobVerdict verdict = followWith(queue, [](auto at) {
        return at < 1s ? job(5) : job(9, {"job-completed-with-errors"}, "filter failed");
    });
    EXPECT_EQ(verdict.line, "failed at the printer: job 12 on queue PDF2 (filter failed)");

    // Forgotten while its events cannot be had for a while: they are
    // fetched once the scheduler can be reached again.
    queue.add(1s, event(12, "job-completed", 9, {"job-completed-successfully"}, "Job completed."));
    const auto forgotten = [](auto) { return answer(JobLook::Answer::jobUnknown); };
    elapsed = {};
    verdict = followWith(queue, forgotten, [](auto at) {
        return at < 10s ? JobLook::Answer::unreachable : JobLook::Answer::answered;
    });
    EXPECT_EQ(verdict.outcome, PrintOutcome::printed);
    EXPECT_GE(elapsed, 10s);

    // Never again within the wait, or the scheduler fell silent: not known.
    queue.add(1s, event(12, "job-completed", 9, {"job-completed-successfully"}, "Job completed."));
    for (const JobLook::Answer reach : {JobLook::Answer::unreachable, JobLook::Answer::silent}) {
        elapsed = {};
        verdict = followWith(queue, forgotten, [reach](auto) { return reach; });
        EXPECT_EQ(verdict.line, "not known: job 12 on queue PDF2: no answer");
        EXPECT_LT(elapsed, 31s);
    }
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
    // The subscription to the events outlasts the longest follow, briefly.
    EXPECT_EQ(EventLease(LimitsFromWait("30")), 1h + 1min);
}

} // namespace
} // namespace kumoden
