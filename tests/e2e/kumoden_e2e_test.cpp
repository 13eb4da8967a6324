#include "tests/e2e/e2e_fixture.h"
#include "tests/support/print_outputs.h"
#include "tests/support/x_display.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

using Watch = E2e;
using Settings = E2e;
using Program = E2e;
using Jobs = E2e;

// Files still written to, by a writer that goes on or by one that holds
// the file open, wait; the others matching print once, the rest stay. Two
// copies of the program watch the folder: each file still prints once.
TEST_F(Watch, PrintsMatchingFilesOnceWhenTheirWritersAreDoneAndLeavesTheRest)
{
    writeWorkingIni();
    PrintOutputs printed("PDF2");
    fs::create_directories(dir.path() / "app2");
    fs::copy_file(app() / "kumoden", dir.path() / "app2" / "kumoden");
    fs::copy_file(app() / "kumoden.INI", dir.path() / "app2" / "kumoden.INI");
    start();
    Process second({(dir.path() / "app2" / "kumoden").string()}, environment());
    drop("job1.pdf");
    drop("JOB2.PDF");
    drop("other.pdf");
    const std::string pdf = tinyPdf();
    const fs::path held = in() / "job-open.pdf";
    const int writer = ::open(held.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(writer, 0);
    const std::size_t half = pdf.size() / 2;
    ASSERT_EQ(write(writer, pdf.data(), half), static_cast<ssize_t>(half));

    // The growing file's writer goes on for 7 seconds; it stays where it is meanwhile.
    const fs::path growing = in() / "job-growing.pdf";
    std::string written = pdf;
    std::ofstream(growing, std::ios::binary) << written;
    for (int i = 0; i < 14; ++i) {
        std::this_thread::sleep_for(500ms);
        ASSERT_TRUE(fs::exists(growing)) << "moved while still growing, after " << (i + 1) * 500 << " ms";
        const std::string more = "% more " + std::to_string(i) + "\n";
        std::ofstream(growing, std::ios::binary | std::ios::app) << more;
        written += more;
    }
    // The held file's writer pauses; a tick (of either copy) meets the file,
    // waits out its size and leaves it, saying so.
    const auto logs = [&] { return log() + readFile(dir.path() / "app2" / "kumoden.log"); };
    ASSERT_TRUE(eventually(60s, [&] {
        return countOf(logs(), "書き込み中のため次の回に: job-open.pdf") >= 1;
    })) << logs();
    EXPECT_EQ(readFile(held), pdf.substr(0, half));
    EXPECT_FALSE(fs::exists(backup("job-open.pdf")));
    ASSERT_EQ(write(writer, pdf.data() + half, pdf.size() - half), static_cast<ssize_t>(pdf.size() - half));
    close(writer);

    // Each file at least 3 + 3 + 5 seconds.
    ASSERT_TRUE(archived({"job1.pdf", "JOB2.PDF", "job-growing.pdf", "job-open.pdf"}, 120s));
    EXPECT_EQ(readFile(backup("job1.pdf")), pdf);
    EXPECT_EQ(readFile(backup("job-growing.pdf")), written);
    EXPECT_EQ(readFile(backup("job-open.pdf")), pdf);
    EXPECT_FALSE(fs::exists(in() / "job1.pdf"));
    EXPECT_TRUE(fs::exists(in() / "other.pdf"));
    EXPECT_FALSE(fs::exists(backup("other.pdf")));
    // One more file: five prints in all, so the waiting ones went out once.
    drop("job-next.pdf");
    ASSERT_TRUE(archived({"job-next.pdf"}));
    EXPECT_EQ(printed.waitForNew(30s, 5).size(), 5u);
    EXPECT_TRUE(kumoden->running());
    // The readers have long ended; none may linger as a zombie.
    const RunResult children = runProgram({"ps", "--ppid", std::to_string(kumoden->pid()), "-o", "stat="});
    EXPECT_EQ(countOf(children.out, "Z"), 0u) << children.out;
    EXPECT_EQ(second.terminate(), 0);
    EXPECT_EQ(kumoden->terminate(), 0);
    EXPECT_EQ(printed.newFiles().size(), 5u);
}

// Odd names, links and pipes, an archive folder that cannot be made yet, and
// neither a scheduler nor a display that answers: what can be archived is.
TEST_F(Watch, OddNamesLinksPipesAndAnArchiveThatCannotBeMadeYetWithoutASchedulerOrADisplay)
{
    writeWatchIni(builtProgram("kumoden-print").string(), "PrinterNm=PDF2\r\n");
    const std::vector<std::string> names{"job1.pdf",      "quote\"d.pdf", "with blank.pdf",
                                         "new\nline.pdf", "\xff\xfe.pdf", std::string(251, 'n') + ".pdf"};
    for (const auto& name : names) {
        drop(name);
    }
    const fs::path outside = dir.write("outside.pdf", tinyPdf());
    fs::create_symlink(outside, in() / "link.pdf");
    ASSERT_EQ(mkfifo((in() / "fifo.pdf").c_str(), 0600), 0);
    const fs::path blocker = dir.write("in/BackPdf", "a file where the archive folder should be");
    // A display that lets no one in without its key (in the file's format:
    // any address, any display, MIT-MAGIC-COOKIE-1), which no one has.
    const fs::path key = dir.write("key", std::string("\xff\xff\0\0\0\0\0\x12", 8) + "MIT-MAGIC-COOKIE-1" +
                                              std::string("\0\x10", 2) + std::string(16, 'k'));
    XServer server({"-auth", key.string()});
    const fs::path noKey = dir.write("no-key", "");
    setenv("XAUTHORITY", noKey.c_str(), 1);
    EXPECT_THROW(XDisplay{server.name()}, std::runtime_error);
    // The program goes on headless.
    kumoden = std::make_unique<Process>(
        std::vector<std::string>{(app() / "kumoden").string()},
        std::vector<std::string>{
            "DISPLAY=" + server.name(), "XAUTHORITY=" + noKey.string(),
            "QT_QPA_PLATFORM=", "CUPS_SERVER=" + (dir.path() / "no-scheduler.sock").string()});

    // The tick that tried the archive says so, and leaves the file.
    ASSERT_TRUE(eventually(30s, [&] { return countOf(log(), "BackPdf に移動できません: job1.pdf") == 1; }))
        << log();
    EXPECT_EQ(readFile(in() / "job1.pdf"), tinyPdf());
    EXPECT_EQ(readFile(blocker), "a file where the archive folder should be");
    // Once the folder can be made, the same files go there.
    fs::remove(blocker);
    ASSERT_TRUE(archived(names, 120s));
    EXPECT_EQ(readFile(backup("job1.pdf")), tinyPdf());
    // The pass that took the last of them in name order went past these.
    EXPECT_TRUE(fs::is_symlink(in() / "link.pdf"));
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(fs::is_fifo(in() / "fifo.pdf"));
    // Each reader's end is in the log with its reason: one failure ends
    // nothing, the next file goes the same way.
    const std::string reason =
        "印刷プログラムがエラーで終了しました: kumoden-print: cannot reach the print scheduler at ";
    EXPECT_TRUE(eventually(30s, [&] { return countOf(log(), reason) == names.size(); })) << log();
    EXPECT_EQ(countOf(log(), backup("job1.pdf").string() + ", プリンター「PDF2」"), 2u) << "launch and end";
    EXPECT_EQ(kumoden->terminate(), 0);
}

// A file whose job the printer fails is told once with the printer's reason,
// and never sent again: kumoden-print makes one job a launch.
TEST_F(Jobs, AFileThePrinterFailsIsToldNotPrintedOnceAndNeverSentAgain)
{
    writeWatchIni(builtProgram("kumoden-print").string(), "FileSelect=job\r\nPrinterNm=FAIL\r\n");
    const auto told = [&](const std::string& name) {
        return countOf(log(), "印刷されていません: " + backup(name).string() +
                                  ", プリンター「FAIL」。プリンターでエラーになりました: kumoden-print: "
                                  "failed at the printer: job ");
    };
    drop("job1.pdf");
    drop("job2.pdf");
    start();
    ASSERT_TRUE(eventually(60s, [&] { return told("job1.pdf") == 1 && told("job2.pdf") == 1; })) << log();
    // A later file goes its way, and the earlier ones are neither sent nor told again.
    drop("job3.pdf");
    EXPECT_TRUE(eventually(60s, [&] { return told("job3.pdf") == 1; })) << log();
    EXPECT_EQ(kumoden->terminate(), 0);
    for (const char* name : {"job1.pdf", "job2.pdf", "job3.pdf"}) {
        EXPECT_EQ(told(name), 1u) << name;
        EXPECT_EQ(countOf(log(), launchLine(name)), 1u) << name;
        EXPECT_TRUE(fs::exists(backup(name))) << name;
    }
    EXPECT_EQ(countOf(log(), " on queue FAIL (paper jam in tray 2)"), 3u) << log();
    EXPECT_EQ(countOf(log(), "印刷しました"), 0u);
}

TEST_F(Settings, BadFilesNeverEndTheProgram)
{
    std::string junk;
    for (int i = 0; i < 65536; ++i) {
        junk.push_back(static_cast<char>((i * 131 + 7) % 256));
    }
    // Each INI ("<in>" for its own watched folder, empty for none at all),
    // and whether it still has ticks: a tick's purge takes the old backup
    // there, as no archived file is kept for a day.
    const auto watch = [](const std::string& tick, const std::string& section = "[FileCheck_Info]\r\n") {
        return section + "FileChkTime=" + tick + "\r\nFileDelDate=0\r\nFileChkDir=<in>";
    };
    const std::vector<std::pair<std::string, bool>> inis{
        {watch("300") + "\r\n" + junk, true},
        {watch("300") + std::string(1 << 20, '/') + "\r\n", true}, // read as far as the buffer goes
        {watch("300") + "\r\nFileSelect=\xff\xfe\r\n", true},
        {junk, false},
        {watch("abc") + "\r\n", false},
        {watch("99999999999") + "\r\n", false},
        {watch("-5") + "\r\n", false},
        {watch("300", "") + "\r\n", false}, // no section
        {"", false},
    };
    std::vector<std::unique_ptr<Process>> programs;
    for (std::size_t i = 0; i < inis.size(); ++i) {
        const fs::path folder = dir.path() / std::to_string(i);
        dir.write(folder / "in" / "BackPdf" / "old.pdf", tinyPdf());
        fs::copy_file(app() / "kumoden", folder / "kumoden");
        std::string ini = inis[i].first;
        if (const std::size_t at = ini.find("<in>"); at != std::string::npos) {
            ini.replace(at, 4, (folder / "in").string());
        }
        if (!ini.empty()) {
            dir.write(folder / "kumoden.INI", ini);
        }
        programs.push_back(std::make_unique<Process>(std::vector<std::string>{(folder / "kumoden").string()},
                                                     environment()));
    }
    const auto ticked = [&](std::size_t i) {
        return !fs::exists(dir.path() / std::to_string(i) / "in" / "BackPdf" / "old.pdf");
    };
    // Those that still have ticks have run one; the others had as long.
    EXPECT_TRUE(eventually(60s, [&] {
        std::size_t i = 0;
        return std::all_of(inis.begin(), inis.end(),
                           [&](const auto& ini) { return ticked(i++) || !ini.second; });
    }));
    for (std::size_t i = 0; i < inis.size(); ++i) {
        EXPECT_EQ(ticked(i), inis[i].second) << "INI " << i;
        EXPECT_EQ(programs[i]->terminate(), 0) << "INI " << i;
    }
}

TEST_F(Program, AnswersItsOptionsAndReadsTheIniBesideItOrTheOneNamed)
{
    const std::string program = (app() / "kumoden").string();
    const RunResult version = runProgram({program, "--version"}, environment());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "kumoden " KUMODEN_VERSION "\n");
    // Options of Qt's are not the program's either.
    for (const char* refused : {"--bogus", "-platform"}) {
        const RunResult result = runProgram({program, refused}, environment());
        EXPECT_EQ(result.exitCode, 2) << refused;
        EXPECT_TRUE(result.err.starts_with("kumoden: unknown option")) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }

    // A copy of another name reads the INI of its name and no other.
    writeIni("FileChkTime=0\r\n");
    fs::copy_file(program, app() / "watcher");
    writeWatchIni(noPrinting(), "", "watcher.INI");
    drop("job1.pdf");
    Process watcher({(app() / "watcher").string()}, environment());
    ASSERT_TRUE(archived({"job1.pdf"}));
    EXPECT_EQ(watcher.terminate(), 0);

    // The named INI, not the one beside the program; the log beside it.
    const fs::path named =
        dir.write("settings/print.ini", "[FileCheck_Info]\r\nFileChkTime=300\r\nFileChkDir=" + in().string() +
                                            "\r\nAcrExeDir=" + noPrinting() + "\r\n");
    drop("job2.pdf");
    Process named1({program, "--ini", named.string()}, environment());
    ASSERT_TRUE(archived({"job2.pdf"}));
    // The log's line comes once the reader's waits are over.
    EXPECT_TRUE(eventually(30s, [&] { return fs::exists(dir.path() / "settings" / "print.log"); }));
    EXPECT_FALSE(fs::exists(app() / "kumoden.log"));
    // One instance per INI: the same INI by another path ends at once.
    const std::string roundabout = (dir.path() / "settings" / ".." / "settings" / "print.ini").string();
    const RunResult second = runProgram({program, "--ini=" + roundabout}, environment(), 20s);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(named1.running());
    EXPECT_EQ(named1.terminate(), 0);
}

