#include "model/notices.h"
#include "platform/common/wildcard.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/unit/watch_fixture.h"
#include "watch/backup_purge.h"
#include "watch/cycle_report.h"
#include "watch/reader_ends.h"
#include "watch/watch_cycle.h"
#include "watch/watch_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace kumoden::test {
namespace {

using namespace std::chrono;
using fake::Journal;

TEST(WatchedPath, EndsInExactlyOneSeparatorAndTheMatchPatternTakesTheSelectionAsItStands)
{
    EXPECT_EQ(WatchedPath("/in", '/'), "/in/");
    EXPECT_EQ(WatchedPath("/in/", '/'), "/in/");
    EXPECT_EQ(WatchedPath("C:\\In", '\\'), "C:\\In\\");
    EXPECT_EQ(WatchedPath("C:\\In\\", '\\'), "C:\\In\\");
    EXPECT_EQ(WatchedPath("", '/'), "/");
    EXPECT_EQ(WatchedPath("", '\\'), "\\");
    EXPECT_EQ(MatchPattern("/in/", ""), "/in/*.pdf");
    EXPECT_EQ(MatchPattern("/in/", "*"), "/in/**.pdf");
    EXPECT_EQ(MatchPattern("/in/", " abc"), "/in/ abc*.pdf");
    EXPECT_EQ(MatchPattern("/in/", "../"), "");
}

// The one matcher of every backend's directory query.
TEST(Wildcard, MatchesAsTheWindowsQueryDoes)
{
    const struct {
        std::string pattern, name;
        bool matches;
    } cases[] = {
        // Stars, and letter case.
        {"*.pdf", "a.pdf", true},
        {"*.pdf", "REPORT.PDF", true},
        {"*.pdf", ".pdf", true},
        {"*.pdf", "a.b.pdf", true},
        {"*.pdf", "a.pdfx", false},
        {"*.pdf", "pdf", false},
        {"abc*.pdf", "ABC1.pdf", true},
        {"abc*.pdf", "xabc.pdf", false},
        {"**.pdf", "x.pdf", true},
        {"a*b*c*.pdf", "aXbYbZc.pdf", true},
        {"a*b*c*.pdf", "aXbYbZ.pdf", false},
        // "?" takes one whole character, also one beyond the basic plane.
        {"?.pdf", "請.pdf", true},
        {"?.pdf", "ab.pdf", false},
        {"a?.pdf", "a\U0001F600.pdf", true},
        {"a??.pdf", "a\U0001F600.pdf", false},
        {"請求*.pdf", "見積.pdf", false},
        // A trailing ".*" also takes names without extension.
        {"*.*", "no-extension", true},
        {"abc.*", "abc", true},
        {"abc.*", "abcd", false},
        // Every cased letter of the basic plane, whatever the locale.
        {"ＡＢ*.pdf", "ａｂ1.pdf", true},
        {"ａｂｃ*.pdf", "ＡＢＣ請求.PDF", true},
        {"σ?.pdf", "Σx.pdf", true},
        {"ΣΟΦΙΑ*.pdf", "σοφια.pdf", true},
        {"отчёт*.pdf", "ОТЧЁТ-1.pdf", true},
        {"µ*.pdf", "Μ.pdf", true},                    // the micro sign is the Greek letter's small form
        {"ß*.pdf", "SS.pdf", false},                  // one letter never becomes two
        {"\U00010428*.pdf", "\U00010400.pdf", false}, // beyond the basic plane: as it is
        // Names that are no UTF-8: every byte a character, ASCII still folded.
        {"*.pdf", "\xff\xfe\x80.pdf", true},
        {"???.pdf", "\xff\xfe\x80.pdf", true},
        {"ab*.pdf", "AB\xe3\x81.PDF", true},
        {"?.pdf", "\xc0\xaf.pdf", false}, // an overlong "/" is two bytes, not one character
        {"\xe9*.pdf", "\xc9.pdf", false}, // Latin-1 bytes are not letters
        {"*.pdf", "line\nbreak \"quoted\".pdf", true},
        // Many stars, in linear time.
        {std::string(60, '*') + "b", std::string(255, 'a'), false},
        {std::string(60, '*') + "a", std::string(255, 'a'), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Wildcard(c.pattern).matches(c.name), c.matches) << c.pattern << " / " << c.name;
    }
}

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

class CycleReport : public ::testing::Test {
protected:
    CycleReport()
    {
        info.AcrExeDir = "/opt/reader";
        info.PrinterNm = "PDF";
    }
    void report(std::vector<FileResult> files, std::vector<std::string> purged = {})
    {
        kumoden::CycleReport report("/in/", info, notices);
        for (const FileResult& file : files) {
            if (file.outcome == FileOutcome::Printed) {
                report.archived(file.name);
            }
            report.finished(file);
        }
        for (const std::string& name : purged) {
            report.purged("/in/BackPdf", name);
        }
        report.leftovers(leftovers);
        report.tickEnded();
    }
    std::vector<std::pair<std::string, std::string>> leftovers;

