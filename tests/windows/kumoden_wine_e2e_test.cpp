// kumoden.exe end to end on Windows (under Wine in CI): it starts after its
// splash; its icon's menu ends it, and so does WM_CLOSE; a
// PDF file dropped into the watched folder is archived in BackPdf and the
// reader receives exactly the print command line, with the driver and port
// of the printer as the platform lists it.
#include "platform/win32/forms/win32_form.h"
#include "platform/win32/printing/win32_printer_list.h"
#include "platform/win32/shell/win32_tray_icon.h"
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/win32_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

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
    std::size_t launches() const
    {
        const std::string log = readerLog();
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
    }

    // The reader's command line for an archived file on the printer.
    std::string readerLine(const std::string& file, const PrinterEntry& printer) const
    {
        return "\"" + utf8(reader()) + "\" /t /n /s /h \"" + utf8(in()) + "\\BackPdf\\" + file + "\" \"" +
               printer.deviceName + "\" \"" + printer.driverName + "\" \"" + printer.portName + "\"\n";
    }
    void drop(const fs::path& name) const { dir.write(fs::path("in") / name, "%PDF-1.4 test\n"); }
    void writeIni(const std::string& printer, const fs::path& watched = {})
    {
        ASSERT_TRUE(win32test::CanMakeWindows()) << "Wine needs a display or its null graphics driver";
        dir.write("app/kumoden.INI", "[FileCheck_Info]\r\nFileChkTime=300\r\nFileChkDir=" +
                                         utf8(watched.empty() ? in() : watched) +
                                         "\r\nFileSelect=job\r\nAcrExeDir=" + utf8(reader()) +
                                         "\r\nPrinterNm=" + printer + "\r\nFileDelDate=7\r\n");
    }

    // Starts a copy of the program with the arguments, its standard output
    // and error into the file output when one is named.
    void start(const std::wstring& arguments = L"", const fs::path& output = {})
    {
        std::wstring commandLine = L"\"" + (app() / "kumoden.exe").wstring() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!output.empty()) {
            SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = startup.hStdError = CreateFileW(
                output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        }
        PROCESS_INFORMATION process{};
        const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, !output.empty(), 0,
                                            nullptr, app().wstring().c_str(), &startup, &process);
        if (!output.empty()) {
            CloseHandle(startup.hStdOutput);
        }
        ASSERT_TRUE(started);
        CloseHandle(process.hThread);
        m_process = process.hProcess;
    }
    // Lets go of the program once it has ended (or been killed): its exit
    // code then, STILL_ACTIVE if it has not ended within the time.
    DWORD ended(DWORD milliseconds)
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(m_process, milliseconds) == WAIT_OBJECT_0) {
            GetExitCodeProcess(m_process, &code);
        }
        CloseHandle(m_process);
        m_process = nullptr;
        return code;
    }
    static HWND residentWindow() { return FindWindowW(L"KumodenResident", nullptr); }

    // Closes the program the way the system does; its exit code.
    DWORD stop()
    {
        if (m_process == nullptr) {
            return 0;
        }
        win32test::WaitFor(10s, [&] {
            return residentWindow() != nullptr || WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0;
        });
        if (HWND window = residentWindow()) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(m_process, 30000) != WAIT_OBJECT_0) {
            TerminateProcess(m_process, 99);
        }
        return ended(5000);
    }

    TempDir dir;
    HANDLE m_process = nullptr;
};

