#include "app/notices.h"
#include "platform/fake/fake_desktop.h"
#include "platform/posix/posix_launcher.h"
#include "tests/support/eventually.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/watch_fixture.h"
#include "watch/print_pass.h"
#include "watch/reader_ends.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace kumoden::test {
namespace {

// The state letter of a process in /proc, or 0 when it is gone.
char processState(std::uint64_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return 0;
    }
    const auto close = line.rfind(')');
    return close + 2 < line.size() ? line[close + 2] : 0;
}

// Waits (bounded) until the process is gone altogether, zombie included.
bool reaped(std::uint64_t pid)
{
    return eventually(std::chrono::seconds(2), [&] { return processState(pid) == 0; });
}

// A reader that writes each argument it gets on a line of its own.
std::string recordingReader(const TempDir& dir)
{
    const auto script =
        dir.write("reader", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args\"\n");
    chmod(script.c_str(), 0755);
    return script.string();
}

TEST(PosixLauncher, PassesTheArgumentVectorUntouchedAndLeavesNoZombieOfManyQuickChildren)
{
    TempDir dir;
    const std::string reader = recordingReader(dir);
    PosixLauncher launcher;
    const std::vector<std::string> arguments{reader, "/t", "a b", "q\"uote", "$HOME;rm -rf x", ""};
    std::vector<std::uint64_t> pids{launcher.launch({"ignored here", arguments})};
    for (int i = 0; i < 20; ++i) {
        pids.push_back(launcher.launch({"", {"/bin/true"}}));
    }
    for (const auto pid : pids) {
        ASSERT_NE(pid, 0u);
        EXPECT_TRUE(reaped(pid)) << "state " << processState(pid);
    }
    EXPECT_EQ(readFile(reader + ".args"), "/t\na b\nq\"uote\n$HOME;rm -rf x\n\n");
    EXPECT_EQ(launcher.launch({"", {}}), 0u);
}

// Waits (bounded) until the launcher has told count ends and done() holds.
std::map<std::uint64_t, TaskEnd> endsOf(
    PosixLauncher& launcher, std::size_t count, const std::function<bool()>& done = [] { return true; })
{
    std::map<std::uint64_t, TaskEnd> ends;
    eventually(std::chrono::seconds(10), [&] {
        for (TaskEnd& end : launcher.takeEnded()) {
            ends[end.task] = std::move(end);
        }
        return ends.size() >= count && done();
    });
    return ends;
}

TEST(PosixLauncher, TellsHowEachProgramEndedWithTheLastLineOfItsErrorOutput)
{
    TempDir dir;
    const std::string child = dir.slash() + "child";
    PosixLauncher launcher;
    const auto good = launcher.launch({"", {"/bin/sh", "-c", "echo chatter >&2"}});
    const auto failing = launcher.launch(
        {"", {"/bin/sh", "-c", "echo first >&2; printf ' the\\treason \\033[2J\\n\\n' >&2; exit 3"}});
    const auto killed = launcher.launch({"", {"/bin/sh", "-c", "kill -9 $$"}});
    // A program it started keeps the error output open: the end is still
    // seen when the reader itself ends, not when the pipe closes.
    const auto parent = launcher.launch(
        {"", {"/bin/sh", "-c", "sleep 60 >/dev/null & echo $! >" + child + "; echo left >&2; exit 4"}});
    ASSERT_TRUE(good && failing && killed && parent);

    auto ends = endsOf(launcher, 4);
    kill(std::stoi(readFile(child)), SIGKILL);
    EXPECT_FALSE(ends[good].failed());
    EXPECT_EQ(ends[good].lastError, "chatter");
    EXPECT_EQ(ends[failing].exitCode, 3);
    EXPECT_EQ(ends[failing].lastError, "the reason  [2J");
    EXPECT_EQ(ends[killed].signal, 9);
    EXPECT_TRUE(ends[killed].failed());
    EXPECT_EQ(ends[parent].exitCode, 4);
    EXPECT_EQ(ends[parent].lastError, "left");
    EXPECT_TRUE(launcher.takeEnded().empty());
    EXPECT_TRUE(reaped(parent));
}

// The process's open descriptors.
int openDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count - 1; // the one the listing holds
}

// Lowers the soft descriptor limit for a scope.
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t soft)
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = soft;
        setrlimit(RLIMIT_NOFILE, &lowered);
    }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &m_saved); }

private:
    rlimit m_saved{};
};