    // A file handed to a reader started as task `task`.
    static FileResult printed(std::string name, std::uint64_t task)
    {
        return {std::move(name), FileOutcome::Printed, {}, PrinterListStatus::listed, task};
    }

    FileCheckInfo info;
    ReaderEnds readers;
    Journal journal;
    fake::FakeTrayIcon icon{journal};
    fake::FakeEventLog log;
    fake::FakeClock clock;
    Notices notices{icon, log, clock, "T"};
};

TEST_F(CycleReport, WorkDoneIsLoggedAndFailuresAreToldOnceUntilAFilePrints)
{
    report({{"a.pdf", FileOutcome::ReaderNotStarted, "a.pdf"},
            {"b.pdf", FileOutcome::ReaderNotStarted, "b (2).pdf"}});
    // One reader, one cause: told once for both files, each file named in the log.
    const std::string held = "印刷プログラムが変わるまで印刷を待ちます。";
    EXPECT_EQ(journal,
              (Journal{"notice T: 印刷プログラムを起動できません: /opt/reader。a.pdf は監視フォルダーに "
                       "a.pdf として戻しました。" +
                       held}));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(log.lines[1].ends_with("b.pdf は監視フォルダーに b (2).pdf として戻しました。" + held));
    report({{"a.pdf", FileOutcome::ReaderNotStarted, "a.pdf"}});
    EXPECT_EQ(journal.size(), 1u);
    EXPECT_EQ(log.lines.size(), 2u);

    report({{"a.pdf", FileOutcome::Printed, {}}, {"c.pdf", FileOutcome::InUse, {}}}, {"old.pdf"});
    ASSERT_EQ(log.lines.size(), 6u);
    EXPECT_TRUE(log.lines[2].ends_with(" BackPdf に移動: a.pdf"));
    EXPECT_TRUE(
        log.lines[3].ends_with(" 印刷プログラムを起動: /opt/reader (/in/BackPdf/a.pdf, プリンター「PDF」)"));
    EXPECT_TRUE(log.lines[4].ends_with(" 書き込み中のため次の回に: c.pdf"));
    EXPECT_TRUE(log.lines[5].ends_with(" 保存期間を過ぎたため削除: /in/BackPdf の old.pdf"));

    // Printed cleared the reader's failure: it is told again, for b too.
    report({{"d.pdf", FileOutcome::ReaderNotStarted, "d.pdf"},
            {"b.pdf", FileOutcome::ReaderNotStarted, "b.pdf"}});
    EXPECT_EQ(journal.size(), 2u);
    EXPECT_EQ(log.lines.size(), 8u);

    // The archive's failures name each file once, with the system's words.
    report({{"e.pdf", FileOutcome::NoRoom, {}, PrinterListStatus::listed, 0, "no room"},
            {"f.pdf", FileOutcome::NoRoom, {}, PrinterListStatus::listed, 0, "no room"},
            {"e.pdf", FileOutcome::NoRoom, {}, PrinterListStatus::listed, 0, "no room"}});
    EXPECT_EQ(journal.size(), 3u);
    ASSERT_EQ(log.lines.size(), 10u);
    EXPECT_NE(log.lines[9].find("f.pdf (no room)"), std::string::npos);
}

TEST_F(CycleReport, ANameSwappedOrALeftoverIsToldAgainOnlyAfterATickWithoutIt)
{
    const FileResult swapped{"a.pdf", FileOutcome::NotTheFileFound, {}};
    leftovers = {{"/in/BackPdf/.kumoden/file", "EIO"}};
    report({swapped});
    report({swapped});
    EXPECT_EQ(journal.size(), 2u);
    leftovers.clear();
    report({});
    leftovers = {{"/in/BackPdf/.kumoden/file", "EIO"}};
    report({swapped});
    EXPECT_EQ(journal.size(), 4u);
    EXPECT_NE(journal.back().find("/in/BackPdf/.kumoden/file (EIO)"), std::string::npos);
}

TEST_F(CycleReport, APrintSystemThatDoesNotAnswerIsToldOnceUntilItAnswers)
{
    FileResult silent{"a.pdf", FileOutcome::Printed, {}, PrinterListStatus::noAnswer};
    report({silent, silent});
    EXPECT_EQ(journal,
              (Journal{"notice T: 印刷スケジューラーが応答しないため、プリンター「PDF」のドライバーと"
                       "ポートを調べられませんでした。"}));
    report({{"b.pdf", FileOutcome::Printed, {}, PrinterListStatus::listed}});
    report({silent});
    EXPECT_EQ(journal.size(), 2u);
    // A file that never reached the lookup says nothing of the print system.
    report({{"c.pdf", FileOutcome::NotArchived, {}, PrinterListStatus::noAnswer}});
    EXPECT_EQ(journal.back(), "notice T: BackPdf に移動できません: c.pdf (/in/BackPdf)");
}

TEST_F(CycleReport, EachReaderEndIsLoggedAndAFailureToldOncePerReasonUntilAReaderEndsWell)
{
    readers.started({"/in/", {printed("a.pdf", 7), printed("b.pdf", 8), printed("c.pdf", 9)}, {}}, info);
    readers.started({"/in/", {{"d.pdf", FileOutcome::InUse, {}}}, {}}, info);
    EXPECT_EQ(readers.running(), 3u);

    const std::string noQueue = "kumoden-print: no print queue named PDF";
    readers.report({{8, 1, 0, noQueue}, {42, 1, 0, "not ours"}, {9, 1, 0, noQueue}}, notices);
    EXPECT_EQ(journal, (Journal{"notice T: 印刷プログラムがエラーで終了しました: " + noQueue +
                                " (/in/BackPdf/b.pdf, プリンター「PDF」)"}));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(log.lines[1].ends_with(noQueue + " (/in/BackPdf/c.pdf, プリンター「PDF」)"));

    // Another reason is another failure; a good end clears them all.
    readers.report({{7, 0, 0, "warning only"}}, notices);
    EXPECT_TRUE(log.lines.back().ends_with(" 印刷プログラムが終了: /in/BackPdf/a.pdf, プリンター「PDF」"));
    EXPECT_EQ(readers.running(), 0u);
    readers.started({"/in/", {printed("e.pdf", 10), printed("f.pdf", 11)}, {}}, info);
    readers.report({{10, 1, 0, noQueue}, {11, 0, 9, {}}}, notices);
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_TRUE(journal[1].ends_with(noQueue + " (/in/BackPdf/e.pdf, プリンター「PDF」)"));
    EXPECT_TRUE(journal[2].starts_with("notice T: 印刷プログラムがエラーで終了しました: シグナル 9 ("));
    EXPECT_EQ(ReaderFailureReason({1, 3, 0, {}}), "終了コード 3");
}

TEST_F(CycleReport, AFileIsLoggedPrintedOnlyOnceItsJobCompletedAndOneThatDidNotIsToldOncePerPrinterAndCause)
{
    std::uint64_t task = 0;
    // The end of the reader of file f<task>.pdf on the printer.
    const auto end = [&](const char* printer, int status, const std::string& line) {
        FileCheckInfo on = info;
        on.PrinterNm = printer;
        ++task;
        readers.started({"/in/", {printed("f" + std::to_string(task) + ".pdf", task)}, {}}, on);
        readers.report({{task, status, 0, line}}, notices);
    };
    const std::string stopped = "kumoden-print: queue stopped: queue PDF has been stopped for 5 min";
    end("PDF", 4, stopped);
    end("PDF", 4, stopped);
    end("FAIL", 4, stopped);
    end("PDF", 5, "kumoden-print: failed at the printer: job 4 on queue PDF (paper jam)");
    // One notice per printer and cause; every file in the log.
    EXPECT_EQ(journal.size(), 3u);
    ASSERT_EQ(log.lines.size(), 4u);
    EXPECT_EQ(journal[0], "notice T: 印刷されていません: /in/BackPdf/f1.pdf, プリンター「PDF」。"
                          "キューが停止しています: " +
                              stopped);
    EXPECT_TRUE(log.lines[1].ends_with(" 印刷されていません: /in/BackPdf/f2.pdf, プリンター「PDF」。"
                                       "キューが停止しています: " +
                                       stopped));

    // A print clears its printer's causes, not another printer's.
    end("PDF", 0, "kumoden-print: printed: job 5 on queue PDF");
    EXPECT_TRUE(log.lines.back().ends_with(" 印刷しました: /in/BackPdf/f5.pdf, プリンター「PDF」"));
    end("PDF", 4, stopped);
    end("FAIL", 4, stopped);
    ASSERT_EQ(journal.size(), 4u);
    EXPECT_NE(journal.back().find("/in/BackPdf/f6.pdf"), std::string::npos);

    // A reader that tells nothing of its job has only ended; words that are
    // not an outcome's are a failure of the reader; an end not known says so.
    end("PDF", 0, "");
    EXPECT_TRUE(log.lines.back().ends_with(" 印刷プログラムが終了: /in/BackPdf/f8.pdf, プリンター「PDF」"));
    end("PDF", 4, "kumoden-print: no print queue named PDF");
    EXPECT_TRUE(journal.back().starts_with(
        "notice T: 印刷プログラムがエラーで終了しました: kumoden-print: no print"));
    end("PDF", 7, "kumoden-print: not known: the print scheduler no longer knows job 10");
    EXPECT_EQ(journal.back(),
              "notice T: 印刷されたか確かめられません: /in/BackPdf/f10.pdf, プリンター「PDF」。"
              "kumoden-print: not known: the print scheduler no longer knows job 10");
    EXPECT_EQ(readers.running(), 0u);
}

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