TEST_F(KumodenExe, StartsAfterItsSplashFirstInTheClipboardChainUntilTheIconsMenuEndsIt)
{
    writeIni("PDF");
    // A viewer of the test's joins the clipboard chain before the program.
    const HWND viewer = win32test::HiddenWindow(L"KumodenTestViewer");
    const HWND afterViewer = SetClipboardViewer(viewer);
    const auto started = std::chrono::steady_clock::now();
    start();
    ASSERT_TRUE(win32test::WaitFor(30s, [] { return residentWindow() != nullptr; }));
    // The resident window loads only after the splash's 20 steps of 100 ms.
    EXPECT_GE(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_EQ(WindowText(residentWindow()), "アイコン表示用");
    EXPECT_TRUE(win32test::WaitFor(10s, [] { return GetClipboardViewer() == residentWindow(); }))
        << "the resident window is not first in the clipboard chain";

    // A right-button press on the icon, as the notification area reports it
    // to the icon's own window: not the resident one, which is in the
    // clipboard-viewer chain.
    const HWND iconWindow = FindWindowW(kTrayWindowClass, nullptr);
    ASSERT_NE(iconWindow, nullptr);
    EXPECT_NE(iconWindow, residentWindow());
    PostMessageW(iconWindow, kTrayCallbackMessage, 0, WM_RBUTTONDOWN);
    ASSERT_TRUE(win32test::WaitFor(10s, [] {
        const HWND menu = FindWindowW(L"#32768", nullptr);
        return menu != nullptr && IsWindowVisible(menu);
    })) << "no menu opened";
    // Its access key chooses 終了(&E): the program ends at once, this thread
    // answering the chain's messages meanwhile.
    PostMessageW(residentWindow(), WM_CHAR, L'e', 0);
    EXPECT_TRUE(win32test::WaitFor(10s, [&] { return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }));
    EXPECT_EQ(ended(0), 0u);
    EXPECT_EQ(residentWindow(), nullptr);
    // It left the chain in order: the viewer behind it is first again.
    EXPECT_EQ(GetClipboardViewer(), viewer);
    ChangeClipboardChain(viewer, afterViewer);
    DestroyWindow(viewer);
}

// What Explorer and the notification area take from the program's file.
TEST(KumodenExeFile, CarriesItsIconVersionAndManifest)
{
    const HMODULE file = LoadLibraryExW(builtProgram("kumoden").wstring().c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(file, nullptr);
    // Every size is drawn, none scaled from another.
    for (int side : {16, 24, 32, 48, 256}) {
        const HRSRC group = FindResourceW(file, MAKEINTRESOURCEW(kProgramIconId), RT_GROUP_ICON);
        ASSERT_NE(group, nullptr);
        const int id = LookupIconIdFromDirectoryEx(
            static_cast<PBYTE>(LockResource(LoadResource(file, group))), TRUE, side, side, LR_DEFAULTCOLOR);
        const HRSRC image = FindResourceW(file, MAKEINTRESOURCEW(id), RT_ICON);
        ASSERT_NE(image, nullptr) << side;
        const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(file, image)));
        int width = 0;
        if (std::memcmp(bytes, "\x89PNG", 4) == 0) {
            width = bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19];
        } else {
            std::memcpy(&width, bytes + 4, sizeof width); // BITMAPINFOHEADER's biWidth
        }
        EXPECT_EQ(width, side);
    }

    const HRSRC manifest = FindResourceW(file, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(file, manifest))),
                           SizeofResource(file, manifest));
    for (const char* part : {"Microsoft.Windows.Common-Controls", "PerMonitorV2", "asInvoker"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
    FreeLibrary(file);

    const std::wstring path = builtProgram("kumoden").wstring();
    std::vector<unsigned char> version(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
    const auto value = [&](const wchar_t* name) {
        wchar_t* found = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        return VerQueryValueW(version.data(), key.c_str(), reinterpret_cast<void**>(&found), &length) && found
                   ? utf8(std::wstring(found))
                   : std::string();
    };
    EXPECT_EQ(value(L"ProductName"), "Kumoden");
    EXPECT_EQ(value(L"ProductVersion"), KUMODEN_VERSION);
}

TEST_F(KumodenExe, OnANamedIniArchivesTheFilesStartsTheReaderWithTheExactCommandLineAndLogsBesideIt)
{
    const auto printers = Win32PrinterList().installedPrinters().printers;
    const auto pdf = std::ranges::find(printers, "PDF", &PrinterEntry::deviceName);
    ASSERT_NE(pdf, printers.end()) << "the platform lists no printer PDF (is cupsd running?)";
    ASSERT_FALSE(pdf->driverName.empty());
    writeIni("PDF");
    const fs::path named = dir.path() / "settings" / "print.ini";
    fs::create_directories(named.parent_path());
    fs::rename(app() / "kumoden.INI", named);
    start(L"--ini \"" + named.wstring() + L"\"");
    const fs::path japanese(u8"job請求書 1.pdf");
    for (const fs::path& name : {fs::path("job1.pdf"), japanese, fs::path("other.pdf")}) {
        drop(name);
    }

    // Two files, each 3 + 3 + 5 seconds.
    ASSERT_TRUE(win32test::WaitFor(60s, [&] {
        return fs::exists(in() / "BackPdf" / "job1.pdf") && fs::exists(in() / "BackPdf" / japanese) &&
               readerLog().find("請求書") != std::string::npos;
    }));
    // Names come in the order of their UTF-8 bytes: ASCII first.
    EXPECT_EQ(readerLog(), readerLine("job1.pdf", *pdf) + readerLine("job請求書 1.pdf", *pdf));
    EXPECT_TRUE(fs::exists(in() / "other.pdf"));
    // The log's line comes once the reader's waits are over.
    EXPECT_TRUE(win32test::WaitFor(30s, [&] { return fs::exists(named.parent_path() / "print.log"); }));
    EXPECT_FALSE(fs::exists(app() / "kumoden.log"));
    EXPECT_EQ(stop(), 0u);
}

// Ended at a wait of its pass, by the session's end and then by a close,
// the program ends within a second or so, its log naming what it did, and
// leaves every file where the next start finds it: over three starts each
// of three files is launched once, an unknown printer with no driver nor port.
TEST_F(KumodenExe, EndedMidPassItLeavesEachFileToBeLaunchedOnce)
{
    const std::vector<std::string> jobs{"job1.pdf", "job2.pdf", "job3.pdf"};
    writeIni("No Such Printer");
    for (const std::string& name : jobs) {
        drop(name);
    }
    const auto endAfterLaunch = [&](std::size_t launched, const std::function<void(HWND)>& end) {
        start();
        ASSERT_TRUE(win32test::WaitFor(60s, [&] { return launches() == launched; }));
        const HWND window = residentWindow();
        ASSERT_NE(window, nullptr);
        const auto asked = std::chrono::steady_clock::now();
        end(window);
        EXPECT_EQ(ended(3000), 0u);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 3s);
        EXPECT_EQ(launches(), launched);
        const std::string& job = jobs[launched - 1];
        EXPECT_NE(readFile(app() / "kumoden.log").find(job), std::string::npos) << job;
        for (const std::string& name : jobs) {
            EXPECT_NE(fs::exists(in() / name), fs::exists(in() / "BackPdf" / name)) << name;
        }
    };
    endAfterLaunch(1, [](HWND window) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
        EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
        SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    });
    endAfterLaunch(2, [](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); });
    start();
    ASSERT_TRUE(win32test::WaitFor(60s, [&] { return launches() == 3; }));
    EXPECT_EQ(stop(), 0u);
    std::string expected;
    for (const std::string& name : jobs) {
        expected += readerLine(name, {"No Such Printer", "", ""});
        EXPECT_TRUE(fs::exists(in() / "BackPdf" / name)) << name;
    }
    EXPECT_EQ(readerLog(), expected);
}

