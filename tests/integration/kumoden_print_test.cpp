#include "tests/support/pdf.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <thread>

namespace kumoden {
namespace {

using test::runProgram;

// The PDF2 queue's output folder, as its cups-pdf configuration sets it.
std::filesystem::path pdf2Folder()
{
    std::ifstream conf("/etc/cups/cups-pdf-PDF2.conf");
    for (std::string line; std::getline(conf, line);) {
        if (line.starts_with("Out ")) {
            return line.substr(4);
        }
    }
    return {};
}

std::set<std::filesystem::path> pdfsIn(const std::filesystem::path& folder)
{
    std::set<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".pdf") {
            files.insert(entry.path());
        }
    }
    return files;
}

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

// Waits until the job has finished and a PDF not in `before` is in the
// folder; the newest such file, if one came within the time. (The job's own
// state, not an empty queue: other jobs may sit in the queue meanwhile.)
std::optional<std::filesystem::path> waitForOutput(int id, const std::filesystem::path& folder,
                                                   const std::set<std::filesystem::path>& before)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto facts = jobFacts(id);
        if (facts && (facts->state == IPP_JSTATE_CANCELED || facts->state == IPP_JSTATE_ABORTED)) {
            ADD_FAILURE() << "job " << id << " ended in state " << facts->state;
            return std::nullopt;
        }
        if (facts && facts->state == IPP_JSTATE_COMPLETED) {
            std::optional<std::filesystem::path> newest;
            for (const auto& file : pdfsIn(folder)) {
                if (!before.contains(file) && (!newest || std::filesystem::last_write_time(file) >
                                                              std::filesystem::last_write_time(*newest))) {
                    newest = file;
                }
            }
            if (newest) {
                return newest;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::nullopt;
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
    const auto folder = pdf2Folder();
    ASSERT_FALSE(folder.empty()) << "no Out line in /etc/cups/cups-pdf-PDF2.conf";
    const auto before = pdfsIn(folder);
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

    const auto output = waitForOutput(id, folder, before);
    ASSERT_TRUE(output.has_value()) << "no new PDF in " << folder << " within 20 s";
    EXPECT_TRUE(test::readFile(*output).starts_with("%PDF-"));
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

    for (const auto& args : {std::vector<std::string>{m_program, "/t", file.string(), "", "drv", "port"},
                             std::vector<std::string>{m_program, "/t", file.string()}}) {
        const auto run = runProgram(args);
        if (defaultQueue.empty()) {
            EXPECT_NE(run.exitCode, 0);
            EXPECT_EQ(run.err, "kumoden-print: no default printer is set\n");
            continue;
        }
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const int id = jobIdFrom(run);
        ASSERT_GT(id, 0) << "stdout: " << run.out;
        const auto facts = jobFacts(id);
        ASSERT_TRUE(facts.has_value());
        EXPECT_EQ(facts->queue, defaultQueue);
    }
}

TEST_F(KumodenPrintTest, RefusalsExitNonZeroWithOneLineWhy)
{
    const auto pdf = m_dir.write("ok.pdf", test::tinyPdf()).string();
    const auto text = m_dir.write("notes.pdf", "just some text\n").string();
    const auto empty = m_dir.write("empty.pdf", "").string();
    std::filesystem::create_directory(m_dir.path() / "folder.pdf");
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
        {{pdf, "PDF2"}, {"CUPS_SERVER=/tmp/kumoden-no-scheduler.sock"}, "cannot reach the print scheduler"},
        {{pdf, "PDF2"}, {"CUPS_SERVER=localhost:1"}, "cannot reach the print scheduler"},
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
