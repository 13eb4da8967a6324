#include "printing/printer_lookup.h"
#include "tests/unit/watch_fixture.h"
#include "watch/print_command.h"
#include "watch/print_pass.h"

#include <fstream>
#include <stdexcept>

namespace kumoden::test {
namespace {

class PrintPass : public WatchFixture {
protected:
    std::vector<FileResult> run() { return PrintPdfFiles(watched(), info, services, trail); }
    std::optional<FileResult> resume() { return ResumeCutShortLaunch(watched(), info, services, trail); }
    std::filesystem::path record() const { return inBackup(".kumoden-launch"); }
    // The time of the fake clock after so many milliseconds.
    LocalTime at(int ms) const { return LocalTime{} + milliseconds(ms); }
};

TEST_F(PrintPass, EachEventIsToldWhenItHappensAPrintedFileBeforeTheWaitAfterItsLaunch)
{
    drop("a.pdf");
    drop("b.pdf");
    files.setTakeResult(std::nullopt);
    launcher.onLaunch([&](const LaunchRequest&) {
        // The second file is found in use when its turn comes.
        files.setTakeResult(TakeResult::InUse);
    });
    run();
    using Event = EventTrail::Event;
    EXPECT_EQ(trail.events, (std::vector<Event>{{"archived a.pdf", at(6000)},
                                                {"finished a.pdf", at(6000)},
                                                {"finished b.pdf", at(17000)}}));
}

TEST_F(PrintPass, ARequestToEndStopsAtTheNextWaitAndLeavesEveryFileInOnePlace)
{
    // Asked during the first settle wait: nothing is taken.
    drop("a.pdf");
    drop("b.pdf");
    sleeper.onSleep([&](std::size_t n) {
        if (n == 1) {
            sleeper.requestStop();
        }
    });
    EXPECT_TRUE(run().empty());
    EXPECT_EQ(sleeper.waits(), (Waits{milliseconds(3000)}));
    EXPECT_TRUE(std::filesystem::exists(inFolder("a.pdf")));
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_TRUE(trail.events.empty());
}

TEST_F(PrintPass, ARequestToEndDuringTheWaitAfterALaunchEndsThePassAfterThatFile)
{
    drop("a.pdf");
    drop("b.pdf");
    sleeper.onSleep([&](std::size_t n) {
        if (n == 3) {
            sleeper.requestStop();
        }
    });
    const auto results = run();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, FileOutcome::Printed);
    EXPECT_EQ(printedFiles(), (std::vector<std::string>{backupText("a.pdf")}));
    EXPECT_TRUE(std::filesystem::exists(inFolder("b.pdf")));
    EXPECT_FALSE(std::filesystem::exists(record()));
    EXPECT_EQ(sleeper.waits().size(), 3u);
}

TEST_F(PrintPass, AFileArchivedByAProcessThatDiedBeforeItsLaunchIsLaunchedOnceAfterwards)
{
    // The process dies in the printer lookup of the first file.
    const auto dieInLookup = [&] {
        printers.onList([&] {
            printers.onList(nullptr);
            throw std::runtime_error("killed");
        });
        EXPECT_THROW(run(), std::runtime_error);
        EXPECT_TRUE(std::filesystem::exists(record()));
        // Hidden: neither the purge nor a query of the archive sees it.
        EXPECT_EQ(files.listFiles(backupText("*.*")).front(), "a.pdf");
        EXPECT_EQ(files.listFiles(backupText(".*")), (std::vector<std::string>{}));
    };
    drop("a.pdf", "first");
    drop("b.pdf");
    dieInLookup();
    EXPECT_TRUE(launcher.requests().empty());

    const auto resumed = resume();
    ASSERT_TRUE(resumed);
    EXPECT_EQ(resumed->outcome, FileOutcome::Printed);
    EXPECT_EQ(printedFiles(), (std::vector<std::string>{backupText("a.pdf")}));
    EXPECT_FALSE(std::filesystem::exists(record()));
    EXPECT_FALSE(resume());
    run();
    EXPECT_EQ(printedFiles(), (std::vector<std::string>{backupText("a.pdf"), backupText("b.pdf")}));

    // A record whose file the archive no longer holds, or holds another
    // file under its name (an older backup), launches nothing and goes.
    for (const bool older : {true, false}) {
        drop("a.pdf", "again");
        dieInLookup();
        std::filesystem::remove(inBackup("a.pdf"));
        if (older) {
            dir.write("BackPdf/a.pdf", "an older backup");
        }
        EXPECT_FALSE(resume()) << older;
        EXPECT_FALSE(std::filesystem::exists(record())) << older;
        EXPECT_EQ(launcher.requests().size(), 2u) << older;
    }
}

TEST_F(PrintPass, AStableFileIsArchivedAfterTwoWaitsAndPrintedFromTheArchive)
{
    drop("a.pdf");
    run();

    EXPECT_EQ(sleeper.waits(), (Waits{milliseconds(3000), milliseconds(3000), milliseconds(5000)}));
    EXPECT_FALSE(std::filesystem::exists(inFolder("a.pdf")));
    EXPECT_EQ(readFile(inBackup("a.pdf")), "%PDF-1.4 test");
    ASSERT_EQ(launcher.requests().size(), 1u);
    const auto& request = launcher.requests().front();
    const std::string backup = backupText("a.pdf");
    EXPECT_EQ(request.commandLine, "\"/opt/reader/kumoden-print\" /t /n /s /h \"" + backup +
                                       "\" \"PDF\" \"Generic CUPS-PDF Printer\" \"cups-pdf:/\"");
    EXPECT_EQ(request.arguments,
              (std::vector<std::string>{"/opt/reader/kumoden-print", "/t", "/n", "/s", "/h", backup, "PDF",
                                        "Generic CUPS-PDF Printer", "cups-pdf:/"}));
}

TEST_F(PrintPass, AGrowingFileGetsOneMoreWaitAndANewReading)
{
    drop("a.pdf", "%PDF");
    // The writer appends during the first wait and during the extra one.
    sleeper.onSleep([&](std::size_t n) {
        if (n <= 2) {
            std::ofstream(inFolder("a.pdf"), std::ios::app) << std::string(100 * n, 'x');
        }
    });
    run();

    EXPECT_EQ(sleeper.waits(),
              (Waits{milliseconds(3000), milliseconds(3000), milliseconds(3000), milliseconds(5000)}));
    EXPECT_EQ(std::filesystem::file_size(inBackup("a.pdf")), 304u);
}

TEST_F(PrintPass, AFileThatVanishesWhileWaitedOnIsNeitherMovedNorPrinted)
{
    drop("a.pdf");
    sleeper.onSleep([&](std::size_t n) {
        if (n == 1) {
            std::filesystem::remove(inFolder("a.pdf"));
        }
    });
    const auto results = run();

    EXPECT_EQ(sleeper.waits(), (Waits{milliseconds(3000), milliseconds(3000)}));
    EXPECT_TRUE(launcher.requests().empty());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, FileOutcome::Vanished);
}

