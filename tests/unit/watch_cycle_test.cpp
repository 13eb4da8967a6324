// A tick of the watch: its print pass, its purge, and the setups it
// cannot work with.
#include "tests/unit/watch_fixture.h"
#include "watch/backup_purge.h"
#include "watch/watch_cycle.h"
#include "watch/watch_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace kumoden::test {
namespace {

class WatchCycle : public WatchFixture {
protected:
    void tick() { RunWatchCycle(info, services, trail); }
};

TEST_F(WatchCycle, ThePurgeRunsOnEveryTickAfterThePrintPass)
{
    // Retention 0 on the real clock: the file archived by a tick is already
    // due when the purge of the same tick looks at it.
    clock.set(MakeClock()->now());
    info.FileDelDate = "0";
    backup("old.pdf", clock.now() - std::chrono::seconds(1));
    drop("note.txt");
    tick();
    EXPECT_TRUE(sleeper.waits().empty());
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_FALSE(kept("old.pdf"));
    EXPECT_TRUE(inWatched("note.txt"));

    // Not while its reader is still followed, not even by the purge of the
    // tick that launched it.
    drop("a.pdf");
    WatchMemory memory;
    BackupPurge purge(false);
    RunWatchCycle(info, services, trail, purge, memory);
    EXPECT_EQ(launcher.requests().size(), 1u);
    EXPECT_TRUE(kept("a.pdf"));
    RunWatchCycle(info, services, trail, purge, memory);
    EXPECT_TRUE(kept("a.pdf"));
    memory.archive.beingRead.clear();
    RunWatchCycle(info, services, trail, purge, memory);
    EXPECT_FALSE(kept("a.pdf"));
}

TEST_F(WatchCycle, AMissingWatchedFolderIsNoError)
{
    info.FileChkDir = watched() + "nowhere";
    tick();
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(WatchCycle, ASelectionWithAFolderSeparatorTakesNothingAndIsTold)
{
    // Files the selections below would reach if they were taken as paths.
    info.FileChkDir = (dir.path() / "in").string();
    drop("x.pdf");
    drop("in/etc/xa.pdf");
    drop("in/sub\\x.pdf"); // on Linux a name of its own
    drop("in/a.pdf");
    const auto told = [&] {
        const auto problems = WatchSetupProblems(info, files);
        return std::count_if(problems.begin(), problems.end(), [](const WatchSetupProblem& problem) {
            return problem.cause == kSelectionCause && problem.text.find("FileSelect") != std::string::npos;
        });
    };
    for (const char* selection : {"../", "/etc/x", "..\\", "sub\\"}) {
        info.FileSelect = selection;
        tick();
        EXPECT_TRUE(launcher.requests().empty()) << selection;
        EXPECT_TRUE(sleeper.waits().empty()) << selection;
        EXPECT_EQ(told(), 1) << selection;
    }
    info.FileSelect = "a";
    EXPECT_EQ(told(), 0);
    tick();
    EXPECT_EQ(launcher.requests().size(), 1u);
}

TEST_F(WatchCycle, AMissingFileFacilityIsToldOnceByEachPassAndNoFileIsTouched)
{
    files.setObjectAvailable(false);
    drop("a.pdf");
    tick();
    ASSERT_EQ(messages.shown().size(), 2u);
    for (const auto& shown : messages.shown()) {
        EXPECT_EQ(shown.text, "File Systemオブジェクトが必要です。Windows Scriptを導入して下さい。");
        EXPECT_EQ(shown.title, "エラーメッセージ");
        EXPECT_EQ(shown.buttons, MessageButtons::OkCancel);
    }
    EXPECT_TRUE(sleeper.waits().empty());
    EXPECT_TRUE(inWatched("a.pdf"));
}

} // namespace
} // namespace kumoden::test
