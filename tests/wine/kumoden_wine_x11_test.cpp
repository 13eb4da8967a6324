// kumoden.exe of the Windows build, run by Wine with its X11 driver on an X
// server of the test's own with a tray host, as a user would meet it: the
// splash, the icon, its menu, the version box, the settings dialog writing
// the INI, one copy at a time and the end from the menu. X shows the
// top-level windows and the icon, a helper of the Windows build
// (window_lister.exe, in the same prefix) the controls inside them, xdotool
// clicks and types. The prefix (build-win/wineprefix-x11, made by
// scripts/test-windows.sh) has no window manager's frames and a Japanese
// font for the program's; every wine process in it ends with the test.
#include "tests/integration/hard_copy_test_support.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tray_screen.h"
#include "tests/support/wine_drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// "; 設定" in the Japanese code page, as a Windows editor saves it.
const std::string kCp932Comment = "; \x90\xdd\x92\xe8\r\n";

// One shown window of the program as the Windows side has it.
struct WinWindow {
    bool topLevel = false;
    std::string className;
    std::string text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
using Match = std::function<bool(const WinWindow&)>;

Match topLevel(const std::string& className)
{
    return [=](const WinWindow& w) { return w.topLevel && w.className == className; };
}
Match control(const std::string& className, const std::string& text)
{
    return [=](const WinWindow& w) {
        return !w.topLevel && w.className == className && (text.empty() || w.text == text);
    };
}

class WineTray : public ::testing::Test, protected TrayScreen {
protected:
    WineTray()
    {
        const char* build = std::getenv("KUMODEN_WIN_BUILD_DIR");
        m_winBuild = build != nullptr ? build : "";
        fs::create_directories(app());
        fs::create_directories(in());
    }

    void SetUp() override
    {
        for (const char* built : {"kumoden.exe", "win32_window_lister.exe"}) {
            ASSERT_TRUE(fs::exists(m_winBuild / built))
                << built << " is not built in KUMODEN_WIN_BUILD_DIR=" << m_winBuild;
        }
        ASSERT_TRUE(fs::exists(prefix() / "system.reg")) << "no Wine prefix " << prefix();
        fs::copy_file(m_winBuild / "kumoden.exe", app() / "kumoden.exe");
        // Whatever an earlier run left in the prefix talks to an X server of its own.
        wineServer("-k");
    }

    void TearDown() override
    {
        // Every process of the prefix goes before the X server does.
        wineServer("-k");
        EXPECT_EQ(wineServer("-w").exitCode, 0) << "the prefix's wine server does not end";
        m_kumoden.reset();
        m_trayer.reset();
    }

    fs::path app() const { return m_dir.path() / "app"; }
    fs::path in() const { return m_dir.path() / "in"; }
    fs::path ini() const { return app() / "kumoden.INI"; }
    fs::path prefix() const { return m_winBuild / "wineprefix-x11"; }

    std::vector<std::string> wineEnv() const
    {
        return {"WINEPREFIX=" + prefix().string(),
                "WINEDEBUG=-all",
                "WINEDLLOVERRIDES=mscoree,mshtml=",
                "LOCPATH=" + (m_winBuild / "locale").string(),
                "LC_ALL=ja_JP.UTF-8",
                "DISPLAY=" + m_x.name()};
    }
    RunResult wineServer(const std::string& option)
    {
        return runProgram({"wineserver", option}, wineEnv(), 30s);
    }

    // A copy of the program, in the current folder given (else this one's).
    std::unique_ptr<Process> launch(Process::Output output = Process::Output::Inherit,
                                    const fs::path& folder = {})
    {
        const std::string exe = (app() / "kumoden.exe").string();
        std::vector<std::string> command{"wine", exe};
        if (!folder.empty()) {
            command = {"/bin/sh", "-c", "cd \"$0\" && exec wine \"$1\"", folder.string(), exe};
        }
        return std::make_unique<Process>(command, wineEnv(), output);
    }
    // The program, as m_kumoden, on an INI with a comment and a section of
    // another program's, with the tray host up. The reader is one every
    // prefix has: a missing one would be told in a balloon over the tray.
    void startWith(const fs::path& folder = {})
    {
        m_ini =
            kCp932Comment + "[FileCheck_Info]\r\nFileChkTime=1000\r\nFileChkDir=" + UnderWine(in().string()) +
            "\r\nFileSelect=job\r\nAcrExeDir=C:\\windows\\notepad.exe\r\nPrinterNm=PDF2\r\nFileDelDate=7\r\n"
            "[Other]\r\nKey=value\r\n";
        m_dir.write("app/kumoden.INI", m_ini);
        startTrayHost();
        m_kumoden = launch(Process::Output::Inherit, folder);
    }