TEST_F(PrintPass, AnotherFileSwappedInDuringTheWaitIsLeftAloneUntilItIsFoundItself)
{
    drop("a.pdf", "found");
    // Another file takes the name during the first wait.
    sleeper.onSleep([&](std::size_t n) {
        if (n == 1) {
            drop("other", "swapped in");
            std::filesystem::rename(inFolder("other"), inFolder("a.pdf"));
        }
    });
    const auto results = run();

    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, FileOutcome::NotTheFileFound);
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_EQ(readFile(inFolder("a.pdf")), "swapped in");
    EXPECT_FALSE(std::filesystem::exists(inBackup("a.pdf")));

    // Next tick it is the file found, and goes out.
    run();
    EXPECT_EQ(readFile(inBackup("a.pdf")), "swapped in");
    EXPECT_EQ(printedFiles(), (std::vector<std::string>{backupText("a.pdf")}));
}

TEST_F(PrintPass, AFileStillOpenForWritingStaysAndIsNotPrinted)
{
    drop("a.pdf");
    files.setTakeResult(TakeResult::InUse);
    const auto results = run();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, FileOutcome::InUse);
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_TRUE(std::filesystem::exists(inFolder("a.pdf")));

    files.setTakeResult(std::nullopt);
    EXPECT_EQ(run()[0].outcome, FileOutcome::Printed);
    EXPECT_EQ(launcher.requests().size(), 1u);
}

TEST_F(PrintPass, AnOlderBackupOfTheSameNameIsReplacedEvenWhenReadOnly)
{
    const auto old = dir.write("BackPdf/a.pdf", "old");
    MakeReadOnly(old);
    drop("a.pdf", "new");
    run();

    EXPECT_EQ(readFile(inBackup("a.pdf")), "new");
    EXPECT_EQ(printedFiles(), (std::vector<std::string>{backupText("a.pdf")}));
}

