// kumoden.exe end to end on Windows (under Wine in CI): a PDF file dropped
// into the watched folder is archived in BackPdf and the reader receives
// exactly the print command line, with the driver and port of the printer
// as the platform lists it.
#include "platform/win32/win32_printer_list.h"
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/win32_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::utf8;

class KumodenExe : public ::testing::Test {
protected:
    KumodenExe()
    {
        fs::create_directories(app());
        fs::create_directories(in());
        fs::create_directories(readerFolder());
        fs::copy_file(builtProgram("kumoden"), app() / "kumoden.exe");
        fs::copy_file(builtProgram("win32_command_line_recorder"), reader());
        // kumoden.exe hands its environment on to the reader it starts.
        SetEnvironmentVariableW(L"KUMODEN_RECORD_FILE", readerLogPath().c_str());
    }
    ~KumodenExe() override
    {
        stop();
        SetEnvironmentVariableW(L"KUMODEN_RECORD_FILE", nullptr);
    }

    fs::path app() const { return dir.path() / "app"; }
    fs::path in() const { return dir.path() / "in"; }
    fs::path readerFolder() const { return dir.path() / "reader with blanks"; }
    fs::path reader() const { return readerFolder() / "recording-reader.exe"; }
    fs::path readerLogPath() const { return dir.path() / "reader.log"; }
    std::string readerLog() const { return readFile(readerLogPath()); }

    void writeIni(const std::string& printer)
    {
        ASSERT_TRUE(win32test::CanMakeWindows()) << "Wine needs a display or its null graphics driver";
        std::ofstream ini(app() / "kumoden.INI", std::ios::binary);
        ini << "[FileCheck_Info]\r\nFileChkTime=300\r\nFileChkDir=" << utf8(in()) << "\r\nFileSelect=job\r\n"
            << "AcrExeDir=" << utf8(reader()) << "\r\nPrinterNm=" << printer << "\r\nFileDelDate=7\r\n";
    }

    void start()
    {
        std::wstring commandLine = L"\"" + (app() / "kumoden.exe").wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   app().wstring().c_str(), &startup, &m_process));
        CloseHandle(m_process.hThread);
    }

    // Closes the program the way the system does; its exit code.
    DWORD stop()
    {
        if (m_process.hProcess == nullptr) {
            return 0;
        }
        DWORD code = STILL_ACTIVE;
        win32test::WaitFor(10s, [] { return FindWindowW(L"KumodenResident", nullptr) != nullptr; });
        if (HWND window = FindWindowW(L"KumodenResident", nullptr)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(m_process.hProcess, 30000) != WAIT_OBJECT_0) {
            TerminateProcess(m_process.hProcess, 99);
            WaitForSingleObject(m_process.hProcess, 5000);
        }
        GetExitCodeProcess(m_process.hProcess, &code);
        CloseHandle(m_process.hProcess);
        m_process.hProcess = nullptr;
        return code;
    }

    static PrinterEntry printerNamed(const std::string& name)
    {
        Win32PrinterList list;
        for (const auto& printer : list.installedPrinters().printers) {
            if (printer.deviceName == name) {
                return printer;
            }
        }
        return {};
    }

    TempDir dir;
    PROCESS_INFORMATION m_process{};
};

TEST_F(KumodenExe, ArchivesTheFileAndStartsTheReaderWithTheExactCommandLine)
{
    const PrinterEntry pdf = printerNamed("PDF");
    ASSERT_FALSE(pdf.driverName.empty()) << "the platform lists no printer PDF (is cupsd running?)";
    writeIni("PDF");
    start();
    std::ofstream(in() / "job1.pdf", std::ios::binary) << "%PDF-1.4 test\n";
    const fs::path japanese(u8"job請求書 1.pdf");
    std::ofstream(in() / japanese, std::ios::binary) << "%PDF-1.4 test\n";
    std::ofstream(in() / "other.pdf", std::ios::binary) << "%PDF-1.4 test\n";

    // Two files, each 3 + 3 + 5 seconds.
    ASSERT_TRUE(win32test::WaitFor(60s, [&] {
        return fs::exists(in() / "BackPdf" / "job1.pdf") && fs::exists(in() / "BackPdf" / japanese) &&
               readerLog().find("請求書") != std::string::npos;
    }));
    const auto line = [&](const std::string& file) {
        return "\"" + utf8(reader()) + "\" /t /n /s /h \"" + utf8(in()) + "\\BackPdf\\" + file +
               "\" \"PDF\" \"" + pdf.driverName + "\" \"" + pdf.portName + "\"\n";
    };
    // Names come in the order of their UTF-8 bytes: ASCII first.
    EXPECT_EQ(readerLog(), line("job1.pdf") + line("job請求書 1.pdf"));
    EXPECT_TRUE(fs::exists(in() / "other.pdf"));
    EXPECT_EQ(stop(), 0u);
}

TEST_F(KumodenExe, AnUnknownPrinterGoesOutWithEmptyDriverAndPort)
{
    writeIni("No Such Printer");
    start();
    std::ofstream(in() / "job1.pdf", std::ios::binary) << "%PDF-1.4 test\n";
    ASSERT_TRUE(win32test::WaitFor(30s, [&] { return !readerLog().empty(); }));
    EXPECT_EQ(readerLog(), "\"" + utf8(reader()) + "\" /t /n /s /h \"" + utf8(in()) +
                               "\\BackPdf\\job1.pdf\" \"No Such Printer\" \"\" \"\"\n");
    EXPECT_EQ(stop(), 0u);
}

} // namespace
} // namespace kumoden::test