TEST_F(Watch, ReadersThatNeverEndUnderALowDescriptorLimitLeaveTheWatchSeeing)
{
    // A reader that says a word and stays; it notes its process id.
    const fs::path pids = dir.path() / "readers.txt";
    const fs::path reader =
        script("reader", "echo $$ >> '" + pids.string() + "'\necho staying >&2\nexec sleep 600\n");
    writeWatchIni(reader.string(), "FileSelect=job\r\nPrinterNm=PDF2\r\n");
    for (int i = 1; i <= 14; ++i) {
        drop("job" + std::to_string(i) + ".pdf");
    }
    kumoden = std::make_unique<Process>(
        std::vector<std::string>{"prlimit", "--nofile=32", (app() / "kumoden").string()}, environment());
    EXPECT_TRUE(eventually(280s, [&] { return countOf(log(), "印刷プログラムを起動") == 14; })) << log();
    // One more file is still seen, archived and handed on.
    drop("job15.pdf");
    EXPECT_TRUE(eventually(60s, [&] { return countOf(log(), "印刷プログラムを起動") == 15; })) << log();
    // The launch is told as it is made; the reader notes itself a moment later.
    EXPECT_TRUE(eventually(10s, [&] { return countOf(readFile(pids), "\n") == 15u; })) << readFile(pids);
    const auto givenUp = countOf(log(), "同時に動いている印刷プログラムが多すぎるため、終了を見届けません");
    EXPECT_GT(givenUp, 0u);
    EXPECT_LT(givenUp, 15u);
    EXPECT_EQ(kumoden->terminate(), 0);
    std::istringstream each(readFile(pids));
    for (pid_t pid = 0; each >> pid;) {
        kill(pid, SIGKILL);
    }
}

} // namespace
} // namespace kumoden::test