TEST_F(PrintPass, AFileThatCannotBeMovedStaysAndNothingIsPrintedForIt)
{
    drop("a.pdf");
    dir.write("BackPdf/b.pdf", "older b");
    drop("b.pdf", "newer b");
    files.setMoveFails(true);
    run();

    // Printing the backup path would have printed the older b.
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_EQ(printers.calls(), 0);
    EXPECT_EQ(sleeper.waits(), (Waits(4, milliseconds(3000))));
    EXPECT_TRUE(std::filesystem::exists(inFolder("a.pdf")));
    // The older backup stays until a move has replaced it.
    EXPECT_EQ(readFile(inFolder("b.pdf")), "newer b");
    EXPECT_EQ(readFile(inBackup("b.pdf")), "older b");

    // Next tick the move works and both go out.
    files.setMoveFails(false);
    run();
    EXPECT_EQ(printedFiles().size(), 2u);
    EXPECT_EQ(readFile(inBackup("b.pdf")), "newer b");
}

TEST_F(PrintPass, AReaderThatCannotBeStartedSendsTheFileBackToBeTriedAgain)
{
    drop("a.pdf");
    drop("b.pdf");
    launcher.setFail(true);
    const auto results = run();

    // No wait after a launch that failed.
    EXPECT_EQ(sleeper.waits(), (Waits(4, milliseconds(3000))));
    EXPECT_EQ(launcher.requests().size(), 2u);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].outcome, FileOutcome::ReaderNotStarted);
    EXPECT_EQ(results[1].returnedAs, "b.pdf");
    EXPECT_TRUE(std::filesystem::exists(inFolder("a.pdf")));
    EXPECT_TRUE(std::filesystem::exists(inFolder("b.pdf")));
    EXPECT_FALSE(std::filesystem::exists(inBackup("a.pdf")));

    // With a reader, each is printed once.
    launcher.setFail(false);
    run();
    EXPECT_EQ(printedFiles().size(), 4u);
    EXPECT_TRUE(std::filesystem::exists(inBackup("a.pdf")));
    EXPECT_FALSE(std::filesystem::exists(inFolder("a.pdf")));
    EXPECT_FALSE(std::filesystem::exists(inFolder("b.pdf")));
}

TEST_F(PrintPass, AFileSentBackNeverReplacesANewcomerOfItsName)
{
    drop("Job.PDF", "first");
    launcher.setFail(true);
    // The newcomer arrives while the reader is being started.
    launcher.onLaunch([&](const LaunchRequest&) { drop("Job.PDF", "newcomer"); });
    const auto results = run();

    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].returnedAs, "Job (2).PDF");
    EXPECT_EQ(readFile(inFolder("Job.PDF")), "newcomer");
    EXPECT_EQ(readFile(inFolder("Job (2).PDF")), "first");
    EXPECT_FALSE(std::filesystem::exists(inBackup("Job.PDF")));
}

TEST_F(PrintPass, AFileWithNoWayBackStaysArchivedRatherThanBeLost)
{
    drop("a.pdf", "kept");
    launcher.setFail(true);
    launcher.onLaunch([&](const LaunchRequest&) { files.setMoveFails(true); });
    const auto results = run();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, FileOutcome::ReaderNotStartedStuck);
    EXPECT_EQ(readFile(inBackup("a.pdf")), "kept");
}

TEST_F(PrintPass, HandlesEveryMatchingFileInOnePassInNameOrder)
{
    drop("b.pdf");
    drop("A.PDF");
    drop("c.txt");
    run();

    const Waits perFile{milliseconds(3000), milliseconds(3000), milliseconds(5000)};
    Waits both = perFile;
    both.insert(both.end(), perFile.begin(), perFile.end());
    EXPECT_EQ(sleeper.waits(), both);
    EXPECT_EQ(printedFiles(), (std::vector<std::string>{backupText("A.PDF"), backupText("b.pdf")}));
    EXPECT_TRUE(std::filesystem::exists(inFolder("c.txt")));
}

TEST_F(PrintPass, OnlyFilesBeginningWithTheSelectionAreTaken)
{
    info.FileSelect = "abc";
    for (const char* name : {"abc.pdf", "ABC1.pdf", "xabc.pdf", "abc.pdfx", "abc .txt"}) {
        drop(name);
    }
    run();
    EXPECT_EQ(printedFiles(), (std::vector<std::string>{backupText("ABC1.pdf"), backupText("abc.pdf")}));
    EXPECT_TRUE(std::filesystem::exists(inFolder("xabc.pdf")));
    EXPECT_TRUE(std::filesystem::exists(inFolder("abc.pdfx")));
}

