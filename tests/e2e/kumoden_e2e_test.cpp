#include "tests/e2e/e2e_fixture.h"

#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

using Watch = E2e;
using Settings = E2e;
using Program = E2e;

TEST_F(Watch, PrintsMatchingFilesAndLeavesTheRest)
{
    writeWorkingIni();
    PrintOutputs printed("PDF2");
    start();
    drop("job1.pdf");
    drop("JOB2.PDF");
    drop("other.pdf");

    // Two files, each at least 3 + 3 + 5 seconds.
    ASSERT_TRUE(
        eventually(60s, [&] { return fs::exists(backup("job1.pdf")) && fs::exists(backup("JOB2.PDF")); }));
    EXPECT_EQ(printed.waitForNew(30s, 2).size(), 2u);
    EXPECT_FALSE(fs::exists(in() / "job1.pdf"));
    EXPECT_EQ(readFile(backup("job1.pdf")), minimalPdf());
    EXPECT_TRUE(fs::exists(in() / "other.pdf"));
    EXPECT_FALSE(fs::exists(backup("other.pdf")));
    EXPECT_TRUE(kumoden->running());
    // Both readers have long ended; neither may linger as a zombie.
    EXPECT_EQ(zombieChildren(kumoden->pid()), 0);
    EXPECT_EQ(kumoden->terminate(), 0);
}

TEST_F(Watch, WaitsUntilAGrowingFileHasStopped)
{
    writeWorkingIni();
    start();
    const fs::path file = in() / "job-growing.pdf";
    std::string written = minimalPdf();
    {
        std::ofstream out(file, std::ios::binary);
        out << written;
    }
    // The writer goes on for 7 seconds; the file must stay where it is meanwhile.
    for (int i = 0; i < 14; ++i) {
        std::this_thread::sleep_for(500ms);
        ASSERT_TRUE(fs::exists(file)) << "moved while still growing, after " << (i + 1) * 500 << " ms";
        std::ofstream out(file, std::ios::binary | std::ios::app);
        const std::string more = "% more " + std::to_string(i) + "\n";
        out << more;
        written += more;
    }
    ASSERT_TRUE(eventually(30s, [&] { return fs::exists(backup("job-growing.pdf")); }));
    EXPECT_EQ(readFile(backup("job-growing.pdf")), written);
    EXPECT_TRUE(kumoden->running());
}

TEST_F(Watch, OddNamesLinksAndPipes)
{
    // No reader: every file goes to the archive unprinted, without the wait
    // that follows a launch.
    writeIni("FileChkTime=300\r\nFileChkDir=" + in().string() +
             "\r\nAcrExeDir=" + (app() / "no-reader").string() + "\r\nPrinterNm=PDF2\r\n");
    const std::vector<std::string> names{"quote\"d.pdf", "with blank.pdf", "new\nline.pdf", "\xff\xfe.pdf",
                                         std::string(251, 'n') + ".pdf"};
    for (const auto& name : names) {
        drop(name);
    }
    const fs::path outside = dir.write("outside.pdf", minimalPdf());
    fs::create_symlink(outside, in() / "link.pdf");
    ASSERT_EQ(mkfifo((in() / "fifo.pdf").c_str(), 0600), 0);
    start();

    ASSERT_TRUE(eventually(90s, [&] {
        for (const auto& name : names) {
            if (!fs::exists(backup(name))) {
                return false;
            }
        }
        return true;
    }));
    EXPECT_TRUE(fs::is_symlink(in() / "link.pdf"));
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(fs::is_fifo(in() / "fifo.pdf"));
    EXPECT_TRUE(kumoden->running());
}

TEST_F(Watch, AnArchiveThatCannotBeMadeKeepsTheFile)
{
    writeWorkingIni();
    dir.write("in/BackPdf", "a file where the archive folder should be");
    drop("job1.pdf");
    start();
    // Long enough for two whole attempts.
    std::this_thread::sleep_for(15s);
    EXPECT_TRUE(fs::exists(in() / "job1.pdf"));
    EXPECT_TRUE(kumoden->running());
    EXPECT_EQ(kumoden->terminate(), 0);
}

TEST_F(Watch, NoSchedulerStillArchives)
{
    writeWorkingIni();
    drop("job1.pdf");
    start({"CUPS_SERVER=" + (dir.path() / "no-scheduler.sock").string()});
    ASSERT_TRUE(eventually(30s, [&] { return fs::exists(backup("job1.pdf")); }));
    std::this_thread::sleep_for(6s);
    EXPECT_TRUE(kumoden->running());
}

TEST_F(Settings, BadFilesNeverEndTheProgram)
{
    std::string binary;
    for (int i = 0; i < 65536; ++i) {
        binary.push_back(static_cast<char>((i * 131 + 7) % 256));
    }
    const std::vector<std::string> bodies{
        binary,
        "FileChkTime=abc\r\n",
        "FileChkTime=99999999999\r\n",
        "FileChkTime=-5\r\n",
        "FileChkTime=100\r\nFileChkDir=" + std::string(1 << 20, 'x') + "\r\n",
        "FileChkTime=100\r\nFileChkDir=\r\nFileSelect=\xff\xfe\r\n",
    };
    for (const auto& body : bodies) {
        dir.write("app/kumoden.INI", body);
        start();
        std::this_thread::sleep_for(1500ms);
        EXPECT_TRUE(kumoden->running()) << body.substr(0, 40);
        EXPECT_EQ(kumoden->terminate(), 0);
    }
    // No section at all, then no file at all.
    dir.write("app/kumoden.INI", "FileChkTime=100\r\n");
    start();
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(kumoden->running());
    EXPECT_EQ(kumoden->terminate(), 0);
    fs::remove(app() / "kumoden.INI");
    start();
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(kumoden->running());
    EXPECT_EQ(kumoden->terminate(), 0);
}

TEST_F(Program, CopiedAnywhereReadsTheIniBesideIt)
{
    // Renamed, the copy reads the INI of its new name and no other.
    fs::rename(app() / "kumoden", app() / "watcher");
    writeIni("FileChkTime=300\r\nFileChkDir=" + in().string() + "\r\nAcrExeDir=" + (app() / "none").string() +
                 "\r\n",
             "watcher.INI");
    writeIni("FileChkTime=0\r\n", "kumoden.INI");
    drop("job1.pdf");
    Process watcher({(app() / "watcher").string()}, environment());
    ASSERT_TRUE(eventually(30s, [&] { return fs::exists(backup("job1.pdf")); }));
    EXPECT_EQ(watcher.terminate(), 0);
}

} // namespace
} // namespace kumoden::test

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;

TEST_F(Program, RunsOnWithoutADisplayThatAnswers)
{
    writeIni("FileChkTime=300\r\nFileChkDir=" + in().string() + "\r\nAcrExeDir=" + (app() / "none").string() +
             "\r\n");
    drop("job1.pdf");
    // A display named but not there: the program goes on headless.
    kumoden = std::make_unique<Process>(std::vector<std::string>{(app() / "kumoden").string()},
                                        std::vector<std::string>{"DISPLAY=:87", "QT_QPA_PLATFORM="});
    ASSERT_TRUE(eventually(30s, [&] { return std::filesystem::exists(backup("job1.pdf")); }));
    EXPECT_EQ(kumoden->terminate(), 0);
}

} // namespace
} // namespace kumoden::test
