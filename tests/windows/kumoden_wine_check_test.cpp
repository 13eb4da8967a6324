// kumoden.exe --check under Wine against the tests' own scheduler: the
// lines it tells on its standard output and its exit code.
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;

class KumodenExeCheck : public ::testing::Test {
protected:
    KumodenExeCheck()
    {
        fs::create_directories(dir.path() / "app");
        fs::create_directories(in());
        fs::copy_file(builtProgram("kumoden"), dir.path() / "app" / "kumoden.exe");
        fs::copy_file(builtProgram("win32_command_line_recorder"), reader());
    }

    fs::path in() const { return dir.path() / "in"; }
    fs::path reader() const { return dir.path() / "app" / "reader.exe"; }
    fs::path ini() const { return dir.path() / "print.INI"; }

    void writeIni(const std::string& printer, const std::string& folder, const std::string& readerPath)
    {
        dir.write("print.INI", "[FileCheck_Info]\r\nFileChkTime=1000\r\nFileChkDir=" + folder +
                                   "\r\nFileSelect=job\r\nAcrExeDir=" + readerPath +
                                   "\r\nPrinterNm=" + printer + "\r\nFileDelDate=7\r\n");
    }

    // Runs kumoden.exe --check --ini on the INI; its exit code, its output in said.
    DWORD check()
    {
        const fs::path output = dir.path() / "said.txt";
        std::wstring commandLine = L"\"" + (dir.path() / "app" / "kumoden.exe").wstring() +
                                   L"\" --check --ini \"" + ini().wstring() + L"\"";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError =
            CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        PROCESS_INFORMATION process{};
        const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                            nullptr, &startup, &process);
        CloseHandle(startup.hStdOutput);
        EXPECT_TRUE(started);
        if (!started) {
            return STILL_ACTIVE;
        }
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &code);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        said = readFile(output);
        return code;
    }

    TempDir dir;
    std::string said;
};

// The tests run in the Japanese locale: the lines are Japanese.
TEST_F(KumodenExeCheck, AGoodIniPassesAndAMissingFolderOrReaderOrAnUnknownPrinterIsNamed)
{
    writeIni("PDF", utf8(in()), utf8(reader()));
    EXPECT_EQ(check(), 0u) << said;
    EXPECT_NE(said.find("[OK] 印刷プログラム: " + utf8(reader()) + " (標準のコマンドライン)\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("[OK] プリンター: PDF\n"), std::string::npos) << said;
    EXPECT_TRUE(said.ends_with("\nすべての設定が使えます\n")) << said;
    EXPECT_FALSE(fs::exists(in() / "BackPdf"));
    EXPECT_FALSE(fs::exists(dir.path() / "print.log"));

    const std::string gone = utf8(dir.path() / "gone");
    struct Case {
        std::string printer, folder, reader, line;
    };
    for (const Case& spoilt : {
             Case{"PDF", gone, utf8(reader()), "[NG] 監視フォルダ: " + gone + "\\ がありません\n"},
             Case{"PDF", utf8(in()), gone + "\\reader.exe",
                  "[NG] 印刷プログラム: " + gone + "\\reader.exe がありません\n"},
             Case{"NoSuchQueue", utf8(in()), utf8(reader()),
                  "[NG] プリンター: NoSuchQueue は印刷システムにありません\n"},
         }) {
        writeIni(spoilt.printer, spoilt.folder, spoilt.reader);
        EXPECT_EQ(check(), 1u) << said;
        EXPECT_NE(said.find(spoilt.line), std::string::npos) << said;
    }
}

} // namespace
} // namespace kumoden::test
