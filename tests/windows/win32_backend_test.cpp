// The Win32 backends against the real API.
#include "platform/win32/file_time.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_message_dialog.h"
#include "platform/win32/win32_printer_list.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_timer.h"
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "tests/windows/win32_test_support.h"
#include "watch/print_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>

namespace kumoden {
namespace {

using namespace std::chrono_literals;
using test::readFile;
using test::TempDir;
using test::utf8;
using win32test::AddAttributes;

LocalTime localFromParts(const SYSTEMTIME& parts)
{
    using namespace std::chrono;
    const local_days date{year{parts.wYear} / month{parts.wMonth} / day{parts.wDay}};
    return LocalTime{date + hours{parts.wHour} + minutes{parts.wMinute} + seconds{parts.wSecond} +
                     milliseconds{parts.wMilliseconds}};
}

class Win32FileSystemTest : public ::testing::Test {
protected:
    TempDir m_dir;
    Win32FileSystem m_files;
};

// What only this platform has (the rest: FileSystemContract).
TEST_F(Win32FileSystemTest, QueriesPassOverSystemFilesAndMatchNamesNotTheirShortAliases)
{
    m_dir.write(L"abc2.pdfx", "alias");
    m_dir.write(L"abc.pdf", "a");
    AddAttributes(m_dir.write(L"abc5.pdf", "system"), FILE_ATTRIBUTE_SYSTEM);
    const std::string pattern = m_dir.slash() + "abc*.pdf";
    // (The platform's own search may match abc2.pdfx by its short alias.)
    EXPECT_EQ(m_files.listFiles(pattern), std::vector<std::string>{"abc.pdf"});
    const auto dated = m_files.listDatedFiles(pattern);
    ASSERT_EQ(dated.size(), 1u);
    EXPECT_EQ(dated[0].name, "abc.pdf");
}

// Another volume: a read-only file copies but cannot be deleted where it
// was, so the move fails and the copy goes again.
TEST_F(Win32FileSystemTest, AMoveToAnotherVolumeThatCannotDeleteTheSourceLeavesNoCopy)
{
    TempDir other(test::OtherVolume());
    const auto locked = m_dir.write(L"locked.pdf", "stays");
    AddAttributes(locked, FILE_ATTRIBUTE_READONLY);
    const auto lockedTarget = other.path() / L"locked.pdf";
    EXPECT_FALSE(m_files.moveFile(utf8(locked), utf8(lockedTarget)));
    EXPECT_EQ(readFile(locked), "stays");
    EXPECT_FALSE(std::filesystem::exists(lockedTarget));
}

TEST(Win32ClockTest, AgreesWithTheSystemsLocalTime)
{
    SYSTEMTIME parts{};
    GetLocalTime(&parts);
    const LocalTime system = localFromParts(parts);
    const LocalTime ours = Win32Clock().now();
    EXPECT_LT(std::chrono::abs(ours - system), 2s);

    // The epoch itself, in the zone's offset of that day.
    FILETIME epoch{};
    epoch.dwLowDateTime = static_cast<DWORD>(116444736000000000ULL & 0xFFFFFFFF);
    epoch.dwHighDateTime = static_cast<DWORD>(116444736000000000ULL >> 32);
    SYSTEMTIME utcParts{};
    SYSTEMTIME localParts{};
    ASSERT_TRUE(FileTimeToSystemTime(&epoch, &utcParts));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &localParts));
    EXPECT_EQ(FileTimeToLocal(epoch), localFromParts(localParts));
    FILETIME beyond{};
    beyond.dwHighDateTime = 0x7FFFFFFF;
    EXPECT_FALSE(FileTimeToLocal(beyond).has_value());
}

// The ends the launcher tells within 20 s, until there are count of them.
std::vector<TaskEnd> EndsSeen(Win32Launcher& launcher, std::size_t count)
{
    std::vector<TaskEnd> ends;
    win32test::WaitFor(20s, [&] {
        for (TaskEnd& end : launcher.takeEnded()) {
            ends.push_back(std::move(end));
        }
        return ends.size() >= count;
    });
    return ends;
}

TEST(Win32LauncherTest, PassesTheCommandLineExactly)
{
    const auto recorder = test::builtProgram("win32_command_line_recorder");
    ASSERT_TRUE(std::filesystem::exists(recorder));
    TempDir dir;
    // A reader in a folder with blanks and Japanese in its name.
    const auto reader = dir.path() / L"アプリ フォルダ" / L"読取.exe";
    std::filesystem::create_directories(reader.parent_path());
    std::filesystem::copy_file(recorder, reader);
    const auto log = dir.path() / L"記録.log";
    SetEnvironmentVariableW(L"KUMODEN_RECORD_FILE", log.c_str());

    const PrintJob job{utf8(reader), dir.slash() + "BackPdf\\請求書 1.pdf", "PDF", "Wine PostScript Driver",
                       "CUPS:PDF"};
    const LaunchRequest request = PrintLaunchRequest(job);
    Win32Launcher launcher;
    EXPECT_NE(launcher.launch(request), 0u);
    const bool recorded = win32test::WaitFor(20s, [&] {
        const std::string text = readFile(log);
        return !text.empty() && text.back() == '\n';
    });
    SetEnvironmentVariableW(L"KUMODEN_RECORD_FILE", nullptr);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(readFile(log), request.commandLine + "\n");

    // Each end is seen with its exit code, the recorder's (0) too.
    const auto failing = launcher.launch({"cmd.exe /c exit 3", {}});
    ASSERT_NE(failing, 0u);
    const std::vector<TaskEnd> ends = EndsSeen(launcher, 2);
    ASSERT_EQ(ends.size(), 2u);
    for (const TaskEnd& end : ends) {
        EXPECT_EQ(end.exitCode, end.task == failing ? 3 : 0) << end.task;
    }

    EXPECT_EQ(launcher.launch({"\"" + dir.slash() + "missing.exe\" /t", {}}), 0u);
    EXPECT_EQ(launcher.launch({"", {}}), 0u);
}

