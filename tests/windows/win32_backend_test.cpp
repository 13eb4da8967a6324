// The Win32 backends against the real API.
#include "platform/win32/files/file_time.h"
#include "platform/win32/files/win32_file_system.h"
#include "platform/win32/files/win32_profile.h"
#include "platform/win32/forms/win32_form.h"
#include "platform/win32/forms/win32_message_dialog.h"
#include "platform/win32/printing/win32_printer_list.h"
#include "platform/win32/shell/win32_timer.h"
#include "platform/win32/system/win32_clock.h"
#include "platform/win32/system/win32_launcher.h"
#include "tests/contract/launcher_driver.h"
#include "tests/contract/printer_list_driver.h"
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "tests/windows/win32_test_support.h"

#include <gtest/gtest.h>

namespace kumoden {

PrinterListing test::ListPrinters()
{
    return Win32PrinterList().installedPrinters();
}

PrinterState test::PrinterStateOf(const std::string& name)
{
    return Win32PrinterList().printerState(name);
}

// Wine installs each queue with a driver of its name on a port of its own.
PrinterEntry test::SchedulerQueue(const std::string& name)
{
    return {name, name, "CUPS:" + name};
}

namespace {

using namespace std::chrono_literals;
using test::readFile;
using test::TempDir;
using test::utf8;
using win32test::AddAttributes;

class Win32FileSystemTest : public ::testing::Test {
protected:
    TempDir m_dir;
    Win32FileSystem m_files;
};

// What only this platform has (the rest: FileSystemContract).
TEST_F(Win32FileSystemTest, QueriesPassOverSystemFiles)
{
    m_dir.write(L"abc.pdf", "a");
    AddAttributes(m_dir.write(L"abc5.pdf", "system"), FILE_ATTRIBUTE_SYSTEM);
    const std::string pattern = m_dir.slash() + "abc*.pdf";
    EXPECT_EQ(m_files.listFiles(pattern), std::vector<std::string>{"abc.pdf"});
    const auto dated = m_files.listDatedFiles(pattern);
    ASSERT_EQ(dated.size(), 1u);
    EXPECT_EQ(dated[0].name, "abc.pdf");
}

// A program that has the file open without sharing delete keeps it where
// it is; being read-only does not.
TEST_F(Win32FileSystemTest, AFileOpenWithoutSharingDeleteIsNotRenamedAndAReadOnlyOneIs)
{
    const auto locked = m_dir.write(L"locked.pdf", "stays");
    AddAttributes(locked, FILE_ATTRIBUTE_READONLY);
    const auto target = m_dir.path() / L"移動先.pdf";
    const HANDLE reader =
        CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const FileStep refused = m_files.renameNew(utf8(locked), utf8(target));
    CloseHandle(reader);
    EXPECT_EQ(refused.kind, FileStep::inUse) << refused.reason;
    EXPECT_EQ(readFile(locked), "stays");
    EXPECT_FALSE(std::filesystem::exists(target));

    const FileStep renamed = m_files.renameNew(utf8(locked), utf8(target));
    EXPECT_TRUE(renamed) << renamed.reason;
    EXPECT_EQ(readFile(target), "stays");
}

TEST(Win32ClockTest, AgreesWithTheSystemsLocalTimeAndKnowsNoTimeBeyondWhatItHolds)
{
    using namespace std::chrono;
    SYSTEMTIME parts{};
    GetLocalTime(&parts);
    const local_days date{year{parts.wYear} / month{parts.wMonth} / day{parts.wDay}};
    const LocalTime system{date + hours{parts.wHour} + minutes{parts.wMinute} + seconds{parts.wSecond} +
                           milliseconds{parts.wMilliseconds}};
    EXPECT_LT(abs(Win32Clock().now() - system), 2s);

    FILETIME beyond{};
    beyond.dwHighDateTime = 0x7FFFFFFF;
    EXPECT_FALSE(FileTimeToLocal(beyond).has_value());
}

// What only the Windows functions do (the rules they share: ProfileStoreTest).
TEST(Win32ProfileTest, CutsOnlyBetweenCharactersAndJapaneseGoesThroughTheAnsiCodePage)
{
    ASSERT_EQ(GetACP(), 932u) << "the tests run with LC_ALL=ja_JP.UTF-8, which gives code page 932";
    const TempDir dir;
    Win32Profile profile;
    // A UTF-16 file holds characters outside the basic plane: two units each.
    const std::wstring text = L"[S]\r\nK=a\U0001F600b\r\n";
    std::string bytes = "\xFF\xFE";
    for (const wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    const std::string wide = utf8(dir.write(L"wide.INI", bytes));
    EXPECT_EQ(profile.readString("S", "K", wide, 1024), "a\U0001F600b");
    EXPECT_EQ(profile.readString("S", "K", wide, 4), "a\U0001F600");
    EXPECT_EQ(profile.readString("S", "K", wide, 3), "a");

    const std::string ini = dir.slash() + "kumoden.INI";
    ASSERT_TRUE(profile.writeString("FileCheck_Info", "PrinterNm", "事務所プリンタ", ini));
    EXPECT_EQ(profile.readString("FileCheck_Info", "PrinterNm", ini, 1024), "事務所プリンタ");
    // "事" in CP932 is 8E 96: a file without byte-order mark is ANSI text.
    EXPECT_NE(readFile(dir.path() / L"kumoden.INI").find("\x8E\x96"), std::string::npos);
    const auto old =
        dir.write(L"old.INI", "[FileCheck_Info]\r\nFileChkDir=C:\\\x88\xF3\x8D\xFC\r\n"); // C:\印刷
    EXPECT_EQ(profile.readString("FileCheck_Info", "FileChkDir", utf8(old), 1024), "C:\\印刷");
}

TEST(Win32MessageDialogTest, ShowsTextAndTitleWithTheButtonsAsked)
{
    ASSERT_TRUE(win32test::CanMakeWindows()) << "Wine makes windows with its null graphics driver";
    Win32MessageDialog dialog;
    struct Box {
        const char* text;
        const char* title;
        MessageButtons buttons;
    };
    for (const Box& asked :
         {Box{"File Systemオブジェクトが必要です。", "エラーメッセージ", MessageButtons::OkCancel},
          Box{"完了", "お知らせ", MessageButtons::Ok}}) {
        const bool cancel = asked.buttons == MessageButtons::OkCancel;
        win32test::WhileShown(
            L"#32770", [&] { dialog.show(asked.text, asked.title, asked.buttons); },
            [&](HWND box) {
                EXPECT_EQ(WindowText(box), asked.title);
                // The message text is the static control with id 0xFFFF.
                EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), asked.text);
                EXPECT_EQ(GetDlgItem(box, IDCANCEL) != nullptr && GetDlgItem(box, IDOK) != nullptr, cancel);
                if (cancel) {
                    EXPECT_EQ(LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0)), IDOK);
                }
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            });
    }
}

