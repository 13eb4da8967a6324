#include "printing/printer_lookup.h"
#include "tests/unit/watch_fixture.h"
#include "watch/print_command.h"
#include "watch/print_pass.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
using Outcomes = std::vector<FileOutcome>;

class PrintPass : public WatchFixture {
protected:
    std::vector<FileResult> run() { return PrintPdfFiles(watched(), info, services, trail, memory); }
    ArchiveRepair repair() { return RepairArchive(watched(), info, services, trail, memory, true); }
    // Whether the record of a launch under way is in the archive.
    bool recorded() const { return std::filesystem::exists(inBackup(".kumoden") / "ready"); }
    static Outcomes outcomes(const std::vector<FileResult>& results)
    {
        Outcomes outcomes(results.size());
        std::ranges::transform(results, outcomes.begin(), &FileResult::outcome);
        return outcomes;
    }
    // The printer, driver and port the launch was given.
    std::vector<std::string> printerOf(std::size_t launch) const
    {
        const auto& arguments = launcher.requests().at(launch).arguments;
        return {arguments.begin() + 6, arguments.end()};
    }
    WatchMemory memory;
    // Stops the program during the given wait.
    void stopInWait(std::size_t wait)
    {
        sleeper.onSleep([this, wait](std::size_t n) {
            if (n == wait) {
                sleeper.requestStop();
            }
        });
    }
};

TEST_F(PrintPass, EachEventIsToldWhenItHappensAPrintedFileBeforeTheWaitAfterItsLaunch)
{
    drop({"a.pdf", "b.pdf"});
    launcher.onLaunch([&](const LaunchRequest&) {
        // The second file is found in use when its turn comes.
        files.setHoldResult(FileStep::inUse);
    });
    run();
    using Event = EventTrail::Event;
    const LocalTime start{};
    EXPECT_EQ(trail.events, (std::vector<Event>{{"archived a.pdf", start + 6s},
                                                {"finished a.pdf", start + 6s},
                                                {"finished b.pdf", start + 17s}}));
}

TEST_F(PrintPass, ARequestToEndStopsAtTheNextWaitAndLeavesEveryFileInOnePlace)
{
    // Asked during the first settle wait: nothing is taken.
    drop({"a.pdf", "b.pdf"});
    stopInWait(1);
    EXPECT_TRUE(run().empty());
    EXPECT_EQ(sleeper.waits(), (Waits{3s}));
    EXPECT_TRUE(inWatched("a.pdf"));
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_TRUE(trail.events.empty());
}

TEST_F(PrintPass, ARequestToEndDuringTheWaitAfterALaunchEndsThePassAfterThatFile)
{
    drop({"a.pdf", "b.pdf"});
    stopInWait(3);
    EXPECT_EQ(outcomes(run()), Outcomes{FileOutcome::Printed});
    EXPECT_EQ(printedFiles(), backupTexts({"a.pdf"}));
    EXPECT_TRUE(inWatched("b.pdf"));
    EXPECT_FALSE(recorded());
    EXPECT_EQ(sleeper.waits().size(), 3u);
}

// A request to end that comes while the print system is asked for the
// printer ends the pass there: the file stays archived, its launch is left
// to the record, and the next pass makes it, once.
TEST_F(PrintPass, ARequestToEndDuringThePrinterLookupLeavesTheLaunchToTheRecord)
{
    drop({"a.pdf", "b.pdf"});
    printers.setStatus(PrinterListStatus::noAnswer);
    printers.onList([&] { sleeper.requestStop(); });
    EXPECT_TRUE(run().empty());
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_TRUE(recorded());
    EXPECT_TRUE(inWatched("b.pdf"));
    EXPECT_EQ(trail.events.size(), 1u); // a.pdf archived, nothing finished

    sleeper.resume();
    printers.onList(nullptr);
    const ArchiveRepair repaired = repair();
    ASSERT_TRUE(repaired.launched);
    EXPECT_EQ(repaired.launched->outcome, FileOutcome::Printed);
    EXPECT_EQ(printedFiles(), backupTexts({"a.pdf"}));
    EXPECT_FALSE(recorded());
}