    // The program's shown windows on the Windows side, the controls too
    // (window_lister.exe list); kept in shown for the failure messages.
    std::vector<WinWindow> programWindows()
    {
        const RunResult listed =
            runProgram({"wine", (m_winBuild / "win32_window_lister.exe").string(), "list"}, wineEnv(), 20s);
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        shown.clear();
        std::istringstream lines(listed.out);
        for (std::string line; std::getline(lines, line);) {
            // A Windows program's text output ends its lines with CR LF.
            std::erase(line, '\r');
            std::vector<std::string> field;
            std::istringstream parts(line);
            for (std::string part; std::getline(parts, part, '\t');) {
                field.push_back(part);
            }
            // top|child, handle, process, class, text, x y width height, shown
            if (field.size() == 7 && field[2] == "kumoden.exe" && field[6] == "1") {
                WinWindow& w = shown.emplace_back(field[0] == "top", field[3], field[4]);
                std::istringstream(field[5]) >> w.x >> w.y >> w.width >> w.height;
            }
        }
        return shown;
    }
    // The topmost of the program's shown windows that match (the lowest).
    std::optional<WinWindow> shownWindow(const Match& match, bool lowest = false)
    {
        std::optional<WinWindow> found;
        for (const WinWindow& w : programWindows()) {
            if (match(w) && (!found || (lowest ? w.y > found->y : w.y < found->y))) {
                found = w;
            }
        }
        return found;
    }
    std::optional<WinWindow> waitForShown(const Match& match, std::chrono::milliseconds limit = 5s,
                                          bool lowest = false)
    {
        std::optional<WinWindow> found;
        eventually(limit, [&] { return (found = shownWindow(match, lowest)).has_value(); });
        return found;
    }
    // Clicks the middle of that window once it is shown; whether it came.
    bool clickOn(const Match& match, bool lowest = false)
    {
        const std::optional<WinWindow> w = waitForShown(match, 5s, lowest);
        if (w) {
            click(w->x + w->width / 2, w->y + w->height / 2, 1);
        }
        return w.has_value();
    }
    std::string classes() const
    {
        std::string names;
        for (const WinWindow& w : shown) {
            names += w.className + " \"" + w.text + "\" at " + std::to_string(w.x) + "," +
                     std::to_string(w.y) + "\n";
        }
        return names;
    }

    // Wine's desktop process (explorer.exe) docks the icons of every
    // program of the prefix; the program under test is the only one that
    // has any.
    bool ours(const XWindow& window) const override { return window.instance == "kumoden.exe"; }
    bool oursInTray(const XWindow& window) const override { return window.instance == "explorer.exe"; }
    fs::path artifacts() const override { return m_winBuild / "artifacts"; }

    // Without a window manager the keyboard goes where the focus is put.
    bool takeFocus(std::uint32_t id) override
    {
        x({"xdotool", "windowfocus", "--sync", std::to_string(id)});
        return waitForFocus(id);
    }
    // Wine puts a menu where it likes; the keys go to it once the pointer
    // rests on it.
    void settleMenu(const XWindow& menu) override
    {
        x({"xdotool", "mousemove", std::to_string(menu.x + 1), std::to_string(menu.y + 1)});
    }
    int menuClicks() const override { return 5; }