TEST_F(PrintPass, PrinterNamesMatchExactlyAndTheLastMatchOfThePassIsKept)
{
    drop("a.pdf");
    drop("b.pdf");
    drop("c.pdf");
    // After the first launch the printer name changes to one with another case.
    launcher.onLaunch([&](const LaunchRequest&) { info.PrinterNm = "office"; });
    run();

    ASSERT_EQ(launcher.requests().size(), 3u);
    const auto& second = launcher.requests()[1].arguments;
    EXPECT_EQ(second[6], "office");
    EXPECT_EQ(second[7], "Generic CUPS-PDF Printer");
    EXPECT_EQ(second[8], "cups-pdf:/");
}

TEST_F(PrintPass, APrintSystemThatFailsToListIsNoPrinterFound)
{
    // The first file finds its printer; for the next two the print system
    // does not answer, then cannot be reached.
    drop("a.pdf");
    drop("b.pdf");
    drop("c.pdf");
    launcher.onLaunch([&](const LaunchRequest&) {
        printers.setStatus(launcher.requests().size() == 1 ? PrinterListStatus::noAnswer
                                                           : PrinterListStatus::unreachable);
    });
    run();

    // Every file is still archived, launched and waited on.
    ASSERT_EQ(launcher.requests().size(), 3u);
    EXPECT_EQ(printedFiles(),
              (std::vector<std::string>{backupText("a.pdf"), backupText("b.pdf"), backupText("c.pdf")}));
    EXPECT_EQ(printers.calls(), 3);
    EXPECT_EQ(sleeper.waits().size(), 9u);
    for (const auto& request : launcher.requests()) {
        EXPECT_EQ(std::vector<std::string>(request.arguments.begin() + 6, request.arguments.end()),
                  (std::vector<std::string>{"PDF", "Generic CUPS-PDF Printer", "cups-pdf:/"}));
    }
}

TEST_F(PrintPass, NoMatchingPrinterGivesEmptyDriverAndPort)
{
    info.PrinterNm = "";
    drop("a.pdf");
    run();
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].commandLine,
              "\"/opt/reader/kumoden-print\" /t /n /s /h \"" + backupText("a.pdf") + "\" \"\" \"\" \"\"");
}

TEST_F(PrintPass, AMissingFileFacilityIsReportedAndNoFileIsTouched)
{
    files.setObjectAvailable(false);
    drop("a.pdf");
    run();

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text,
              "File Systemオブジェクトが必要です。Windows Scriptを導入して下さい。");
    EXPECT_EQ(messages.shown()[0].title, "エラーメッセージ");
    EXPECT_EQ(messages.shown()[0].buttons, MessageButtons::OkCancel);
    EXPECT_TRUE(sleeper.waits().empty());
    EXPECT_TRUE(std::filesystem::exists(inFolder("a.pdf")));
}

TEST_F(PrintPass, AnArchiveFolderThatCannotBeMadeLeavesTheFileWhereItIs)
{
    dir.write("BackPdf", "a file where the folder should be");
    drop("a.pdf");
    run();
    EXPECT_TRUE(std::filesystem::exists(inFolder("a.pdf")));
    EXPECT_TRUE(launcher.requests().empty());
}

TEST(PrintCommand, EmptyValuesLeaveAdjacentQuotePairs)
{
    EXPECT_EQ(PrintCommandLine({}), "\"\" /t /n /s /h \"\" \"\" \"\" \"\"");
}

TEST(PrintCommand, ValuesGoInVerbatim)
{
    const PrintJob job{"C:\\Program Files\\Reader\\AcroRd32.exe", "C:\\In\\BackPdf\\a \"b\".pdf", "Office",
                       "Driver", "LPT1:"};
    EXPECT_EQ(PrintCommandLine(job), "\"C:\\Program Files\\Reader\\AcroRd32.exe\" /t /n /s /h "
                                     "\"C:\\In\\BackPdf\\a \"b\".pdf\" \"Office\" \"Driver\" \"LPT1:\"");
    EXPECT_EQ(PrintLaunchRequest(job).arguments[5], "C:\\In\\BackPdf\\a \"b\".pdf");
}

} // namespace
} // namespace kumoden::test

namespace kumoden {
namespace {

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
} // namespace kumoden