TEST_F(PrintPass, AFileArchivedByAProcessThatDiedBeforeItsLaunchIsLaunchedOnceAfterwards)
{
    // The process dies in the printer lookup of the first file, an archive
    // on another file system or not.
    for (const bool elsewhere : {false, true}) {
        files.setOtherVolumes(elsewhere);
        drop("a.pdf", elsewhere ? "copied" : "moved");
        printers.onList([&] {
            printers.onList(nullptr);
            throw std::runtime_error("killed");
        });
        EXPECT_THROW(run(), std::runtime_error);
        EXPECT_TRUE(recorded());
        // The record and the archive's lock are hidden from the purge and
        // from every query of the archive.
        EXPECT_EQ(files.listFiles(backupText("*")), std::vector<std::string>{"a.pdf"});

        memory = {};
        const ArchiveRepair repaired = repair();
        ASSERT_TRUE(repaired.launched);
        EXPECT_EQ(repaired.launched->outcome, FileOutcome::Printed);
        EXPECT_EQ(readFile(inBackup("a.pdf")), elsewhere ? "copied" : "moved");
        EXPECT_FALSE(recorded());
        EXPECT_FALSE(repair().launched);
        // Its reader ends; a newcomer of its name may replace it.
        memory.archive.beingRead.clear();
    }
    EXPECT_EQ(printedFiles(), backupTexts({"a.pdf", "a.pdf"}));
}

TEST_F(PrintPass, AStableFileIsArchivedAfterTwoWaitsAndPrintedFromTheArchive)
{
    drop("a.pdf");
    run();

    EXPECT_EQ(sleeper.waits(), (Waits{3s, 3s, 5s}));
    EXPECT_FALSE(inWatched("a.pdf"));
    EXPECT_EQ(readFile(inBackup("a.pdf")), "%PDF-1.4 test");
    // The launch is the one of that job (see PrintCommand for its command line).
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(
        launcher.requests().front().arguments,
        (std::vector<std::string>{"/opt/reader/kumoden-print", "/t", "/n", "/s", "/h", backupText("a.pdf"),
                                  "PDF", "Generic CUPS-PDF Printer", "cups-pdf:/"}));
}

TEST_F(PrintPass, AGrowingFileIsTakenOnlyWhenTwoReadingsAWholeWaitApartAgree)
{
    drop("a.pdf", "%PDF");
    // A writer that opens the file now and then to append, during each of
    // the first three waits: two readings taken one right after the other
    // would agree after the second.
    sleeper.onSleep([&](std::size_t n) {
        if (n <= 3) {
            std::ofstream(inFolder("a.pdf"), std::ios::app) << std::string(100 * n, 'x');
        }
    });
    run();

    EXPECT_EQ(sleeper.waits(), (Waits{3s, 3s, 3s, 3s, 3s, 5s}));
    EXPECT_EQ(std::filesystem::file_size(inBackup("a.pdf")), 604u);
}

TEST_F(PrintPass, AFileThatVanishesIsSwappedOrStillOpenWhileWaitedOnIsNeitherMovedNorPrinted)
{
    drop("a.pdf");
    drop("b.pdf", "found here"); // as long as the file swapped in
    drop("c.pdf");
    // In its first wait, a goes, another file takes b's name, and c is found
    // still open for writing.
    sleeper.onSleep([&](std::size_t n) {
        if (n == 1) {
            std::filesystem::remove(inFolder("a.pdf"));
        } else if (n == 3) {
            drop("other", "swapped in");
            std::filesystem::rename(inFolder("other"), inFolder("b.pdf"));
        } else if (n == 5) {
            files.setHoldResult(FileStep::inUse);
        }
    });
    EXPECT_EQ(outcomes(run()),
              (Outcomes{FileOutcome::Vanished, FileOutcome::NotTheFileFound, FileOutcome::InUse}));
    EXPECT_EQ(sleeper.waits(), Waits(6, 3s));
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_EQ(readFile(inFolder("b.pdf")), "swapped in");
    EXPECT_FALSE(kept("b.pdf"));
    EXPECT_TRUE(inWatched("c.pdf"));

    // Next tick they are the files found, and go out.
    files.setHoldResult(std::nullopt);
    EXPECT_EQ(outcomes(run()), Outcomes(2, FileOutcome::Printed));
    EXPECT_EQ(readFile(inBackup("b.pdf")), "swapped in");
    EXPECT_EQ(printedFiles(), backupTexts({"b.pdf", "c.pdf"}));
}