    // The settings dialog's steps, each taking the program up where the one
    // before left it.
    // On the folders' tab, the upper 参照 opens the folder picker, which
    // hands back the watched folder's one sub-folder.
    void pickTheSubFolderOfTheWatchedOne()
    {
        key("ctrl+Tab");
        ASSERT_TRUE(clickOn(control("Button", "参照"))) << classes();
        const std::uint32_t picker = waitForWindow("PDF File");
        ASSERT_NE(picker, 0u) << "no folder picker";
        screenshot("wine-folder-picker.png", geometryOf(picker));

        // The folder list opens there, its one sub-folder last: highlighted and
        // opened with Enter, then handed back with 選択.
        const std::optional<WinWindow> list = shownWindow(control("ListBox", ""));
        ASSERT_TRUE(list) << classes();
        click(list->x + list->width / 2, list->y + 8, 1);
        key("End");
        key("Return");
        std::this_thread::sleep_for(500ms);
        ASSERT_TRUE(clickOn(control("Button", "選   択"))) << classes();
        ASSERT_TRUE(waitUntilGone("PDF File")) << "the picker stays open";

        const std::string chosen = UnderWine((in() / "sub").string());
        EXPECT_TRUE(waitForShown(control("Edit", chosen))) << chosen << "\n" << classes();
    }

    // The lower 参照 opens the program picker; キャンセル leaves the field.
    void cancelTheProgramPicker()
    {
        ASSERT_TRUE(clickOn(control("Button", "参照"), true)) << classes();
        const std::uint32_t programPicker = waitForWindow("PDF File");
        ASSERT_NE(programPicker, 0u) << "no program picker";
        const XWindow area = geometryOf(programPicker);
        screenshot("wine-program-picker.png", area);
        // The picker's own キャンセル, not the dialog's beneath it.
        ASSERT_TRUE(clickOn([&](const WinWindow& w) {
            return control("Button", "キャンセル")(w) && w.x >= area.x && w.x < area.x + area.width &&
                   w.y >= area.y && w.y < area.y + area.height;
        })) << classes();
        ASSERT_TRUE(waitUntilGone("PDF File")) << "the program picker stays open";
    }

    // Opened again, the dialog holds the INI's values; OK writes the
    // retention typed, and the fields filled at opening as they were.
    void expectTheRetentionTypedToBeWritten(const XWindow& icon)
    {
        const std::uint32_t again = openSettings(icon);
        ASSERT_NE(again, 0u) << "no settings dialog the second time";
        const XWindow placed = geometryOf(again);
        // Ctrl+Tab goes round the three tabs and back to the first.
        for (const char* shot : {"wine-settings-1.png", "wine-settings-2.png", "wine-settings-3.png"}) {
            std::this_thread::sleep_for(300ms);
            screenshot(shot, placed);
            key("ctrl+Tab");
        }

        // The retention box holds the INI's value; the focus starts on Cancel,
        // and the box comes before it.
        const auto retention = [&] {
            return shownWindow(
                       [&](const WinWindow& w) {
                           return !w.topLevel && w.className == "Edit" && w.y > placed.y &&
                                  w.y < placed.y + placed.height / 2;
                       },
                       true)
                .value_or(WinWindow{})
                .text;
        };
        EXPECT_EQ(retention(), "7") << classes();
        key("shift+Tab");
        key("ctrl+a");
        x({"xdotool", "type", "--delay", "60", "30"});
        EXPECT_TRUE(eventually(5s, [&] { return retention() == "30"; })) << retention();
        key("Return");
        ASSERT_TRUE(waitUntilGone(kSettingsTitle)) << "OK leaves the dialog open";

        // The fields filled at opening are written again as they were; the
        // printer was not chosen from the list; the comment keeps its bytes.
        std::string expected = m_ini;
        expected.replace(expected.find("FileDelDate=7"), 13, "FileDelDate=30");
        EXPECT_TRUE(eventually(5s, [&] { return readFile(ini()) == expected; })) << readFile(ini());
        EXPECT_TRUE(m_kumoden->running());
    }

