// What only inotify tells (the rest: FolderChangesContract), and the
// archive purge where a file system keeps no birth times.
#include "platform/linux/posix/posix_file_system.h"
#include "tests/support/temp_dir.h"
#include "tests/support/watch_fakes.h"
#include "watch/backup_purge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

namespace kumoden::test {
namespace {

using namespace std::chrono;

// Sets a file's modification time, days from its status change.
void setModified(const std::filesystem::path& path, int days)
{
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    const timespec times[2] = {{0, UTIME_OMIT}, {info.st_ctim.tv_sec + days * 86400L, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class InotifyChanges : public ::testing::Test {
protected:
    std::filesystem::path folder() const { return dir.path() / "BackPdf"; }
    std::string folderText() const { return dir.slash() + "BackPdf/"; }
    // A watch on a folder made for it; the test fails where there is none.
    std::unique_ptr<FolderChanges> watchNew(const std::filesystem::path& path)
    {
        std::filesystem::create_directories(path);
        auto changes = files.watchFolder(path.string() + "/");
        return changes ? std::move(changes) : throw std::runtime_error("no watch on " + path.string());
    }

    TempDir dir;
    PosixFileSystem files;
};

TEST_F(InotifyChanges, AFolderRemovedLockedOrMovedWithItsParentEndsTheWatch)
{
    auto changes = watchNew(folder());
    std::filesystem::remove(folder());
    EXPECT_TRUE(changes->take().lost);

    // Its rights changed: a walk tells whether it can still be read.
    changes = watchNew(folder());
    ASSERT_EQ(chmod(folder().c_str(), 0700), 0);
    EXPECT_TRUE(changes->take().lost);

    // The watched folder itself moved away and another put in its place.
    changes = watchNew(dir.path() / "w" / "BackPdf");
    std::filesystem::rename(dir.path() / "w", dir.path() / "moved");
    std::filesystem::create_directories(dir.path() / "w" / "BackPdf");
    EXPECT_TRUE(changes->take().lost);
}

TEST_F(InotifyChanges, MoreChangesThanTheQueueHoldsAreToldAsLost)
{
    auto changes = watchNew(folder());
    const std::string queued = readFile("/proc/sys/fs/inotify/max_queued_events");
    const int count = (queued.empty() ? 16384 : std::stoi(queued)) + 10;
    ASSERT_LE(count, 200000) << "a queue this long is not worth filling";
    for (int i = 0; i < count; ++i) {
        const std::string path = folderText() + std::to_string(i);
        close(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    }
    EXPECT_TRUE(changes->take().lost);
}

// The purge over a file system without birth times, where a touch moves
// a backup's creation time.
class InotifyPurge : public InotifyChanges {
protected:
    InotifyPurge() : files(PosixFileOptions{.leases = true, .birthTimes = false}) { info.FileDelDate = "0"; }
    // What the purge deleted at that time, in name order.
    std::vector<std::string> tick(LocalTime now)
    {
        fakes.clock.set(now);
        auto deleted = purge.run(dir.slash(), info, fakes.services);
        std::ranges::sort(deleted);
        return deleted;
    }
    bool kept(const std::string& name) const { return std::filesystem::exists(folder() / name); }

    PosixFileSystem files;
    fake::WatchFakes fakes{files};
    FileCheckInfo info;
    BackupPurge purge;
};

TEST_F(InotifyPurge, TouchedReplacedLockedAndNewBackupsAreJudgedWithoutAWalk)
{
    for (const char* name : {"touched.pdf", "replaced.pdf", "locked.pdf", "plain.pdf"}) {
        dir.write(std::string("BackPdf/") + name, "x");
    }
    const LocalTime made = *files.dateCreated(folderText() + "plain.pdf");
    EXPECT_TRUE(tick(made - hours(1)).empty());

    setModified(folder() / "touched.pdf", 2);
    dir.write("incoming.pdf", "y");
    setModified(dir.path() / "incoming.pdf", 2);
    std::filesystem::rename(dir.path() / "incoming.pdf", folder() / "replaced.pdf");
    ASSERT_EQ(chmod((folder() / "locked.pdf").c_str(), 0444), 0);
    dir.write("BackPdf/new.pdf", "x");

    EXPECT_EQ(tick(made + hours(1)), (std::vector<std::string>{"new.pdf", "plain.pdf"}));
    EXPECT_TRUE(kept("touched.pdf"));
    EXPECT_TRUE(kept("replaced.pdf"));
    EXPECT_TRUE(kept("locked.pdf"));

    ASSERT_EQ(chmod((folder() / "locked.pdf").c_str(), 0644), 0);
    EXPECT_EQ(tick(made + hours(2)), std::vector<std::string>{"locked.pdf"});
    EXPECT_EQ(tick(made + days(3)), (std::vector<std::string>{"replaced.pdf", "touched.pdf"}));
    EXPECT_EQ(purge.walks(), 1);
}

} // namespace
} // namespace kumoden::test
