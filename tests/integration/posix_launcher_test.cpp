#include "model/notices.h"
#include "platform/linux/posix/posix_launcher.h"
#include "tests/contract/launcher_driver.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_time.h"
#include "tests/support/temp_dir.h"
#include "watch/reader_ends.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>

namespace kumoden::test {
namespace {

// The ends told until there are count of them and the programs are reaped, by task.
std::map<std::uint64_t, TaskEnd> endsOf(Launcher& launcher, const std::vector<std::uint64_t>& tasks,
                                        std::size_t count)
{
    std::map<std::uint64_t, TaskEnd> ends;
    for (TaskEnd& end : EndsTold(launcher, count, tasks)) {
        ends[end.task] = std::move(end);
    }
    return ends;
}

class PosixLauncherDriver final : public LauncherDriver {
public:
    std::unique_ptr<Launcher> launcher(std::size_t followAtMost) override
    {
        return std::make_unique<PosixLauncher>(followAtMost);
    }
    std::filesystem::path placeRecorder(const std::filesystem::path& folder) override
    {
        const auto script = folder / "reader";
        std::ofstream(script)
            << "#!/bin/sh\ncd \"$(dirname \"$0\")\"\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; "
               "done >> record\nwhile [ -e record.hold ]; do sleep 0.05; done\n";
        chmod(script.c_str(), 0755);
        return script;
    }
    // The arguments after the program, a line each.
    std::string handed(const LaunchRequest& request) override
    {
        std::string lines;
        for (std::size_t i = 1; i < request.arguments.size(); ++i) {
            lines += request.arguments[i] + "\n";
        }
        return lines;
    }
    LaunchRequest exiting(int code) override
    {
        return {"", {"/bin/sh", "-c", "exit " + std::to_string(code)}};
    }
};

TEST(PosixLauncher, TellsHowEachProgramEndedWithTheLastLineOfItsErrorOutputAndLeavesNoZombie)
{
    TempDir dir;
    const std::string child = dir.slash() + "child";
    PosixLauncher launcher;
    std::vector<std::uint64_t> tasks{
        launcher.launch({"", {"/bin/sh", "-c", "echo chatter >&2"}}),
        launcher.launch(
            {"", {"/bin/sh", "-c", "echo first >&2; printf ' the\\treason \\033[2J\\n\\n' >&2; exit 3"}}),
        launcher.launch({"", {"/bin/sh", "-c", "kill -9 $$"}}),
        // A program it started keeps the error output open: the end is still
        // seen when the reader itself ends, not when the pipe closes.
        launcher.launch(
            {"", {"/bin/sh", "-c", "sleep 60 >/dev/null & echo $! >" + child + "; echo left >&2; exit 4"}})};
    for (int i = 0; i < 20; ++i) {
        tasks.push_back(launcher.launch({"", {"/bin/true"}}));
    }
    ASSERT_TRUE(std::ranges::none_of(tasks, [](std::uint64_t task) { return task == 0; }));
    EXPECT_EQ(launcher.launch({"true", {"true"}}), 0u); // never looked up on PATH

    auto ends = endsOf(launcher, tasks, tasks.size());
    kill(std::stoi(readFile(child)), SIGKILL);
    EXPECT_EQ(ends.size(), tasks.size());
    EXPECT_TRUE(AllGone(tasks));
    EXPECT_FALSE(ends[tasks[0]].failed());
    EXPECT_EQ(ends[tasks[0]].lastError, "chatter");
    EXPECT_EQ(ends[tasks[1]].exitCode, 3);
    EXPECT_EQ(ends[tasks[1]].lastError, "the reason  [2J");
    EXPECT_EQ(ends[tasks[2]].signal, 9);
    EXPECT_TRUE(ends[tasks[2]].failed());
    EXPECT_EQ(ends[tasks[3]].exitCode, 4);
    EXPECT_EQ(ends[tasks[3]].lastError, "left");
    EXPECT_TRUE(launcher.takeEnded().empty());
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
                                   " ]; do sleep 0.2; done; echo last " + std::to_string(i) + " >&2";
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
    auto ends = endsOf(launcher, tasks, bound);
    ASSERT_EQ(ends.size(), bound);
    for (std::size_t i = 30 - bound; i < 30; ++i) {
        EXPECT_EQ(ends[tasks[i]].lastError, "last " + std::to_string(i));
    }
    EXPECT_TRUE(AllGone(tasks));
    EXPECT_EQ(openDescriptors(), before + 1); // the follower's wake-up
}

} // namespace

// Gone from /proc altogether, zombie included.
bool ProcessGone(std::uint64_t task)
{
    return !std::filesystem::exists("/proc/" + std::to_string(task));
}

std::unique_ptr<LauncherDriver> MakeLauncherDriver()
{
    return std::make_unique<PosixLauncherDriver>();
}

} // namespace kumoden::test