    fs::path m_winBuild;
    TempDir m_dir;
    std::unique_ptr<Process> m_kumoden;
    std::vector<WinWindow> shown;
    std::string m_ini;
};

TEST_F(WineTray, SplashThenOneIconWhoseMenuAndVersionBoxOpenAndCloseUntilTheMenuEndsIt)
{
    startWith();
    // The splash, and the icon only once it has gone.
    expectSplashBeforeIcon(kSplashTitle, "wine-splash.png", 30s);
    ASSERT_FALSE(HasFatalFailure());
    const XWindow icon = waitForIconInPanel("wine-tray.png");

    // A second copy ends at once, and adds no icon: the tray has passed the
    // menu's click on since the copy ended, and shows one icon.
    const std::unique_ptr<Process> second = launch(Process::Output::Capture);
    EXPECT_EQ(second->wait(30s), 0) << second->out() << second->err();
    EXPECT_TRUE(m_kumoden->running());
    // A right click opens the menu: one popup window of the program.
    const std::uint32_t menu = openMenu(icon);
    ASSERT_NE(menu, 0u) << "no menu";
    EXPECT_EQ(icons().size(), 1u);
    EXPECT_EQ(std::ranges::count_if(programWindows(), topLevel("#32768")), 1) << classes();
    const XWindow placed = geometryOf(menu);
    // Four entries in a line each, three separators between them.
    EXPECT_GT(placed.height, 4 * 16);
    screenshot("wine-menu.png", placed);
    EXPECT_TRUE(closeWith("Escape")) << "Esc leaves the menu open";

    ASSERT_NO_FATAL_FAILURE(expectVersionBoxOpensAndCloses(icon, "wine-about.png"));

    // 終了(&E) ends the program.
    ASSERT_NE(openMenu(icon), 0u) << "no menu after the version box closed";
    expectEndFromMenu(*m_kumoden, 20s);
}

TEST_F(WineTray, ThePrinterChosenInTheSetupIsTheOneTheNextHardCopyPrintsOn)
{
    startWith();
    const XWindow icon = waitForIcon();
    PrintOutputs pdf("PDF");
    PrintOutputs pdf2("PDF2");

    // The menu's second command, which has no access key: the printer setup.
    ASSERT_NE(openMenu(icon), 0u) << "no menu";
    key("Down");
    key("Down");
    key("Return");
    const std::optional<WinWindow> dialog = waitForShown(topLevel("#32770"), 30s);
    ASSERT_TRUE(dialog) << "no printer setup\n" << classes();
    ASSERT_TRUE(shownWindow(control("ComboBox", "PDF")))
        << "the setup does not show the current printer PDF\n"
        << classes();
    const std::uint32_t window = windowNamed(dialog->text);
    ASSERT_NE(window, 0u);
    screenshot("wine-printer-setup.png", geometryOf(window));
    // The list drops down under a click; the next queue is PDF2.
    ASSERT_TRUE(clickOn(control("ComboBox", "PDF"))) << classes();
    EXPECT_TRUE(waitForShown(topLevel("ComboLBox"))) << "the list does not drop down\n" << classes();
    key("Down");
    key("Return");
    EXPECT_TRUE(waitForShown(control("ComboBox", "PDF2"))) << classes();
    ASSERT_TRUE(takeFocus(window));
    key("Return");
    ASSERT_TRUE(waitUntilGone(dialog->text)) << "OK leaves the setup open";

    // A bitmap on the clipboard prints on PDF2, and on nothing else.
    const fs::path png = writeQuartersPicture(m_dir.path() / "picture.png", 240, 160);
    const fs::path bmp = m_dir.path() / "picture.bmp";
    ASSERT_EQ(runProgram({"convert", png.string(), "BMP3:" + bmp.string()}, {}, 20s).exitCode, 0);
    ASSERT_NO_FATAL_FAILURE(copyFile(bmp, "image/bmp"));
    EXPECT_EQ(pdf2.waitForNew(60s).size(), 1u) << "no hard copy on PDF2";
    EXPECT_TRUE(pdf.newFiles().empty()) << "a hard copy went to PDF";
    EXPECT_TRUE(m_kumoden->running());
}

TEST_F(WineTray, ThePickersHandTheirChoiceToTheSettingsDialogCancelKeepsTheIniAndOkWritesIt)
{
    // The pickers open at the program's current folder: the watched one.
    fs::create_directories(in() / "sub");
    startWith(in());
    const XWindow icon = waitForIcon();
    const std::uint32_t conf = openSettings(icon);
    ASSERT_NE(conf, 0u) << "no settings dialog";
    ASSERT_NO_FATAL_FAILURE(pickTheSubFolderOfTheWatchedOne());
    ASSERT_NO_FATAL_FAILURE(cancelTheProgramPicker());

    // Cancel: the INI keeps every byte.
    ASSERT_TRUE(takeFocus(conf));
    ASSERT_TRUE(closeWith("Escape", kSettingsTitle));
    EXPECT_EQ(readFile(ini()), m_ini);

    expectTheRetentionTypedToBeWritten(icon);
}

} // namespace
} // namespace kumoden::test
