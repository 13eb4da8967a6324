#pragma once

// kumoden.exe of the Windows build, run by Wine with its X11 driver on an X
// server of the test's own with a tray host, as a user would meet it: X
// shows the top-level windows and the icon, a helper of the Windows build
// (window_lister.exe, in the same prefix) the controls inside them, xdotool
// clicks and types. The prefix (build-win/wineprefix-x11, made by
// scripts/test-windows.sh) has no window manager's frames and a Japanese
// font for the program's; every wine process in it ends with the test.
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
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace kumoden::test {

using namespace std::chrono_literals;

// One window as the Windows side has it (window_lister.exe list).
struct WinWindow {
    bool topLevel = false;
    std::string process;
    std::string className;
    std::string text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool shown = false;
};

class WineX11 : public ::testing::Test, protected TrayScreen {
protected:
    WineX11()
    {
        const char* build = std::getenv("KUMODEN_WIN_BUILD_DIR");
        m_winBuild = build != nullptr ? build : "";
        std::filesystem::create_directories(app());
    }

    void SetUp() override
    {
        for (const char* built : {"kumoden.exe", "win32_window_lister.exe"}) {
            ASSERT_TRUE(std::filesystem::exists(m_winBuild / built))
                << built << " is not built in KUMODEN_WIN_BUILD_DIR=" << m_winBuild;
        }
        ASSERT_TRUE(std::filesystem::exists(prefix() / "system.reg")) << "no Wine prefix " << prefix();
        std::filesystem::copy_file(m_winBuild / "kumoden.exe", app() / "kumoden.exe");
        // Whatever an earlier run left in the prefix talks to an X server of its own.
        wineServer("-k");
    }

    void TearDown() override
    {
        // Every process of the prefix goes before the X server does.
        wineServer("-k");
        const RunResult waited = wineServer("-w");
        EXPECT_EQ(waited.exitCode, 0) << "the prefix's wine server does not end";
        m_kumoden.reset();
        m_trayer.reset();
    }

    std::filesystem::path app() const { return m_dir.path() / "app"; }
    std::filesystem::path ini() const { return app() / "kumoden.INI"; }
    std::filesystem::path prefix() const { return m_winBuild / "wineprefix-x11"; }

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

    // A copy of the program, in the current folder given (else this one's);
    // the first one started is m_kumoden.
    std::unique_ptr<Process> launch(Process::Output output = Process::Output::Inherit,
                                    const std::filesystem::path& folder = {})
    {
        const std::string exe = (app() / "kumoden.exe").string();
        std::vector<std::string> command{"wine", exe};
        if (!folder.empty()) {
            command = {"/bin/sh", "-c", "cd \"$0\" && exec wine \"$1\"", folder.string(), exe};
        }
        return std::make_unique<Process>(command, wineEnv(), output);
    }
    void start(const std::filesystem::path& folder = {})
    {
        m_kumoden = launch(Process::Output::Inherit, folder);
    }

    // What the Windows side shows: every top-level window and the controls
    // of the shown ones.
    std::vector<WinWindow> winWindows()
    {
        const RunResult listed =
            runProgram({"wine", (m_winBuild / "win32_window_lister.exe").string(), "list"}, wineEnv(), 20s);
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        std::vector<WinWindow> found;
        std::istringstream lines(listed.out);
        for (std::string line; std::getline(lines, line);) {
            // A Windows program's text output ends its lines with CR LF.
            std::erase(line, '\r');
            std::vector<std::string> field;
            std::istringstream parts(line);
            for (std::string part; std::getline(parts, part, '\t');) {
                field.push_back(part);
            }
            if (field.size() != 7) {
                continue;
            }
            WinWindow& w = found.emplace_back(field[0] == "top", field[2], field[3], field[4]);
            std::istringstream(field[5]) >> w.x >> w.y >> w.width >> w.height;
            w.shown = field[6] == "1";
        }
        return found;
    }

    // Wine's desktop process (explorer.exe) docks the icons of every
    // program of the prefix; the program under test is the only one that
    // has any.
    bool ours(const XWindow& window) const override { return window.instance == "kumoden.exe"; }
    bool oursInTray(const XWindow& window) const override { return window.instance == "explorer.exe"; }
    std::filesystem::path artifacts() const override { return m_winBuild / "artifacts"; }

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

    std::filesystem::path m_winBuild;
    TempDir m_dir;
    std::unique_ptr<Process> m_kumoden;
};

} // namespace kumoden::test
