// The purge kept from tick to tick: it walks the archive folder once and
// follows the changes it is told of, walking again when it cannot.
#include "tests/unit/watch_fixture.h"
#include "watch/backup_purge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace kumoden::test {
namespace {

using namespace std::chrono;

// The purge kept from tick to tick, told of changes by the fake's watch.
class RememberingPurge : public WatchFixture {
protected:
    RememberingPurge()
    {
        info.FileDelDate = "7";
        clock.set(start);
    }
    std::vector<std::string> tickAt(LocalTime now)
    {
        clock.set(now);
        return purge.run(watched(), info, services);
    }
    // The moment a backup created at created falls due with the retention of 7 days.
    static LocalTime due(LocalTime created) { return created + days(7); }

    const LocalTime start = local_days{2026y / November / 2} + hours(10);
    BackupPurge purge;
};

TEST_F(RememberingPurge, AnUnchangedArchiveIsWalkedOnceAndItsFilesFallDueOnTime)
{
    backup("a.pdf", start);
    backup("b.pdf", start + hours(1));
    tickAt(start);
    for (int tick = 1; tick <= 5; ++tick) {
        tickAt(start + minutes(tick));
    }
    EXPECT_EQ(files.datedListings(), 1);
    EXPECT_LE(files.filesLookedAt(), 5); // the oldest, once a tick

    EXPECT_TRUE(tickAt(due(start)).empty()); // equal is not earlier
    EXPECT_EQ(tickAt(due(start) + nanoseconds(1)), std::vector<std::string>{"a.pdf"});
    EXPECT_TRUE(kept("b.pdf"));
    EXPECT_EQ(tickAt(due(start) + hours(2)), std::vector<std::string>{"b.pdf"});
    EXPECT_EQ(files.datedListings(), 1);
}

TEST_F(RememberingPurge, FilesChangedBetweenTicksAreJudgedByTheirOwnTimesAndHiddenOnesOrFoldersLeftAlone)
{
    const LocalTime old = start - days(6);
    for (const char* name : {"touched.pdf", "replaced.pdf", "locked.pdf", "gone.pdf", "a.pdf"}) {
        backup(name, old);
    }
    tickAt(start);

    // A touch on a file system without birth times moves the creation time;
    // a file put in another's place brings its own.
    files.setDateCreated(backupText("touched.pdf"), start);
    std::filesystem::remove(inBackup("replaced.pdf"));
    backup("replaced.pdf", start);
    MakeReadOnly(inBackup("locked.pdf"));
    std::filesystem::remove(inBackup("gone.pdf"));
    backup("new-but-old.txt", old);
    std::filesystem::rename(inBackup("a.pdf"), inBackup(".a.pdf"));
    MakeHidden(inBackup(".a.pdf"));
    std::filesystem::create_directory(inBackup("folder.pdf"));
    dir.write("BackPdf/sub/inner.pdf", "pdf");
    files.setDateCreated(backupText("sub") + sep() + "inner.pdf", old);

    EXPECT_EQ(tickAt(start + minutes(1)), std::vector<std::string>{});
    const auto afterOld = tickAt(due(old) + minutes(1));
    EXPECT_EQ(afterOld, std::vector<std::string>{"new-but-old.txt"});
    EXPECT_TRUE(kept("touched.pdf") && kept("replaced.pdf") && kept("locked.pdf") && kept("sub/inner.pdf"));
    EXPECT_TRUE(kept(".a.pdf") && kept("folder.pdf"));

    // A read-only backup is tried on every tick: made writable, it goes.
    EXPECT_TRUE(tickAt(due(old) + minutes(2)).empty());
    std::filesystem::permissions(inBackup("locked.pdf"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(tickAt(due(old) + minutes(3)), std::vector<std::string>{"locked.pdf"});

    const auto afterNew = tickAt(due(start) + minutes(1));
    EXPECT_EQ(std::set<std::string>(afterNew.begin(), afterNew.end()),
              (std::set<std::string>{"touched.pdf", "replaced.pdf"}));
    EXPECT_EQ(files.datedListings(), 1);
}

TEST_F(RememberingPurge, ChangesLostOrNotToBeHadFallBackToAWalk)
{
    backup("a.pdf", start);
    tickAt(start);

    // Untold changes: the next tick walks, and the one after needs no walk.
    files.loseChanges();
    files.setDateCreated(backupText("a.pdf"), start - days(8));
    EXPECT_EQ(tickAt(start + minutes(1)), std::vector<std::string>{"a.pdf"});
    EXPECT_EQ(files.datedListings(), 2);
    tickAt(start + minutes(2));
    EXPECT_EQ(files.datedListings(), 2);

    // No watch to be had: every tick walks, and deletes the same.
    BackupPurge unwatched;
    files.setWatchAvailable(false);
    backup("b.pdf", start);
    clock.set(start + minutes(3));
    unwatched.run(watched(), info, services);
    files.setDateCreated(backupText("b.pdf"), start - days(8));
    clock.set(start + minutes(4));
    EXPECT_EQ(unwatched.run(watched(), info, services), std::vector<std::string>{"b.pdf"});
    EXPECT_EQ(files.datedListings(), 4);
}

TEST_F(RememberingPurge, ANewTimeZoneIsSeenInTheOldestBackup)
{
    backup("a.pdf", start - days(6));
    backup("b.pdf", start - days(5));
    tickAt(start);
    // Every creation time reads 25 hours earlier; no entry changed.
    files.setZoneShift(-hours(25));
    EXPECT_EQ(tickAt(start + minutes(1)), std::vector<std::string>{"a.pdf"});
    EXPECT_TRUE(kept("b.pdf"));
    EXPECT_EQ(files.datedListings(), 2);
}

TEST_F(RememberingPurge, ANewRetentionOrARemadeArchiveFolderIsTakenAtTheNextTick)
{
    backup("a.pdf", start - days(2));
    tickAt(start);
    info.FileDelDate = "1";
    EXPECT_EQ(tickAt(start + minutes(1)), std::vector<std::string>{"a.pdf"});

    // Switched off and on again: what changed meanwhile counts.
    info.FileDelDate = "";
    backup("b.pdf", start - days(2));
    EXPECT_TRUE(tickAt(start + minutes(2)).empty());
    info.FileDelDate = "1";
    EXPECT_EQ(tickAt(start + minutes(3)), std::vector<std::string>{"b.pdf"});

    // Removed and made again, the folder is walked again.
    backup("c.pdf", start);
    std::filesystem::remove_all(dir.path() / "BackPdf");
    EXPECT_TRUE(tickAt(start + minutes(4)).empty());
    backup("d.pdf", start - days(8));
    EXPECT_EQ(tickAt(start + minutes(5)), std::vector<std::string>{"d.pdf"});
    backup("e.pdf", start - days(8));
    EXPECT_EQ(tickAt(start + minutes(6)), std::vector<std::string>{"e.pdf"});
}

} // namespace
} // namespace kumoden::test