TEST_F(PrintPass, AFileThatCannotBeMovedStaysAndNothingIsPrintedForIt)
{
    drop("a.pdf");
    MakeReadOnly(dir.write("BackPdf/b.pdf", "older b"));
    drop("b.pdf", "newer b");
    files.setMoveFails(true);
    run();

    // Printing the backup path would have printed the older b.
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_EQ(printers.calls(), 0);
    EXPECT_EQ(sleeper.waits(), (Waits(4, 3s)));
    EXPECT_TRUE(inWatched("a.pdf"));
    // The older backup stays until a move has replaced it, read-only as it is.
    EXPECT_EQ(readFile(inFolder("b.pdf")), "newer b");
    EXPECT_EQ(readFile(inBackup("b.pdf")), "older b");

    // Next tick the move works and both go out.
    files.setMoveFails(false);
    run();
    EXPECT_EQ(printedFiles(), backupTexts({"a.pdf", "b.pdf"}));
    EXPECT_EQ(readFile(inBackup("b.pdf")), "newer b");
}

TEST_F(PrintPass, AReaderThatCannotBeStartedSendsTheFileBackAndHoldsTheRestUntilItChanges)
{
    info.AcrExeDir = dir.write("reader", "#!/nowhere").string();
    drop({"a.pdf", "b.pdf"});
    launcher.setFail(true);
    const auto results = run();

    // No wait after a launch that failed, and no other file taken for it.
    EXPECT_EQ(sleeper.waits(), (Waits(2, 3s)));
    EXPECT_EQ(outcomes(results), Outcomes{FileOutcome::ReaderNotStarted});
    EXPECT_EQ(results[0].returnedAs, "a.pdf");
    EXPECT_TRUE(inWatched("a.pdf") && inWatched("b.pdf"));
    EXPECT_FALSE(kept("a.pdf"));
    // Nor on the next ticks: nothing is waited on, copied or launched.
    launcher.setFail(false);
    EXPECT_TRUE(run().empty());
    EXPECT_EQ(launcher.requests().size(), 1u);

    // A reader mended (its file changed) prints each file once.
    dir.write("reader", "#!/bin/sh");
    EXPECT_EQ(outcomes(run()), Outcomes(2, FileOutcome::Printed));
    EXPECT_EQ(printedFiles().size(), 3u);
    EXPECT_TRUE(kept("a.pdf") && kept("b.pdf"));
}

TEST_F(PrintPass, AFileSentBackNeverReplacesANewcomerOfItsNameAndOneWithNoWayBackStaysArchived)
{
    drop("Job.PDF", "first");
    launcher.setFail(true);
    // A newcomer arrives while the reader is being started.
    launcher.onLaunch([&](const LaunchRequest&) { drop("Job.PDF", "newcomer"); });
    auto results = run();
    EXPECT_EQ(outcomes(results), Outcomes{FileOutcome::ReaderNotStarted});
    EXPECT_EQ(results[0].returnedAs, "Job (2).PDF");
    EXPECT_EQ(readFile(inFolder("Job.PDF")), "newcomer");
    EXPECT_EQ(readFile(inFolder("Job (2).PDF")), "first");
    EXPECT_FALSE(kept("Job.PDF"));

    // Every name it could go back under taken: it stays in the archive.
    memory = {};
    std::filesystem::remove(inFolder("Job (2).PDF"));
    launcher.onLaunch([&](const LaunchRequest&) {
        for (int number = 1; number <= kLastFreeNameNumber; ++number) {
            drop(number == 1 ? "Job.PDF" : NumberedName("Job.PDF", number), "newcomer");
        }
    });
    results = run();
    EXPECT_EQ(outcomes(results), Outcomes{FileOutcome::ReaderNotStartedStuck});
    EXPECT_EQ(readFile(inBackup("Job.PDF")), "newcomer");
    EXPECT_FALSE(recorded());
}

