// Rules every backend's folder watch keeps on real folders, and the archive
// purge that trusts them.
#include "tests/support/eventually.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "tests/support/watch_fakes.h"
#include "watch/backup_purge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

#ifdef _WIN32
// ReadDirectoryChangesW completes a moment after the change (under Wine,
// from its server).
constexpr auto kPatience = 5000ms;
#else
// inotify has the event by the time the call that made the change returns.
constexpr auto kPatience = 0ms;
#endif

class FolderChangesContract : public ::testing::Test {
protected:
    fs::path folder() const { return dir.path() / "BackPdf"; }
    std::string folderText() const { return dir.slash() + "BackPdf" + files->separator(); }

    // The names told until every one of expected was, or the time was up.
    std::set<std::string> told(FolderChanges& changes, const std::set<std::string>& expected)
    {
        std::set<std::string> names;
        eventually(kPatience, [&] {
            const FolderChangeSet set = changes.take();
            EXPECT_FALSE(set.lost);
            names.insert(set.names.begin(), set.names.end());
            return std::includes(names.begin(), names.end(), expected.begin(), expected.end());
        });
        return names;
    }

    TempDir dir;
    std::unique_ptr<FileSystem> files = MakeFileSystem();
};

TEST_F(FolderChangesContract, EveryChangeToAnEntryIsToldAndOnlyThose)
{
    dir.write("BackPdf/a.pdf", "x");
    dir.write("BackPdf/b.pdf", "x");
    dir.write("BackPdf/c.pdf", "x");
    dir.write("elsewhere.pdf", "x");
    auto changes = files->watchFolder(folderText());
    ASSERT_TRUE(changes);
    EXPECT_TRUE(changes->take().names.empty());

    fs::last_write_time(folder() / "a.pdf", fs::last_write_time(folder() / "a.pdf") + 24h);
    MakeReadOnly(folder() / "b.pdf");
    fs::rename(dir.path() / "elsewhere.pdf", folder() / "in.pdf");
    dir.write(fs::path("BackPdf") / fs::u8path("新しい.pdf"), "x");
    fs::remove(folder() / "c.pdf");
    const std::set<std::string> first{"a.pdf", "b.pdf", "c.pdf", "in.pdf", "新しい.pdf"};
    EXPECT_EQ(told(*changes, first), first);

    fs::rename(folder() / "in.pdf", dir.path() / "out.pdf");
    fs::remove(folder() / fs::u8path("新しい.pdf"));
    const std::set<std::string> second{"in.pdf", "新しい.pdf"};
    EXPECT_EQ(told(*changes, second), second);
    EXPECT_TRUE(changes->take().names.empty());
}

TEST_F(FolderChangesContract, AFolderReplacedEndsTheWatchAndAMissingOneHasNone)
{
    fs::create_directories(folder());
    auto changes = files->watchFolder(folderText());
    ASSERT_TRUE(changes);
    fs::rename(folder(), dir.path() / "old");
    fs::create_directories(folder());
    EXPECT_TRUE(changes->take().lost);
    EXPECT_FALSE(files->watchFolder(dir.slash() + "missing" + files->separator()));
}

TEST_F(FolderChangesContract, ThePurgeJudgesNewBackupsWithoutAWalkAndKeepsReadOnlyAndHiddenOnes)
{
    dir.write("BackPdf/old.pdf", "x");
    fake::WatchFakes fakes(*files, MakeClock()->now() + std::chrono::days{1});
    FileCheckInfo info;
    info.FileDelDate = "2";
    BackupPurge purge;
    EXPECT_TRUE(purge.run(dir.slash(), info, fakes.services).empty());

    // A day old, due with a retention of 0 days.
    dir.write("BackPdf/new.pdf", "x");
    MakeReadOnly(dir.write("BackPdf/locked.pdf", "x"));
    MakeHidden(dir.write("BackPdf/.hidden.pdf", "x"));
    info.FileDelDate = "0";
    const auto walked = purge.run(dir.slash(), info, fakes.services); // a new retention: one walk
    EXPECT_EQ(std::set<std::string>(walked.begin(), walked.end()),
              (std::set<std::string>{"new.pdf", "old.pdf"}));
    const int walks = purge.walks();

    dir.write("BackPdf/later.pdf", "x");
    std::vector<std::string> deleted;
    EXPECT_TRUE(eventually(kPatience, [&] {
        const auto run = purge.run(dir.slash(), info, fakes.services);
        deleted.insert(deleted.end(), run.begin(), run.end());
        return !deleted.empty();
    }));
    EXPECT_EQ(deleted, std::vector<std::string>{"later.pdf"});
    EXPECT_TRUE(fs::exists(folder() / "locked.pdf"));
    EXPECT_TRUE(fs::exists(folder() / ".hidden.pdf"));
    EXPECT_EQ(purge.walks(), walks);
}

} // namespace
} // namespace kumoden::test
