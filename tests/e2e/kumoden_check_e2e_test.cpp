// kumoden --check against the tests' own scheduler: the lines it prints,
// its exit code, and that it prints, makes and writes nothing.
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every entry below a folder, to compare before and after.
std::set<fs::path> everything(const fs::path& folder)
{
    std::set<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        found.insert(entry.path());
    }
    return found;
}

class Check : public E2e {
protected:
    fs::path ini() const { return app() / "print.INI"; }

    // The INI names the watched folder, kumoden-print and the printer.
    void writeCheckIni(const std::string& printer, const std::string& folder = {},
                       const std::string& reader = builtProgram("kumoden-print").string())
    {
        writeIni("FileChkTime=1000\r\nFileChkDir=" + (folder.empty() ? in().string() : folder) +
                     "\r\nFileSelect=job\r\nAcrExeDir=" + reader + "\r\nPrinterNm=" + printer +
                     "\r\nFileDelDate=7\r\n",
                 "print.INI");
    }

    RunResult check(const std::string& lang = "C")
    {
        return runProgram({(app() / "kumoden").string(), "--check", "--ini", ini().string()},
                          environment({"LC_ALL=", "LC_MESSAGES=", "LANG=" + lang}));
    }
};

TEST_F(Check, AGoodIniPassesEveryLineInEitherLanguageAndNothingIsTouched)
{
    writeCheckIni("PDF");
    drop("job1.pdf");
    const auto before = everything(dir.path());
    const RunResult english = check();
    EXPECT_EQ(english.exitCode, 0) << english.out << english.err;
    EXPECT_EQ(english.out, "[OK] settings file: " + ini().string() +
                               "\n"
                               "[OK] interval: 1000 ms\n"
                               "[OK] watched folder: " +
                               in().string() +
                               "/\n"
                               "[OK] archive folder: " +
                               in().string() + "/BackPdf/ (made with the first file)\n" +
                               english.out.substr(english.out.find("[OK] free space: ")));
    EXPECT_NE(english.out.find("[OK] file-name start: job*.pdf (1 PDF files waiting)\n"), std::string::npos);
    EXPECT_NE(english.out.find("[OK] printer: PDF\n"), std::string::npos) << english.out;
    EXPECT_TRUE(english.out.ends_with("[OK] retention: 7 days\nAll settings usable\n")) << english.out;

    const RunResult japanese = check("ja_JP.UTF-8");
    EXPECT_EQ(japanese.exitCode, 0);
    EXPECT_NE(japanese.out.find("[OK] プリンター: PDF\n"), std::string::npos) << japanese.out;
    EXPECT_TRUE(japanese.out.ends_with("\nすべての設定が使えます\n")) << japanese.out;

    // No archive made, no log written, the file still waiting, nothing printed.
    EXPECT_EQ(everything(dir.path()), before);
    EXPECT_FALSE(fs::exists(in() / "BackPdf"));
    EXPECT_FALSE(fs::exists(app() / "print.log"));

    // Beside the program running on the same INI: the check takes no lock,
    // and the program is not disturbed.
    fs::remove(in() / "job1.pdf");
    Process resident({(app() / "kumoden").string(), "--ini", ini().string()}, environment());
    std::this_thread::sleep_for(2s);
    ASSERT_TRUE(resident.running());
    const RunResult beside = check();
    EXPECT_EQ(beside.exitCode, 0) << beside.out;
    EXPECT_NE(beside.out.find("(0 PDF files waiting)"), std::string::npos) << beside.out;
    EXPECT_TRUE(resident.running());
    EXPECT_EQ(resident.terminate(), 0);
}

TEST_F(Check, AMissingFolderOrReaderAnUnknownStoppedOrRejectingQueueIsNamedAndFails)
{
    struct Case {
        std::string printer;
        std::string folder;
        std::string reader;
        std::string line;
    };
    const std::string reader = builtProgram("kumoden-print").string();
    const std::string gone = (dir.path() / "gone").string();
    for (const Case& spoilt : std::vector<Case>{
             {"PDF", gone, reader, "[NG] watched folder: " + gone + "/ does not exist\n"},
             {"PDF", "", gone + "/reader", "[NG] reader: " + gone + "/reader does not exist\n"},
             {"NoSuchQueue", "", reader, "[NG] printer: NoSuchQueue is unknown to the print system\n"},
             {"STOPPED", "", reader, "[NG] printer: STOPPED is stopped: stopped for the tests\n"},
             {"REJECT", "", reader, "[NG] printer: REJECT is not accepting jobs"},
         }) {
        writeCheckIni(spoilt.printer, spoilt.folder, spoilt.reader);
        const auto before = everything(dir.path());
        const RunResult result = check();
        EXPECT_EQ(result.exitCode, 1) << spoilt.line;
        EXPECT_NE(result.out.find(spoilt.line), std::string::npos) << result.out;
        // A missing folder also leaves no room to be read and no archive to be made.
        const std::string count = spoilt.folder.empty() ? "1" : "3";
        EXPECT_TRUE(result.out.ends_with("\n" + count + " settings unusable\n")) << result.out;
        EXPECT_EQ(everything(dir.path()), before) << spoilt.line;
    }
    // A refused command line stays 2.
    EXPECT_EQ(runProgram({(app() / "kumoden").string(), "--check", "--ini"}, environment()).exitCode, 2);
}

} // namespace
} // namespace kumoden::test