TEST_F(PrintPass, ANewcomerWaitsUntilTheReaderOfTheBackupItWouldReplaceIsNoLongerFollowed)
{
    drop("a.pdf", "first");
    run();
    drop("a.pdf", "second");
    EXPECT_EQ(outcomes(run()), Outcomes{FileOutcome::WaitsForReader});
    // Neither waited on nor moved: the first reader may open its file late.
    EXPECT_EQ(sleeper.waits().size(), 3u);
    EXPECT_EQ(readFile(inBackup("a.pdf")), "first");
    EXPECT_EQ(readFile(inFolder("a.pdf")), "second");

    memory.archive.beingRead.clear();
    EXPECT_EQ(outcomes(run()), Outcomes{FileOutcome::Printed});
    EXPECT_EQ(readFile(inBackup("a.pdf")), "second");
}

TEST_F(PrintPass, AFileTheArchiveHasNoRoomForIsCopiedOnceAndTriedAgainOnlyWithMoreRoomOrAChange)
{
    files.setOtherVolumes(true);
    drop("big.pdf", std::string(4096, 'x'));
    files.setRoom(1000);
    EXPECT_EQ(outcomes(run()), Outcomes{FileOutcome::NoRoom});
    EXPECT_TRUE(inWatched("big.pdf"));
    const std::size_t waits = sleeper.waits().size();
    // Held back: not waited on, not copied again.
    EXPECT_EQ(outcomes(run()), Outcomes{FileOutcome::HeldBack});
    EXPECT_EQ(sleeper.waits().size(), waits);
    // More room: it goes.
    files.setRoom(std::nullopt);
    EXPECT_EQ(outcomes(run()), Outcomes{FileOutcome::Printed});
    EXPECT_EQ(readFile(inBackup("big.pdf")), std::string(4096, 'x'));
}

TEST_F(PrintPass, HandlesEveryFileBeginningWithTheSelectionInOnePassInNameOrder)
{
    info.FileSelect = "abc";
    drop({"abc.pdf", "ABC1.pdf", "xabc.pdf", "abc.pdfx", "abc .txt"});
    run();
    EXPECT_EQ(sleeper.waits(), (Waits{3s, 3s, 5s, 3s, 3s, 5s}));
    EXPECT_EQ(printedFiles(), backupTexts({"ABC1.pdf", "abc.pdf"}));
    EXPECT_TRUE(inWatched("xabc.pdf") && inWatched("abc.pdfx") && inWatched("abc .txt"));
}