TEST(PosixLauncher, ReadersThatDoNotEndCostBoundedDescriptorsAndTheOldestAreGivenUpOnce)
{
    TempDir dir;
    const std::string stop = dir.slash() + "stop";
    const DescriptorLimit limit(32);
    const std::size_t bound = FollowBound();
    ASSERT_GT(bound, 0u);
    ASSERT_LT(bound, 8u);
    const int before = openDescriptors();

    PosixLauncher launcher;
    fake::Journal journal;
    fake::FakeTrayIcon icon{journal};
    fake::FakeEventLog log;
    fake::FakeClock clock;
    Notices notices{icon, log, clock, "T"};
    ReaderEnds readers;
    FileCheckInfo info;
    info.PrinterNm = "PDF";

    // Each writes a line, then waits for the stop file and ends with its last line.
    std::vector<std::uint64_t> tasks;
    for (int i = 0; i < 30; ++i) {
        const std::string script = "echo started >&2; while [ ! -e " + stop +
                                   " ]; do sleep 0.2; done; echo last " + std::to_string(i) + " >&2; exit 5";
        const auto task = launcher.launch({"", {"/bin/sh", "-c", script}});
        ASSERT_NE(task, 0u) << i;
        tasks.push_back(task);
        readers.started(
            {"/in/", {{"f" + std::to_string(i) + ".pdf", FileOutcome::Printed, {}, {}, task}}, {}}, info);
        readers.report(launcher.takeEnded(), notices);
        EXPECT_LE(openDescriptors(), before + 2 * static_cast<int>(bound) + 1) << i;
    }
    // The folders are still open to the program.
    DIR* const folder = opendir(dir.path().c_str());
    EXPECT_NE(folder, nullptr);
    closedir(folder);
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0], "notice T: 同時に動いている印刷プログラムが多すぎるため、終了を見届けません: "
                          "/in/BackPdf/f0.pdf, プリンター「PDF」");
    EXPECT_EQ(log.lines.size(), 30 - bound);
    EXPECT_EQ(readers.running(), bound);

    // The newest are followed to their end with their last line; the others only reaped.
    std::ofstream(stop).put('x');
    auto ends = endsOf(launcher, bound, [&] {
        return std::all_of(tasks.begin(), tasks.end(),
                           [](std::uint64_t task) { return processState(task) == 0; });
    });
    ASSERT_EQ(ends.size(), bound);
    for (std::size_t i = 30 - bound; i < 30; ++i) {
        EXPECT_EQ(ends[tasks[i]].exitCode, 5);
        EXPECT_EQ(ends[tasks[i]].lastError, "last " + std::to_string(i));
    }
    for (const auto task : tasks) {
        EXPECT_EQ(processState(task), 0) << task;
    }
    EXPECT_EQ(openDescriptors(), before + 1); // the follower's wake-up
}

class PrintPassWithRealLaunch : public WatchFixture {
protected:
    PosixLauncher realLauncher;
    WatchServices realServices{files, sleeper, clock, realLauncher, printers, messages};
};

// Missing, empty, not executable, or a name never looked up on PATH.
TEST_F(PrintPassWithRealLaunch, AReaderThatCannotBeStartedIsNotWaitedForAndTheFileComesBack)
{
    const auto notExecutable = dir.write("reader-data", "#!/bin/sh\n");
    for (const std::string& reader :
         {std::string(), dir.slash() + "no-reader", notExecutable.string(), std::string("true")}) {
        info.AcrExeDir = reader;
        drop("a.pdf");
        const auto results = PrintPdfFiles(watched(), info, realServices, trail);
        ASSERT_EQ(results.size(), 1u) << reader;
        EXPECT_EQ(results[0].outcome, FileOutcome::ReaderNotStarted) << reader;
        EXPECT_TRUE(std::filesystem::exists(inFolder("a.pdf"))) << reader;
        EXPECT_FALSE(std::filesystem::exists(inBackup("a.pdf"))) << reader;
    }
    EXPECT_EQ(sleeper.waits(), (Waits(8, milliseconds(3000))));
}

TEST_F(PrintPassWithRealLaunch, TheReaderGetsTheArchivedFileAndThePrinter)
{
    info.AcrExeDir = recordingReader(dir);
    drop("my report.pdf");
    PrintPdfFiles(watched(), info, realServices, trail);
    EXPECT_EQ(sleeper.waits().back(), milliseconds(5000));
    const std::string expected =
        "/t\n/n\n/s\n/h\n" + watched() + "BackPdf/my report.pdf\nPDF\nGeneric CUPS-PDF Printer\ncups-pdf:/\n";
    eventually(std::chrono::seconds(5), [&] { return readFile(info.AcrExeDir + ".args") == expected; });
    EXPECT_EQ(readFile(info.AcrExeDir + ".args"), expected);
}

} // namespace
} // namespace kumoden::test
