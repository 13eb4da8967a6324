#include "model/notices.h"
#include "platform/linux/posix/posix_launcher.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_time.h"
#include "tests/support/cups_jobs.h"
#include "tests/support/eventually.h"
#include "tests/support/pdf.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/programs.h"
#include "tests/support/scoped_env.h"
#include "tests/support/silent_scheduler.h"
#include "tests/support/temp_dir.h"
#include "watch/reader_ends.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <tuple>

namespace kumoden {
namespace {

using test::cupsJobs;
using test::runProgram;

class KumodenPrintTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(test::schedulerProblem(), "");
        m_program = test::builtProgram("kumoden-print").string();
        ASSERT_TRUE(std::filesystem::exists(m_program)) << m_program;
    }
    test::RunResult print(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
    {
        std::vector<std::string> argv{m_program};
        argv.insert(argv.end(), args.begin(), args.end());
        return runProgram(argv, env);
    }

    test::TempDir m_dir;
    std::string m_program;
};

// One job, named after the file, on the queue given or else the
// scheduler's default (the tests' own scheduler's, PDF, whatever the
// machine's or the user's is); the program ends once the job has.
TEST_F(KumodenPrintTest, PrintsTheFileOnTheNamedQueueOrTheDefault)
{
    const auto named = m_dir.write("請求書 テスト 1.pdf", test::tinyPdf()).string();
    // A CP932 name carried over from Windows: "請求.pdf".
    const auto cp932 = m_dir.write("\x90\xBF\x8B\x81.pdf", test::tinyPdf()).string();
    struct Case {
        std::vector<std::string> args;
        std::string queue;
        std::string title;
    };
    for (const Case& c : std::vector<Case>{
             {{"/t", "/n", "/s", "/h", named, "PDF2", "drv", "port"}, "PDF2", "請求書 テスト 1.pdf"},
             {{"/T", "/N", cp932, "PDF2"}, "PDF2", "\uFFFD\uFFFD\uFFFD\uFFFD.pdf"},
             {{"/t", named, "", "drv", "port"}, "PDF", "請求書 テスト 1.pdf"},
             {{"/t", named}, "PDF", "請求書 テスト 1.pdf"}}) {
        SCOPED_TRACE(c.args.size());
        test::PrintOutputs outputs(c.queue);
        const auto run = print(c.args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        ASSERT_TRUE(std::regex_match(run.out, std::regex("[1-9][0-9]*\n"))) << "stdout: " << run.out;
        const int id = std::stoi(run.out);
        EXPECT_EQ(run.err,
                  "kumoden-print: printed: job " + std::to_string(id) + " on queue " + c.queue + "\n");
        const auto all = cupsJobs(nullptr, CUPS_WHICHJOBS_ALL);
        const auto facts = std::ranges::find(all, id, &test::CupsJob::id);
        ASSERT_NE(facts, all.end());
        EXPECT_EQ(facts->state, IPP_JSTATE_COMPLETED);
        EXPECT_EQ(facts->queue, c.queue);
        EXPECT_EQ(facts->title, c.title);
        const auto printed = outputs.waitForNew(std::chrono::seconds(20));
        ASSERT_EQ(printed.size(), 1u)
            << "no new PDF in " << test::printOutputFolder(c.queue) << " within 20 s";
        EXPECT_TRUE(test::readFile(printed.front()).starts_with("%PDF-"));
    }
}

// PDF2 taking jobs but printing none, for the scope: stopped, or holding
// every job; its jobs are cancelled at the end.
class QueueThatDoesNotPrint {
public:
    explicit QueueThatDoesNotPrint(bool stopped)
        : ok((stopped ? runProgram({"cupsdisable", "-r", "paper jam", "PDF2"})
                      : runProgram({"lpadmin", "-p", "PDF2", "-o", "job-hold-until-default=indefinite"}))
                 .exitCode == 0),
          m_stopped(stopped)
    {
    }
    QueueThatDoesNotPrint(const QueueThatDoesNotPrint&) = delete;
    QueueThatDoesNotPrint& operator=(const QueueThatDoesNotPrint&) = delete;
    ~QueueThatDoesNotPrint()
    {
        for (const test::CupsJob& job : cupsJobs("PDF2")) {
            cupsCancelJob2(CUPS_HTTP_DEFAULT, "PDF2", job.id, 1);
        }
        runProgram(m_stopped
                       ? std::vector<std::string>{"cupsenable", "PDF2"}
                       : std::vector<std::string>{"lpadmin", "-p", "PDF2", "-R", "job-hold-until-default"});
    }
    const bool ok;

private:
    const bool m_stopped;
};

// kumoden-print started as the watch starts it, and its ends told as the
// watch tells them: to a log and an icon of the test's own.
struct FollowedReaders {
    void print(const std::string& file, const std::string& queue, const std::string& wait)
    {
        // The launcher hands on this process's environment.
        const test::ScopedEnv waiting("KUMODEN_PRINT_WAIT", wait.c_str());
        info.PrinterNm = queue;
        const std::uint64_t task = launcher.launch(
            {"",
             {test::builtProgram("kumoden-print").string(), "/t", "/n", "/s", "/h", file, queue, "", ""}});
        const std::string name = std::filesystem::path(file).filename().string();
        readers.started({"/in/", {{name, FileOutcome::Printed, {}, PrinterListStatus::listed, task}}, {}},
                        info);
    }
    // Waits for the readers started to end; their ends, as launched.
    std::vector<TaskEnd> ends(std::size_t count)
    {
        std::vector<TaskEnd> all;
        test::eventually(std::chrono::seconds(30), [&] {
            std::vector<TaskEnd> more = launcher.takeEnded();
            readers.report(more, notices);
            all.insert(all.end(), more.begin(), more.end());
            return all.size() >= count;
        });
        return all;
    }

    fake::Journal journal;
    fake::FakeEventLog log;
    ReaderEnds readers;
    FileCheckInfo info;
    PosixLauncher launcher;
    fake::FakeTrayIcon icon{journal};
    fake::FakeClock clock;
    Notices notices{icon, log, clock, "T"};
};

TEST_F(KumodenPrintTest, EachJobIsFollowedToThePrintersAnswerAndAFileNotPrintedIsToldOnce)
{
    const auto a = m_dir.write("a.pdf", test::tinyPdf()).string();
    const auto b = m_dir.write("b.pdf", test::tinyPdf()).string();
    // Job numbers differ from run to run.
    const auto line = [](const TaskEnd& end) {
        return std::regex_replace(end.lastError, std::regex("job [0-9]+"), "job N");
    };
    FollowedReaders readers;
    std::vector<TaskEnd> ends;
    {
        // Twenty files to a stopped queue: each reader ends once the wait
        // is over, its job left in the queue; one notice for them all.
        QueueThatDoesNotPrint queue(true);
        ASSERT_TRUE(queue.ok);
        for (int i = 0; i < 20; ++i) {
            readers.print(m_dir.write("s" + std::to_string(i) + ".pdf", test::tinyPdf()).string(), "PDF2",
                          "2");
        }
        ends = readers.ends(20);
        ASSERT_EQ(ends.size(), 20u);
        for (const TaskEnd& end : ends) {
            EXPECT_EQ(end.exitCode, 4);
            EXPECT_EQ(line(end),
                      "kumoden-print: queue stopped: queue PDF2 has been stopped for 2 s; job N waits "
                      "there until the queue is resumed (paper jam)");
        }
        EXPECT_EQ(cupsJobs("PDF2").size(), 20u);
    }
    {
        // A job cancelled while the queue holds it.
        QueueThatDoesNotPrint queue(false);
        ASSERT_TRUE(queue.ok);
        readers.print(b, "PDF2", "60");
        ASSERT_TRUE(test::eventually(std::chrono::seconds(10), [] { return cupsJobs("PDF2").size() == 1; }));
        ASSERT_EQ(cupsCancelJob2(CUPS_HTTP_DEFAULT, "PDF2", cupsJobs("PDF2").front().id, 0), IPP_STATUS_OK);
        ends = readers.ends(1);
        ASSERT_EQ(ends.size(), 1u);
        EXPECT_EQ(ends[0].exitCode, 6);
        EXPECT_EQ(line(ends[0]), "kumoden-print: cancelled: job N on queue PDF2");
    }
    ASSERT_EQ(readers.journal.size(), 2u);
    EXPECT_EQ(readers.log.lines.size(), 20u + 1);
    EXPECT_NE(readers.journal[0].find("キューが停止しています: kumoden-print: queue stopped: "),
              std::string::npos);
    EXPECT_NE(readers.journal[1].find("ジョブが取り消されました: kumoden-print: cancelled: "),
              std::string::npos);

    // A job that completes is printed.
    readers.print(a, "PDF2", "60");
    ends = readers.ends(1);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].exitCode, 0);
    EXPECT_EQ(line(ends[0]), "kumoden-print: printed: job N on queue PDF2");
    EXPECT_TRUE(readers.log.lines.back().ends_with(" 印刷しました: /in/BackPdf/a.pdf, プリンター「PDF2」"));
    EXPECT_EQ(readers.journal.size(), 2u);
    EXPECT_EQ(readers.readers.running(), 0u);
}