TEST(Win32LauncherTest, ProgramsThatStayAreFollowedUpToTheBoundTheOldestGivenUpOnce)
{
    const auto recorder = test::builtProgram("win32_command_line_recorder");
    TempDir dir;
    const auto log = dir.path() / L"stay.log";
    std::ofstream(std::filesystem::path(log.wstring() + L".hold")).put('x');
    SetEnvironmentVariableW(L"KUMODEN_RECORD_FILE", log.c_str());
    Win32Launcher launcher(2);
    std::vector<std::uint64_t> tasks;
    for (int i = 0; i < 5; ++i) {
        tasks.push_back(launcher.launch({"\"" + utf8(recorder) + "\"", {}}));
        ASSERT_NE(tasks.back(), 0u);
    }
    SetEnvironmentVariableW(L"KUMODEN_RECORD_FILE", nullptr);
    std::vector<TaskEnd> given = launcher.takeEnded();
    ASSERT_EQ(given.size(), 3u);
    for (std::size_t i = 0; i < given.size(); ++i) {
        EXPECT_EQ(given[i].task, tasks[i]);
        EXPECT_TRUE(given[i].unfollowed);
        EXPECT_FALSE(given[i].failed());
    }

    // The three given up still run; the two followed are told when they end.
    std::filesystem::remove(log.wstring() + L".hold");
    const std::vector<TaskEnd> ends = EndsSeen(launcher, 2);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(std::minmax(ends[0].task, ends[1].task), std::minmax(tasks[3], tasks[4]));
    EXPECT_FALSE(ends[0].unfollowed || ends[1].unfollowed || ends[0].failed() || ends[1].failed());
    EXPECT_TRUE(win32test::WaitFor(20s, [&] {
        const std::string text = readFile(log);
        return std::count(text.begin(), text.end(), '\n') == 5;
    })) << readFile(log);
}

TEST(Win32PrinterListTest, ListsTheCupsQueuesUnderWine)
{
    const auto listing = Win32PrinterList().installedPrinters();
    EXPECT_EQ(listing.status, PrinterListStatus::listed);
    const auto& printers = listing.printers;
    const auto find = [&](const std::string& name) {
        return std::find_if(printers.begin(), printers.end(),
                            [&](const auto& p) { return p.deviceName == name; });
    };
    for (const auto& printer : printers) {
        std::cout << "printer: [" << printer.deviceName << "] driver: [" << printer.driverName << "] port: ["
                  << printer.portName << "]\n";
    }
    // The suite starts the scheduler: without it this is a failure, not a skip.
    ASSERT_NE(find("PDF"), printers.end())
        << "no printer PDF: the tests' own scheduler (CUPS_SERVER) does not answer";
    ASSERT_NE(find("PDF2"), printers.end());
    EXPECT_FALSE(find("PDF")->driverName.empty());
    EXPECT_FALSE(find("PDF")->portName.empty());
    EXPECT_NE(find("PDF")->portName, find("PDF2")->portName);
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

TEST(Win32TimerTest, TicksFromTheMessageLoopUntilStopped)
{
    Win32Timer timer;
    int ticks = 0;
    timer.setHandler([&] { ++ticks; });
    EXPECT_EQ(timer.interval(), 0);
    win32test::WaitFor(100ms, [] { return false; });
    EXPECT_EQ(ticks, 0);

    timer.setInterval(20);
    EXPECT_EQ(timer.interval(), 20);
    EXPECT_TRUE(win32test::WaitFor(5s, [&] { return ticks >= 3; }));

    timer.setInterval(0);
    const int stoppedAt = ticks;
    win32test::WaitFor(200ms, [] { return false; });
    EXPECT_EQ(ticks, stoppedAt);

    timer.setInterval(-5);
    win32test::WaitFor(100ms, [] { return false; });
    EXPECT_EQ(ticks, stoppedAt);
    EXPECT_EQ(timer.interval(), -5);

    // The handler is still there: a new interval ticks again.
    timer.setInterval(20);
    EXPECT_TRUE(win32test::WaitFor(5s, [&] { return ticks > stoppedAt; }));
}

} // namespace
} // namespace kumoden
