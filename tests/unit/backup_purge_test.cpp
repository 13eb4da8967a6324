// The purge of the archive folder: when a backup falls due, and which
// files it takes.
#include "tests/unit/watch_fixture.h"
#include "watch/backup_purge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace kumoden::test {
namespace {

using namespace std::chrono;

LocalTime at(year_month_day day, hours h, minutes m = minutes(0))
{
    return local_days{day} + h + m;
}

TEST(BackupDeadline, AddsWholeCalendarDaysAndKeepsTheTimeOfDay)
{
    EXPECT_EQ(BackupDeadline(at(2026y / November / 2, hours(10)), 7), at(2026y / November / 9, hours(10)));
    EXPECT_EQ(BackupDeadline(at(2026y / December / 30, hours(23), minutes(59)), 3),
              at(2027y / January / 2, hours(23), minutes(59)));
    EXPECT_EQ(BackupDeadline(at(2028y / March / 1, hours(1)), -1), at(2028y / February / 29, hours(1)));
}

class Purge : public WatchFixture {
protected:
    void purgeAt(LocalTime now)
    {
        clock.set(now);
        DeleteOldBackups(watched(), info, services);
    }
};

TEST_F(Purge, ABackupIsKeptUpToItsDeadlineOfWholeDaysAndDeletedAfterIt)
{
    const LocalTime now = at(2026y / November / 9, hours(10));
    const struct {
        const char* retention;
        nanoseconds age;
        bool kept;
    } cases[] = {
        {"7", days(7), true}, // equal is not earlier
        {"7", days(7) + nanoseconds(1), false},
        {"0", {}, true},
        {"0", seconds(1), false},
        {"-3", {}, false},
        // Half days round to the even neighbour.
        {"2.5", days(2) + minutes(1), false},
        {"3.5", days(3) + hours(23), true},
        {"3.5", days(4) + minutes(1), false},
        // Empty or unreadable: nothing is deleted.
        {"", years(6), true},
        {"forever", years(6), true},
        {"40000", years(6), true},
        {"-40000", years(6), true},
    };
    for (const auto& c : cases) {
        info.FileDelDate = c.retention;
        backup("a.pdf", now - c.age);
        purgeAt(now);
        EXPECT_EQ(kept("a.pdf"), c.kept) << c.retention << " " << c.age.count();
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Purge, EveryOrdinaryFileCountsButReadOnlyHiddenAndFoldersStay)
{
    const LocalTime created = at(2026y / November / 1, hours(0));
    for (const char* name :
         {"a.pdf", "notes.txt", "no-extension", "locked.pdf", ".hidden.pdf", "sub/inner.pdf"}) {
        backup(name, created);
    }
    MakeReadOnly(inBackup("locked.pdf"));
    MakeHidden(inBackup(".hidden.pdf"));
    info.FileDelDate = "1";
    purgeAt(at(2026y / November / 5, hours(0)));

    EXPECT_FALSE(kept("a.pdf") || kept("notes.txt") || kept("no-extension"));
    EXPECT_TRUE(kept("locked.pdf") && kept(".hidden.pdf") && kept("sub/inner.pdf"));
}

TEST_F(Purge, NoArchiveFolderIsNoErrorButAMissingFileFacilityIsToldEvenWithThePurgeOff)
{
    info.FileDelDate = "0";
    purgeAt(at(2026y / November / 5, hours(0)));
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "BackPdf"));

    files.setObjectAvailable(false);
    info.FileDelDate = "";
    purgeAt(at(2026y / November / 5, hours(0)));
    EXPECT_EQ(messages.shown().size(), 1u);
}

} // namespace
} // namespace kumoden::test