// The tests' scheduler that forgets each job the moment it ends, as at
// sites that keep no job history (ctest's print_system_no_history.start
// starts it), and programs run on it.
class SchedulerWithoutHistory {
public:
    SchedulerWithoutHistory()
    {
        if (const char* dir = std::getenv("KUMODEN_PRINT_SYSTEM_NO_HISTORY")) {
            const std::string folder = dir;
            env = {"CUPS_SERVER=" + folder + "/cups.sock", "CUPS_SERVERROOT=" + folder + "/client",
                   "HOME=" + folder + "/home"};
        }
    }
    bool answers() const { return !env.empty() && run({"lpstat", "-r"}).exitCode == 0; }
    test::RunResult run(const std::vector<std::string>& argv) const { return runProgram(argv, env); }
    // Whether the scheduler has no record of the job left.
    bool forgot(const std::string& id) const
    {
        return run({"lpstat", "-W", "all", "-o"}).out.find("-" + id + " ") == std::string::npos;
    }

    std::vector<std::string> env;
};

TEST_F(KumodenPrintTest, OnASchedulerWithoutJobHistoryTheEndIsToldByTheSchedulersEvents)
{
    const SchedulerWithoutHistory scheduler;
    ASSERT_TRUE(scheduler.answers()) << "the scheduler without job history does not answer";
    const auto pdf = m_dir.write("a.pdf", test::tinyPdf()).string();
    const auto jobIn = [](const std::string& out) { return out.substr(0, out.find('\n')); };

    for (const auto& [queue, status, end] :
         std::vector<std::tuple<std::string, int, std::string>>{{"PDF2", 0, "printed: job N on queue PDF2"},
                                                                {"FAIL", 5,
                                                                 "failed at the printer: job N on queue FAIL "
                                                                 "(paper jam in tray 2)"}}) {
        SCOPED_TRACE(queue);
        const auto run = print({"/t", pdf, queue}, scheduler.env);
        EXPECT_EQ(run.exitCode, status) << run.err;
        const std::string id = jobIn(run.out);
        EXPECT_EQ(std::regex_replace(run.err, std::regex("job " + id + " "), "job N "),
                  "kumoden-print: " + end + "\n");
        EXPECT_TRUE(test::eventually(std::chrono::seconds(5), [&] { return scheduler.forgot(id); }));
    }

    // Cancelled while it waits on a stopped queue.
    ASSERT_EQ(scheduler.run({"cupsdisable", "PDF2"}).exitCode, 0);
    struct Resume {
        const SchedulerWithoutHistory& scheduler;
        ~Resume() { scheduler.run({"cupsenable", "PDF2"}); }
    } resume{scheduler};
    std::vector<std::string> env = scheduler.env;
    env.push_back("KUMODEN_PRINT_WAIT=60");
    test::Process reader({m_program, "/t", pdf, "PDF2"}, env, test::Process::Output::Capture);
    ASSERT_TRUE(test::eventually(std::chrono::seconds(10), [&] { return reader.out().ends_with("\n"); }));
    const std::string id = jobIn(reader.out());
    EXPECT_EQ(scheduler.run({"cancel", id}).exitCode, 0);
    EXPECT_EQ(reader.wait(std::chrono::seconds(20)), 6);
    EXPECT_EQ(reader.err(),
              "kumoden-print: cancelled: job " + id + " on queue PDF2 (job-canceled-by-user)\n");
    EXPECT_TRUE(scheduler.forgot(id));
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
        const auto run = print(c.args, c.env);
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
