#include "tests/support/pdf.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/programs.h"
#include "tests/support/silent_scheduler.h"
#include "tests/support/temp_dir.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <regex>

namespace kumoden {
namespace {

using test::runProgram;

struct JobFacts {
    std::string title;
    std::string queue;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
};

// The scheduler's record of a job (any state).
std::optional<JobFacts> jobFacts(int id)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    std::optional<JobFacts> facts;
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id == id) {
            facts =
                JobFacts{jobs[i].title ? jobs[i].title : "", jobs[i].dest ? jobs[i].dest : "", jobs[i].state};
        }
    }
    cupsFreeJobs(count, jobs);
    return facts;
}

int jobIdFrom(const test::RunResult& run)
{
    return std::regex_match(run.out, std::regex("[0-9]+\n")) ? std::stoi(run.out) : 0;
}

class KumodenPrintTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(test::schedulerProblem(), "");
        m_program = test::builtProgram("kumoden-print").string();
        ASSERT_TRUE(std::filesystem::exists(m_program)) << m_program;
    }

    test::TempDir m_dir;
    std::string m_program;
};

TEST_F(KumodenPrintTest, PrintsTheFileOnTheNamedQueue)
{
    test::PrintOutputs outputs("PDF2");
    const auto file = m_dir.write("請求書 テスト 1.pdf", test::tinyPdf());

    const auto run = runProgram({m_program, "/t", "/n", "/s", "/h", file.string(), "PDF2", "drv", "port"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const int id = jobIdFrom(run);
    ASSERT_GT(id, 0) << "stdout: " << run.out;

    const auto facts = jobFacts(id);
    ASSERT_TRUE(facts.has_value());
    EXPECT_EQ(facts->queue, "PDF2");
    EXPECT_EQ(facts->title, "請求書 テスト 1.pdf");

    const auto printed = outputs.waitForNew(std::chrono::seconds(20));
    ASSERT_EQ(printed.size(), 1u) << "no new PDF in " << test::printOutputFolder("PDF2")
                                  << " within 20 s, job state " << jobFacts(id).value_or(JobFacts{}).state;
    EXPECT_TRUE(test::readFile(printed.front()).starts_with("%PDF-"));
}

TEST_F(KumodenPrintTest, NameThatIsNotUtf8StillGivesItsTitle)
{
    // A CP932 name carried over from Windows: "請求.pdf".
    const auto file = m_dir.write("\x90\xBF\x8B\x81.pdf", test::tinyPdf());
    const auto run = runProgram({m_program, "/T", "/N", file.string(), "PDF2"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const int id = jobIdFrom(run);
    ASSERT_GT(id, 0) << "stdout: " << run.out;
    const auto facts = jobFacts(id);
    ASSERT_TRUE(facts.has_value());
    EXPECT_EQ(facts->title, "\uFFFD\uFFFD\uFFFD\uFFFD.pdf");
}

TEST_F(KumodenPrintTest, EmptyPrinterNameUsesTheDefaultDestination)
{
    const auto file = m_dir.write("default.pdf", test::tinyPdf());
    cups_dest_t* fallback = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    const std::string defaultQueue = fallback ? fallback->name : "";
    cupsFreeDests(fallback ? 1 : 0, fallback);

    // The tests' own scheduler's default, whatever the machine's or the user's is.
    ASSERT_EQ(defaultQueue, "PDF");
    for (const auto& args : {std::vector<std::string>{m_program, "/t", file.string(), "", "drv", "port"},
                             std::vector<std::string>{m_program, "/t", file.string()}}) {
        const auto run = runProgram(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const int id = jobIdFrom(run);
        ASSERT_GT(id, 0) << "stdout: " << run.out;
        const auto facts = jobFacts(id);
        ASSERT_TRUE(facts.has_value());
        EXPECT_EQ(facts->queue, defaultQueue);
    }
}

// PDF2 taking jobs but printing none, for the scope: stopped, or holding
// every job; the jobs given are cancelled at the end.
class QueueThatDoesNotPrint {
public:
    explicit QueueThatDoesNotPrint(bool stopped) : m_stopped(stopped)
    {
        m_ok = (stopped ? runProgram({"cupsdisable", "-r", "paper jam", "PDF2"})
                        : runProgram({"lpadmin", "-p", "PDF2", "-o", "job-hold-until-default=indefinite"}))
                   .exitCode == 0;
    }
    QueueThatDoesNotPrint(const QueueThatDoesNotPrint&) = delete;
    QueueThatDoesNotPrint& operator=(const QueueThatDoesNotPrint&) = delete;
    ~QueueThatDoesNotPrint()
    {
        for (const int job : jobs) {
            cupsCancelJob2(CUPS_HTTP_DEFAULT, "PDF2", job, 1);
        }
        if (m_stopped) {
            runProgram({"cupsenable", "PDF2"});
        } else {
            runProgram({"lpadmin", "-p", "PDF2", "-R", "job-hold-until-default"});
        }
    }
    bool ok() const { return m_ok; }

    std::vector<int> jobs;

private:
    bool m_stopped;
    bool m_ok = false;
};

TEST_F(KumodenPrintTest, AJobTakenByAQueueThatDoesNotPrintItEndsWithStatus3AndWhy)
{
    const auto file = m_dir.write("held.pdf", test::tinyPdf()).string();
    for (const bool stopped : {true, false}) {
        QueueThatDoesNotPrint queue(stopped);
        ASSERT_TRUE(queue.ok());
        const auto run = runProgram({m_program, "/t", file, "PDF2"});
        queue.jobs.push_back(jobIdFrom(run));
        EXPECT_GT(queue.jobs.back(), 0) << run.out;
        EXPECT_EQ(run.exitCode, 3);
        // The same words for every file, so that the same stop is told once;
        // what the queue says of itself follows (a job that ended meanwhile
        // may have had the last word).
        EXPECT_TRUE(run.err.starts_with(stopped
                                            ? "kumoden-print: queue PDF2 is stopped: the job waits there "
                                              "until it is resumed"
                                            : "kumoden-print: queue PDF2 holds the job until it is released"))
            << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    // Taken as ever once the queue prints again.
    const auto run = runProgram({m_program, "/t", file, "PDF2"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
}

TEST_F(KumodenPrintTest, RefusalsExitNonZeroWithOneLineWhy)
{
    const auto pdf = m_dir.write("ok.pdf", test::tinyPdf()).string();
    const auto text = m_dir.write("notes.pdf", "just some text\n").string();
    const auto empty = m_dir.write("empty.pdf", "").string();
    std::filesystem::create_directory(m_dir.path() / "folder.pdf");
    const test::SilentScheduler silent;
    const auto folder = (m_dir.path() / "folder.pdf").string();
    const auto missing = (m_dir.path() / "missing.pdf").string();

    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> env;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {{pdf, "NoSuchQueue"}, {}, "no print queue named NoSuchQueue"},
        {{pdf, "../admin"}, {}, "no print queue named ../admin"},
        {{missing, "PDF2"}, {}, "no such file: " + missing},
        {{folder, "PDF2"}, {}, folder + " is a folder, not a file"},
        {{text, "PDF2"}, {}, text + " is not a PDF file"},
        {{empty, "PDF2"}, {}, empty + " is not a PDF file"},
        {{"/x", pdf, "PDF2"}, {}, "unknown switch /x"},
        {{}, {}, "no file given"},
        {{pdf}, {"LPDEST=NoSuchQueue"}, "no default printer is set"},
        {{pdf, "PDF2"},
         {"CUPS_SERVER=" + m_dir.slash() + "no-scheduler.sock"},
         "cannot reach the print scheduler"},
        {{pdf, "PDF2"}, {"CUPS_SERVER=localhost:1"}, "cannot reach the print scheduler"},
        // Named and default queue: libcups alone waits minutes for an answer.
        {{pdf, "PDF2"}, {silent.environment()}, "the print scheduler did not answer within 5 s"},
        {{pdf}, {silent.environment()}, "the print scheduler did not answer within 5 s"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{m_program};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto run = runProgram(argv, c.env);
        SCOPED_TRACE(c.reason);
        EXPECT_GT(run.exitCode, 0);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("kumoden-print: " + c.reason)) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(run.err.ends_with("\n"));
    }
}

} // namespace
} // namespace kumoden
