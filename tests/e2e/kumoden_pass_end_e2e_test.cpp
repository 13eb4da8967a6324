// The print pass ended from outside: by SIGTERM or the session's end at its
// next wait, and by SIGKILL between a file's archive (a copy to another file
// system) and its launch. Either way every file is in the watched folder or
// in the archive, and after a restart each is launched exactly once.
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/silent_scheduler.h"

#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <functional>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class PassEnd : public E2e {
protected:
    bool logged(const std::string& text) const { return log().find(text) != std::string::npos; }
    // The moment, in seconds since the epoch, of the log line holding text.
    double loggedMoment(const std::string& text) const
    {
        const std::string all = log();
        const auto at = all.rfind('\n', all.find(text));
        std::tm moment{};
        moment.tm_isdst = -1;
        std::istringstream(all.substr(at == std::string::npos ? 0 : at + 1, 19)) >>
            std::get_time(&moment, "%Y-%m-%d %H:%M:%S");
        return static_cast<double>(std::mktime(&moment));
    }
    // The moment noted in "<seconds> <arguments>" lines for the line naming file.
    static double endedMoment(const std::string& lines, const std::string& file)
    {
        std::istringstream each(lines);
        for (std::string line; std::getline(each, line);) {
            if (line.find(file) != std::string::npos) {
                return std::stod(line.substr(0, line.find(' ')));
            }
        }
        ADD_FAILURE() << file << " never ended: " << lines;
        return 0;
    }

    // A reader that writes down each command line it is started with, one
    // argument a line, and a blank line after it; it also notes the moment
    // it ends, in seconds, with its arguments.
    fs::path recordingReader() const
    {
        return script("reader", "printf '%s\\n' \"$@\" '' >> '" + launches().string() +
                                    "'\necho \"$(date +%s.%N) $*\" >> '" + ends().string() + "'\n");
    }
    fs::path launches() const { return dir.path() / "launches.txt"; }
    fs::path ends() const { return dir.path() / "ends.txt"; }
    // How often the recording reader was started on the archived file, for PDF2.
    std::size_t launched(const std::string& name) const
    {
        return countOf(readFile(launches()), backup(name).string() + "\nPDF2\n\n\n\n");
    }

    // The archive folder a link to the folder given, on a file system other
    // than the watched folder's: a take there makes a copy.
    void archiveIn(const TempDir& elsewhere) const
    {
        fs::create_directory_symlink(elsewhere.path(), in() / "BackPdf");
        struct stat watchedFolder {};
        struct stat archiveFolder {};
        ASSERT_EQ(stat(in().c_str(), &watchedFolder), 0);
        ASSERT_EQ(stat(elsewhere.path().c_str(), &archiveFolder), 0);
        ASSERT_NE(watchedFolder.st_dev, archiveFolder.st_dev) << "the archive must be on another file system";
    }
};

// A logout (the session's manager asks the program to save and then to
// end) and SIGTERM each end a pass at its next wait; a restart then prints
// each file once.
TEST_F(PassEnd, ALogoutOrSigtermEndsAPassAtItsNextWaitAndARestartPrintsEachFileOnce)
{
    writeWorkingIni();
    PrintOutputs printed("PDF2");
    std::vector<std::string> names;
    for (int i = 1; i <= 6; ++i) {
        names.push_back("job" + std::to_string(i) + ".pdf");
        drop(names.back());
    }
    // Asked to end once the log tells of the first file left while the pass
    // goes on, the program ends at once: each file is in the watched folder
    // or in the archive, told launched; the files archived, in all.
    const auto endedAtTheNextWait = [&](const std::function<void()>& ask) {
        const auto next = *std::find_if(names.begin(), names.end(),
                                        [&](const std::string& name) { return fs::exists(in() / name); });
        EXPECT_TRUE(eventually(30s, [&] { return logged(launchLine(next)); })) << log();
        const auto asked = std::chrono::steady_clock::now();
        ask();
        EXPECT_EQ(kumoden->wait(3s), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 3s);
        std::size_t archived = 0;
        for (const auto& name : names) {
            EXPECT_NE(fs::exists(in() / name), fs::exists(backup(name))) << name;
            if (fs::exists(backup(name))) {
                ++archived;
                EXPECT_TRUE(logged(launchLine(name))) << name;
            }
        }
        EXPECT_TRUE(fs::exists(in() / "job6.pdf"));
        return archived;
    };
    Process manager({builtProgram("session_manager").string()}, {}, Process::Output::Capture);
    ASSERT_TRUE(eventually(10s, [&] { return manager.out().find('\n') != std::string::npos; }));
    start({"SESSION_MANAGER=" + manager.out().substr(0, manager.out().find('\n'))});
    ASSERT_TRUE(eventually(30s, [&] {
        return manager.out().find("registered kumoden\n") != std::string::npos;
    })) << manager.out();
    endedAtTheNextWait([&] { ASSERT_EQ(kill(manager.pid(), SIGUSR1), 0); });
    EXPECT_TRUE(eventually(5s, [&] { return manager.out().ends_with("saved\ndied\nclosed\n"); }))
        << manager.out();
    start();
    const std::size_t archived = endedAtTheNextWait([&] { ASSERT_EQ(kill(kumoden->pid(), SIGTERM), 0); });

    // The readers this run starts are those of the files left.
    const std::size_t endsBefore = countOf(log(), "印刷しました: ");
    start();
    EXPECT_TRUE(eventually(120s, [&] { return logged(launchLine("job6.pdf")); })) << log();
    EXPECT_EQ(printed.waitForNew(60s, names.size()).size(), names.size());
    EXPECT_TRUE(eventually(
        60s, [&] { return countOf(log(), "印刷しました: ") >= endsBefore + names.size() - archived; }));
    EXPECT_EQ(kumoden->terminate(), 0);
    EXPECT_EQ(printed.newFiles().size(), names.size());
    for (const auto& name : names) {
        EXPECT_EQ(countOf(log(), launchLine(name)), 1u) << name;
    }
}

