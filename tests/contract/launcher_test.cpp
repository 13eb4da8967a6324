// What every launcher promises: the request handed over as it stands, each
// end told once with its exit code, and past the bound the oldest program
// given up, once, but never stopped.
#include "tests/contract/launcher_driver.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "watch/print_command.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;

class LauncherContract : public ::testing::Test {
protected:
    // A request for the program without arguments, in the form of each backend.
    static LaunchRequest call(const std::string& program) { return {"\"" + program + "\"", {program}}; }
    // The recorder, in a folder with a blank and Japanese in its name.
    std::string recorder()
    {
        fs::create_directories(folder);
        return utf8(driver->placeRecorder(folder));
    }

    std::unique_ptr<LauncherDriver> driver = MakeLauncherDriver();
    TempDir dir;
    const fs::path folder = dir.path() / fs::u8path("アプリ フォルダ");
};

TEST_F(LauncherContract, HandsTheRequestOverAsItStandsAndTellsEachEndOnceWithItsExitCode)
{
    const LaunchRequest request = PrintLaunchRequest(
        {recorder(), dir.slash() + "請求書 1 \"q\" $HOME;rm -rf x.pdf", "PDF", "", "CUPS:PDF"});
    const auto launcher = driver->launcher(8);
    const auto clock = MakeClock();
    const LocalTime before = clock->now();
    const auto recorded = launcher->launch(request);
    const auto failing = launcher->launch(driver->exiting(3));
    ASSERT_TRUE(recorded && failing);
    const std::vector<TaskEnd> told = EndsTold(*launcher, 2, {recorded, failing});
    const LocalTime after = clock->now();
    EXPECT_EQ(readFile(folder / "record"), driver->handed(request));
    ASSERT_EQ(told.size(), 2u);
    EXPECT_NE(told[0].task, told[1].task);
    for (const TaskEnd& end : told) {
        EXPECT_EQ(end.exitCode, end.task == failing ? 3 : 0) << end.task;
        EXPECT_EQ(end.failed(), end.task == failing) << end.task;
        EXPECT_FALSE(end.unfollowed);
        // Stamped when the end was seen, on the program's own clock.
        ASSERT_TRUE(end.at) << end.task;
        EXPECT_LE(before, *end.at);
        EXPECT_LE(*end.at, after);
    }
    EXPECT_TRUE(AllGone({recorded, failing}));

    // Nothing starts of a program that is missing, not a program, or not named.
    const std::string data = utf8(dir.write("data.pdf", "%PDF-1.4"));
    for (const std::string& program : {dir.slash() + "missing", data, std::string()}) {
        EXPECT_EQ(launcher->launch(call(program)), 0u) << program;
    }
    EXPECT_EQ(launcher->launch({}), 0u);
    EXPECT_TRUE(launcher->takeEnded().empty());
}

// An end is announced as it comes, unasked: the program can tell it then.
TEST_F(LauncherContract, AnEndIsAnnouncedWithoutBeingAskedFor)
{
    const auto launcher = driver->launcher(8);
    std::atomic<int> announced{0};
    launcher->setEndHandler([&] { ++announced; });
    const auto task = launcher->launch(driver->exiting(0));
    ASSERT_NE(task, 0u);
    EXPECT_TRUE(eventually(std::chrono::seconds(20), [&] { return announced > 0; }));
    const std::vector<TaskEnd> told = launcher->takeEnded();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].task, task);
}

TEST_F(LauncherContract, ProgramsThatStayAreFollowedUpToTheBoundTheOldestGivenUpOnce)
{
    const LaunchRequest staying = call(recorder());
    std::ofstream(folder / "record.hold").put('x');
    const auto launcher = driver->launcher(2);
    std::vector<std::uint64_t> tasks;
    for (int i = 0; i < 5; ++i) {
        tasks.push_back(launcher->launch(staying));
        ASSERT_NE(tasks.back(), 0u);
    }
    const std::vector<TaskEnd> given = launcher->takeEnded();
    ASSERT_EQ(given.size(), 3u);
    for (std::size_t i = 0; i < given.size(); ++i) {
        EXPECT_EQ(given[i].task, tasks[i]);
        EXPECT_TRUE(given[i].unfollowed);
        EXPECT_FALSE(given[i].failed());
    }
    // Those given up still run; the two followed are told when they end.
    EXPECT_TRUE(std::ranges::none_of(tasks, ProcessGone));
    fs::remove(folder / "record.hold");
    const std::vector<TaskEnd> told = EndsTold(*launcher, 2, tasks);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(std::minmax(told[0].task, told[1].task), std::minmax(tasks[3], tasks[4]));
    EXPECT_FALSE(told[0].unfollowed || told[1].unfollowed || told[0].failed() || told[1].failed());
    EXPECT_TRUE(AllGone(tasks));
    EXPECT_TRUE(launcher->takeEnded().empty());
}

} // namespace
} // namespace kumoden::test
