#include "tests/unit/watch_fixture.h"
#include "watch/backup_purge.h"

namespace kumoden::test {
namespace {

using namespace std::chrono;

LocalTime at(year_month_day day, hours h, minutes m = minutes(0))
{
    return local_days{day} + h + m;
}

TEST(BackupDeadline, AddsCalendarDaysAndKeepsTheTimeOfDay)
{
    EXPECT_EQ(BackupDeadline(at(2026y / November / 2, hours(10)), 7), at(2026y / November / 9, hours(10)));
    EXPECT_EQ(BackupDeadline(at(2026y / December / 30, hours(23), minutes(59)), 3),
              at(2027y / January / 2, hours(23), minutes(59)));
    EXPECT_EQ(BackupDeadline(at(2028y / March / 1, hours(1)), -1), at(2028y / February / 29, hours(1)));
}

TEST(BackupDeadline, RetentionIsAWholeNumberOfDaysInTheSixteenBitRange)
{
    EXPECT_EQ(RetentionDays("7"), 7);
    EXPECT_EQ(RetentionDays("2.5"), 2);
    EXPECT_EQ(RetentionDays("3.5"), 4);
    EXPECT_EQ(RetentionDays(" -3 "), -3);
    EXPECT_EQ(RetentionDays("32767"), 32767);
    EXPECT_FALSE(RetentionDays("32768"));
    EXPECT_FALSE(RetentionDays("a week"));
}

class Purge : public WatchFixture {
protected:
    // A backup created at the given moment.
    void backup(const std::string& name, LocalTime created)
    {
        dir.write("BackPdf/" + name, "pdf");
        files.setDateCreated(backupText(name), created);
    }
    bool kept(const std::string& name) const { return std::filesystem::exists(inBackup(name)); }
    void purgeAt(LocalTime now)
    {
        clock.set(now);
        DeleteOldBackups(watched(), info, services);
    }
};

TEST_F(Purge, ABackupIsKeptUpToItsDeadlineAndDeletedAfterIt)
{
    info.FileDelDate = "7";
    const LocalTime created = at(2026y / November / 2, hours(10));
    backup("a.pdf", created);

    purgeAt(at(2026y / November / 8, hours(23)));
    EXPECT_TRUE(kept("a.pdf"));
    purgeAt(at(2026y / November / 9, hours(10)));
    EXPECT_TRUE(kept("a.pdf")); // equal is not earlier
    purgeAt(at(2026y / November / 9, hours(10)) + nanoseconds(1));
    EXPECT_FALSE(kept("a.pdf"));
}

TEST_F(Purge, RetentionZeroAndBelowEmptyTheFolder)
{
    const LocalTime now = at(2026y / November / 2, hours(10));
    backup("past.pdf", now - seconds(1));
    backup("now.pdf", now);
    info.FileDelDate = "0";
    purgeAt(now);
    EXPECT_FALSE(kept("past.pdf"));
    EXPECT_TRUE(kept("now.pdf"));

    info.FileDelDate = "-3";
    backup("fresh.pdf", now);
    purgeAt(now);
    EXPECT_FALSE(kept("now.pdf"));
    EXPECT_FALSE(kept("fresh.pdf"));
}

TEST_F(Purge, HalfDaysRoundToTheEvenNeighbour)
{
    const LocalTime created = at(2026y / November / 2, hours(10));
    backup("a.pdf", created);
    info.FileDelDate = "2.5";
    purgeAt(created + days(2) + minutes(1));
    EXPECT_FALSE(kept("a.pdf"));

    backup("b.pdf", created);
    info.FileDelDate = "3.5";
    purgeAt(created + days(3) + hours(23));
    EXPECT_TRUE(kept("b.pdf"));
    purgeAt(created + days(4) + minutes(1));
    EXPECT_FALSE(kept("b.pdf"));
}

TEST_F(Purge, EmptyOrUnreadableRetentionDeletesNothing)
{
    const LocalTime created = at(2020y / January / 1, hours(0));
    backup("a.pdf", created);
    for (const char* value : {"", "forever", "40000", "-40000"}) {
        info.FileDelDate = value;
        purgeAt(at(2026y / November / 2, hours(10)));
        EXPECT_TRUE(kept("a.pdf")) << value;
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

    EXPECT_FALSE(kept("a.pdf"));
    EXPECT_FALSE(kept("notes.txt"));
    EXPECT_FALSE(kept("no-extension"));
    EXPECT_TRUE(kept("locked.pdf"));
    EXPECT_TRUE(kept(".hidden.pdf"));
    EXPECT_TRUE(kept("sub/inner.pdf"));
}

TEST_F(Purge, NoArchiveFolderIsNoError)
{
    info.FileDelDate = "0";
    purgeAt(at(2026y / November / 5, hours(0)));
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "BackPdf"));
}

TEST_F(Purge, AMissingFileFacilityIsToldEvenWithThePurgeOff)
{
    files.setObjectAvailable(false);
    info.FileDelDate = "";
    purgeAt(at(2026y / November / 5, hours(0)));
    EXPECT_EQ(messages.shown().size(), 1u);
}

} // namespace
} // namespace kumoden::test