// A take to an archive on another file system copies the file. Killed while
// it copies, the program leaves the file whole in the watched folder, set
// aside under a hidden name, and a partial copy in the archive's work folder;
// the next start discards the copy, puts the file back and prints it once.
TEST_F(KumodenExe, ATakeKilledMidCopyIsUndoneAndTheFilePrintsOnce)
{
    // Made by the test run: a folder on one file system whose BackPdf leads
    // to another.
    const char* split = std::getenv("KUMODEN_SPLIT_FOLDER");
    ASSERT_NE(split, nullptr) << "the test run names no folder with its archive on another file system";
    const fs::path watched(split);
    for (const auto& entry : fs::directory_iterator(watched / "BackPdf")) {
        fs::remove_all(entry.path());
    }
    writeIni("No Such Printer", watched);
    // Large enough for the copy to take a while; sparse, so it costs the
    // watched folder's file system nothing.
    constexpr std::uintmax_t size = 256u << 20;
    std::ofstream(watched / "job1.pdf", std::ios::binary).close();
    fs::resize_file(watched / "job1.pdf", size);
    const auto names = [](const fs::path& folder) {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) {
            found.push_back(utf8(entry.path().filename()));
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    const fs::path work = watched / "BackPdf" / ".kumoden";
    start();
    ASSERT_TRUE(win32test::WaitFor(60s, [&] { return fs::exists(work / "part"); }))
        << "the take never copied: is BackPdf on the same file system?";
    TerminateProcess(m_process, 9);
    ended(10000);
    EXPECT_FALSE(fs::exists(watched / "job1.pdf"));
    EXPECT_EQ(fs::file_size(watched / ".kumoden-take"), size);
    EXPECT_TRUE(fs::exists(work / "part"));
    EXPECT_FALSE(fs::exists(work / "file"));
    EXPECT_EQ(names(watched / "BackPdf"), std::vector<std::string>{".kumoden"});
    EXPECT_TRUE(readerLog().empty());

    start();
    ASSERT_TRUE(win32test::WaitFor(90s, [&] { return launches() > 0; }));
    EXPECT_EQ(stop(), 0u);
    EXPECT_EQ(launches(), 1u) << readerLog();
    EXPECT_EQ(fs::file_size(watched / "BackPdf" / "job1.pdf"), size);
    // Nothing of the program's is left but the archive's lock, and no
    // second copy anywhere.
    EXPECT_EQ(names(watched), std::vector<std::string>{"BackPdf"});
    EXPECT_EQ(names(watched / "BackPdf"), (std::vector<std::string>{".kumoden", "job1.pdf"}));
    EXPECT_EQ(names(work), std::vector<std::string>{"lock"});
}

TEST_F(KumodenExe, AnswersItsOptionsAndRefusesOthers)
{
    const fs::path said = dir.path() / "said.txt";
    const auto run = [&](const std::wstring& arguments) {
        start(arguments, said);
        return ended(30000);
    };
    EXPECT_EQ(run(L"--version"), 0u);
    EXPECT_EQ(readFile(said), "kumoden " KUMODEN_VERSION "\n");
    EXPECT_EQ(run(L"--bogus"), 2u);
    EXPECT_TRUE(readFile(said).starts_with("kumoden: unknown option '--bogus'")) << readFile(said);
    // A writable program folder keeps the INI beside the program.
    EXPECT_EQ(run(L"--help"), 0u);
    EXPECT_NE(readFile(said).find("\\app\\kumoden.INI\n"), std::string::npos) << readFile(said);
}

} // namespace
} // namespace kumoden::test