TEST(Win32TimerTest, TicksFromTheMessageLoopOnlyWhileItsIntervalIsPositive)
{
    Win32Timer timer;
    int ticks = 0;
    timer.setHandler([&] { ++ticks; });
    EXPECT_EQ(timer.interval(), 0);
    win32test::WaitFor(100ms, [] { return false; });
    EXPECT_EQ(ticks, 0);
    // Stopped, the handler stays: a new interval ticks again.
    for (const int stop : {0, -5}) {
        timer.setInterval(20);
        EXPECT_EQ(timer.interval(), 20);
        const int from = ticks;
        EXPECT_TRUE(win32test::WaitFor(5s, [&] { return ticks >= from + 3; }));
        timer.setInterval(stop);
        EXPECT_EQ(timer.interval(), stop);
        const int stoppedAt = ticks;
        win32test::WaitFor(200ms, [] { return false; });
        EXPECT_EQ(ticks, stoppedAt);
    }
}

} // namespace
} // namespace kumoden

namespace kumoden::test {
namespace {

class Win32LauncherDriver final : public LauncherDriver {
public:
    ~Win32LauncherDriver() override { SetEnvironmentVariableW(L"KUMODEN_RECORD_FILE", nullptr); }

    std::unique_ptr<Launcher> launcher(std::size_t followAtMost) override
    {
        return std::make_unique<Win32Launcher>(followAtMost);
    }
    // The recorder is told where to record by its environment.
    std::filesystem::path placeRecorder(const std::filesystem::path& folder) override
    {
        SetEnvironmentVariableW(L"KUMODEN_RECORD_FILE", (folder / L"record").c_str());
        const auto path = folder / L"読取.exe";
        std::filesystem::copy_file(builtProgram("win32_command_line_recorder"), path);
        return path;
    }
    // The command line as it stands.
    std::string handed(const LaunchRequest& request) override { return request.commandLine + "\n"; }
    LaunchRequest exiting(int code) override { return {"cmd.exe /c exit " + std::to_string(code), {}}; }
};

} // namespace

std::unique_ptr<LauncherDriver> MakeLauncherDriver()
{
    return std::make_unique<Win32LauncherDriver>();
}

bool ProcessGone(std::uint64_t task)
{
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(task));
    const bool ended = process == nullptr || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    if (process != nullptr) {
        CloseHandle(process);
    }
    return ended;
}

} // namespace kumoden::test