// The archive is on another file system, where a take makes a copy with an
// identity of its own. A scheduler that never answers holds the printer
// lookup, between the archive and the launch, for 5 s; it holds up nothing
// else: the reader is started with the printer as set and an empty driver
// and port.
TEST_F(PassEnd, AFileArchivedByAProgramKilledBeforeItsLaunchIsLaunchedOnceAfterARestart)
{
    const fs::path reader = recordingReader();
    writeWatchIni(reader.string(), "FileSelect=job\r\nPrinterNm=PDF2\r\n");
    const TempDir elsewhere("/dev/shm");
    ASSERT_NO_FATAL_FAILURE(archiveIn(elsewhere));
    const SilentScheduler silent;
    drop("job1.pdf");
    start({silent.environment()});
    ASSERT_TRUE(archived({"job1.pdf"}));
    ASSERT_EQ(kill(kumoden->pid(), SIGKILL), 0);
    EXPECT_EQ(kumoden->wait(5s), -1);
    EXPECT_FALSE(logged(launchLine("job1.pdf", reader.string()))) << log();
    EXPECT_EQ(launched("job1.pdf"), 0u);
    EXPECT_TRUE(fs::exists(backup(".kumoden/ready")));

    start({silent.environment()});
    EXPECT_TRUE(eventually(60s, [&] { return launched("job1.pdf") == 1; })) << readFile(launches());
    // Another file still goes out in the same way, and only it.
    drop("job2.pdf");
    EXPECT_TRUE(eventually(60s, [&] { return fs::exists(backup("job2.pdf")) && launched("job2.pdf") == 1; }));
    EXPECT_GT(silent.connections(), 0);
    // Its end is logged with the moment it ended, though the pass was
    // waiting after the launch then.
    const std::string endLine = "印刷プログラムが終了: " + backup("job2.pdf").string();
    ASSERT_TRUE(eventually(20s, [&] { return logged(endLine); })) << log();
    EXPECT_NEAR(loggedMoment(endLine), endedMoment(readFile(ends()), backup("job2.pdf").string()), 1.0)
        << log();

    // SIGTERM while the lookup waits on the silent scheduler ends the
    // program within a second: the file archived, its launch left to the
    // record, made once by the next start.
    drop("job3.pdf");
    ASSERT_TRUE(archived({"job3.pdf"}));
    const auto asked = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(kumoden->pid(), SIGTERM), 0);
    EXPECT_EQ(kumoden->wait(5s), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s);
    EXPECT_TRUE(fs::exists(backup(".kumoden/ready")));
    EXPECT_EQ(launched("job3.pdf"), 0u);
    start({silent.environment()});
    EXPECT_TRUE(eventually(60s, [&] { return launched("job3.pdf") == 1; })) << readFile(launches());
    EXPECT_EQ(kumoden->terminate(), 0);
    for (const std::string name : {"job1.pdf", "job2.pdf", "job3.pdf"}) {
        EXPECT_EQ(launched(name), 1u) << name;
    }
    EXPECT_EQ(countOf(log(), launchLine("job1.pdf", reader.string())), 1u) << log();
    EXPECT_FALSE(fs::exists(backup(".kumoden/ready")));
}

} // namespace
} // namespace kumoden::test