TEST_F(PrintPass, PrinterNamesMatchExactlyAndTheLastMatchOfThePassIsKept)
{
    // No name matches at first; after the first launch PDF does, after the
    // second only one with another case.
    info.PrinterNm = "";
    drop({"a.pdf", "b.pdf", "c.pdf"});
    launcher.onLaunch(
        [&](const LaunchRequest&) { info.PrinterNm = launcher.requests().size() == 1 ? "PDF" : "office"; });
    run();

    ASSERT_EQ(launcher.requests().size(), 3u);
    EXPECT_EQ(printerOf(0), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(printerOf(2), (std::vector<std::string>{"office", "Generic CUPS-PDF Printer", "cups-pdf:/"}));
}

TEST_F(PrintPass, APrintSystemThatFailsToListIsNoPrinterFound)
{
    // The first file finds its printer; for the next two the print system
    // does not answer, then cannot be reached.
    drop({"a.pdf", "b.pdf", "c.pdf"});
    launcher.onLaunch([&](const LaunchRequest&) {
        printers.setStatus(launcher.requests().size() == 1 ? PrinterListStatus::noAnswer
                                                           : PrinterListStatus::unreachable);
    });
    run();

    // Every file is still archived, launched and waited on.
    ASSERT_EQ(launcher.requests().size(), 3u);
    EXPECT_EQ(printedFiles(), backupTexts({"a.pdf", "b.pdf", "c.pdf"}));
    EXPECT_EQ(printers.calls(), 3);
    EXPECT_EQ(sleeper.waits().size(), 9u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(printerOf(i), (std::vector<std::string>{"PDF", "Generic CUPS-PDF Printer", "cups-pdf:/"}));
    }
}

TEST_F(PrintPass, AnArchiveFolderThatCannotBeMadeLeavesTheFileWhereItIs)
{
    dir.write("BackPdf", "a file where the folder should be");
    drop("a.pdf");
    run();
    EXPECT_TRUE(inWatched("a.pdf"));
    EXPECT_TRUE(launcher.requests().empty());
}

TEST(PrintCommand, ValuesGoInVerbatimAndEmptyOnesLeaveAdjacentQuotePairs)
{
    EXPECT_EQ(PrintCommandLine({}), "\"\" /t /n /s /h \"\" \"\" \"\" \"\"");
    const PrintJob job{"C:\\Program Files\\Reader\\AcroRd32.exe", "C:\\In\\BackPdf\\a \"b\".pdf", "Office",
                       "Driver", "LPT1:"};
    const LaunchRequest request = PrintLaunchRequest(job);
    EXPECT_EQ(request.commandLine, "\"C:\\Program Files\\Reader\\AcroRd32.exe\" /t /n /s /h "
                                   "\"C:\\In\\BackPdf\\a \"b\".pdf\" \"Office\" \"Driver\" \"LPT1:\"");
    EXPECT_EQ(request.arguments[5], "C:\\In\\BackPdf\\a \"b\".pdf");
}

// SumatraPDF, under any name of its, gets its own switches; every other
// reader Acrobat's line, even one whose folder is named so.
TEST(PrintCommand, SumatraPdfGetsItsOwnSwitchesAndTheDefaultPrinterWhenNoneIsSet)
{
    const std::string file = "C:\\受信 フォルダ\\BackPdf\\請求書_001.pdf";
    const PrintJob job{"C:\\Tools\\SumatraPDF-3.5.2-64.exe", file, "Office Printer", "drv", "port"};
    const LaunchRequest named = PrintLaunchRequest(job);
    EXPECT_EQ(named.commandLine,
              "\"C:\\Tools\\SumatraPDF-3.5.2-64.exe\" -print-to \"Office Printer\" -silent \"" + file + "\"");
    EXPECT_EQ(named.arguments,
              (std::vector<std::string>{job.readerPath, "-print-to", "Office Printer", "-silent", file}));

    PrintJob toDefault = job;
    toDefault.readerPath = "/opt/sumatra/sumatrapdf.EXE";
    toDefault.printerName.clear();
    const LaunchRequest unnamed = PrintLaunchRequest(toDefault);
    EXPECT_EQ(unnamed.commandLine,
              "\"/opt/sumatra/sumatrapdf.EXE\" -print-to-default -silent \"" + file + "\"");
    EXPECT_EQ(unnamed.arguments.size(), 4u);

    for (const std::string reader : {"C:\\SumatraPDF\\AcroRd32.exe", "C:\\Tools\\SumatraPDF.exe.lnk",
                                     "C:\\Tools\\MySumatraPDF.exe", "SumatraPDF"}) {
        PrintJob other = job;
        other.readerPath = reader;
        EXPECT_FALSE(IsSumatraReader(reader)) << reader;
        EXPECT_EQ(PrintCommandLine(other),
                  "\"" + reader + "\" /t /n /s /h \"" + file + "\" \"Office Printer\" \"drv\" \"port\"");
    }
    EXPECT_TRUE(IsSumatraReader("SumatraPDF.exe"));
}

TEST(PrinterLookup, TheFirstPrinterOfExactlyThatNameGivesDriverAndPort)
{
    const std::vector<PrinterEntry> printers{{"Office", "Driver A", "usb://a"},
                                             {"PDF", "Driver B", "cups-pdf:/"},
                                             {"PDF", "Driver C", "cups-pdf:/c"}};
    PrinterPort port{"kept driver", "kept port"};
    EXPECT_FALSE(LookUpPrinter(printers, "office", port));
    EXPECT_FALSE(LookUpPrinter(printers, "PDF ", port));
    EXPECT_FALSE(LookUpPrinter({}, "PDF", port));
    EXPECT_EQ(port.driverName, "kept driver");
    EXPECT_EQ(port.portName, "kept port");
    EXPECT_TRUE(LookUpPrinter(printers, "PDF", port));
    EXPECT_EQ(port.driverName, "Driver B");
    EXPECT_EQ(port.portName, "cups-pdf:/");
}

} // namespace
} // namespace kumoden::test
