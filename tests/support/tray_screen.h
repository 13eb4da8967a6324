#pragma once

// An X server of the test's own (so that no other test's pointer, keys or
// icons get in the way) with a tray host, trayer, looked at over xcb and
// driven by xdotool: what the tray tests of the Linux program and of the
// Windows program under Wine share.
#include "tests/support/eventually.h"
#include "tests/support/process.h"
#include "tests/support/programs.h"
#include "tests/support/x_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kumoden::test {

// The program's windows, by their titles.
inline const std::string kSplashTitle = "Kumoden Start";
inline const std::string kAboutTitle = "ﾊﾞｰｼﾞｮﾝ情報";
inline const std::string kSettingsTitle = "環境設定画面";

class TrayScreen {
protected:
    using Clock = std::chrono::steady_clock;

    TrayScreen() = default;
    TrayScreen(const TrayScreen&) = delete;
    TrayScreen& operator=(const TrayScreen&) = delete;
    virtual ~TrayScreen() = default;

    // Whether a window is one of the program's own (its icon aside).
    virtual bool ours(const XWindow& window) const = 0;
    // Whether a window inside the tray host's panel is the program's icon.
    virtual bool oursInTray(const XWindow& window) const = 0;
    // Where screenshots are kept for a look by eye.
    virtual std::filesystem::path artifacts() const = 0;
    // Gives a new window the focus where it does not take it itself; whether it has it.
    virtual bool takeFocus(std::uint32_t id) { return waitForFocus(id); }
    // What it takes for the keys to reach a menu that has just opened.
    virtual void settleMenu(const XWindow& menu) = 0;
    // Right clicks a menu is given to come: one before the icon is ready may open none.
    virtual int menuClicks() const { return 1; }

    void startTrayHost()
    {
        m_trayer = std::make_unique<Process>(
            std::vector<std::string>{installedProgram("trayer").string(), "--edge", "top", "--align", "right",
                                     "--widthtype", "pixel", "--width", "200", "--height", "32"},
            std::vector<std::string>{"DISPLAY=" + m_x.name()});
        ASSERT_TRUE(eventually(std::chrono::seconds(10), [&] { return panel().has_value(); }))
            << "trayer does not come up";
    }
    void stopTrayHost() { m_trayer.reset(); }

    // xdotool, xclip and the like on the test's X server.
    RunResult x(const std::vector<std::string>& argv)
    {
        return runProgram(argv, {"DISPLAY=" + m_x.name()}, std::chrono::seconds(20));
    }
    template <typename Match> std::optional<XWindow> findWindow(Match match)
    {
        const std::vector<XWindow> all = m_display.windows();
        const auto found = std::find_if(all.begin(), all.end(), match);
        return found != all.end() ? std::optional(*found) : std::nullopt;
    }
    std::optional<XWindow> panel()
    {
        return findWindow([](const XWindow& w) { return w.isTrayPanel(); });
    }
    std::vector<XWindow> icons()
    {
        std::vector<XWindow> found = m_display.windows();
        std::erase_if(found, [&](const XWindow& w) { return !w.inTray || !oursInTray(w); });
        return found;
    }
    // The icon once it is shown and has stopped moving: the tray host
    // reparents it, then maps it and lays out its icons, and a click that
    // comes before that lands on the host.
    XWindow waitForIcon(std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        const std::optional<std::vector<XWindow>> settled = test::settled(
            limit, [&] { return icons(); },
            [](const std::vector<XWindow>& now) { return now.size() == 1 && now.front().viewable; });
        if (!settled) {
            ADD_FAILURE() << icons().size() << " icons in the tray, none settled";
            return {};
        }
        return settled->front();
    }
    // The icon, once settled, inside the tray host's panel; the panel kept as the screenshot shot.
    XWindow waitForIconInPanel(const std::string& shot)
    {
        const XWindow icon = waitForIcon();
        const XWindow host = panel().value_or(XWindow{});
        EXPECT_TRUE(icon.width > 0 && icon.x >= host.x && icon.x + icon.width <= host.x + host.width &&
                    icon.y >= host.y && icon.y + icon.height <= host.y + host.height)
            << "the icon is not inside the tray";
        screenshot(shot, host);
        return icon;
    }
    // Watches the start-up until the icon comes: the splash must show, and be
    // gone before the icon comes; its first sight is kept as the screenshot
    // shot, and handed to atFirstSight while it is shown.
    void expectSplashBeforeIcon(const std::string& splashTitle, const std::string& shot,
                                std::chrono::milliseconds limit,
                                const std::function<void(const XWindow&)>& atFirstSight = {})
    {
        bool splash = false;
        bool together = false;
        const bool iconCame = eventually(limit, [&] {
            const std::uint32_t splashNow = windowNamed(splashTitle);
            const bool icon = !icons().empty();
            if (splashNow != 0 && !splash) {
                const XWindow seen = geometryOf(splashNow);
                screenshot(shot, seen);
                if (atFirstSight) {
                    atFirstSight(seen);
                }
            }
            splash = splash || splashNow != 0;
            together = together || (splashNow != 0 && icon);
            return icon;
        });
        ASSERT_TRUE(iconCame) << "no icon";
        EXPECT_TRUE(splash) << "no splash";
        EXPECT_FALSE(together) << "the splash was still there when the icon came";
    }
    // The program's shown windows, its icon left out.
    std::vector<std::uint32_t> shownWindows()
    {
        std::vector<std::uint32_t> shown;
        for (const XWindow& w : m_display.windows()) {
            if (ours(w) && w.viewable && !w.inTray) {
                shown.push_back(w.id);
            }
        }
        return shown;
    }
    // The shown window of that title; 0 for none.
    std::uint32_t windowNamed(const std::string& title)
    {
        return findWindow([&](const XWindow& w) { return w.viewable && w.name == title; })
            .value_or(XWindow{})
            .id;
    }
    // Keys typed before a new window has the focus go elsewhere.
    bool waitForFocus(std::uint32_t id)
    {
        return eventually(std::chrono::seconds(5), [&] { return m_display.focus() == id; });
    }
    // The window of that title once it is shown and has the focus; 0 if never.
    std::uint32_t waitForWindow(const std::string& title)
    {
        std::uint32_t id = 0;
        eventually(std::chrono::seconds(10), [&] { return (id = windowNamed(title)) != 0; });
        return id != 0 && takeFocus(id) ? id : 0;
    }
    // A window closed leaves the screen at once with a window manager;
    // without one, Wine waits 2 s for it before it unmaps a window it hid.
    bool waitUntilGone(const std::string& title)
    {
        return eventually(std::chrono::seconds(10), [&] { return windowNamed(title) == 0; });
    }
    // Opens the icon's menu: the new one of shownWindows(), or of windows();
    // 0 (and a failure) when none comes.
    std::uint32_t openMenu(const XWindow& icon)
    {
        return openMenuAmong(icon, [this] { return shownWindows(); });
    }
    std::uint32_t openMenuAmong(const XWindow& icon,
                                const std::function<std::vector<std::uint32_t>()>& windows)
    {
        const std::vector<std::uint32_t> before = windows();
        const auto limit = std::chrono::milliseconds(10000 / menuClicks());
        for (int i = 0; i < menuClicks(); ++i) {
            click(icon, 3);
            std::uint32_t menu = 0;
            const bool came = eventually(limit, [&] {
                for (const std::uint32_t id : windows()) {
                    menu = std::ranges::find(before, id) == before.end() ? id : menu;
                }
                return menu != 0;
            });
            if (came) {
                settleMenu(geometryOf(menu));
                return menu;
            }
        }
        ADD_FAILURE() << "the menu does not open";
        return 0;
    }
    // The window of that title from the menu's entry of that key, with the focus; 0 if never.
    std::uint32_t openFromMenu(const XWindow& icon, const std::string& accessKey, const std::string& title)
    {
        if (openMenu(icon) == 0) {
            return 0;
        }
        key(accessKey);
        return waitForWindow(title);
    }
    // The menu's 環境設定(&C).
    std::uint32_t openSettings(const XWindow& icon) { return openFromMenu(icon, "c", kSettingsTitle); }
    // Types the key; whether the window of that title (else every shown window) goes.
    bool closeWith(const std::string& name, const std::string& title = {})
    {
        key(name);
        return title.empty() ? eventually(std::chrono::seconds(10), [&] { return shownWindows().empty(); })
                             : waitUntilGone(title);
    }
    // The version box from a double click (the one window shown, kept as
    // the screenshot shot), closed with Enter; then from the menu's
    // バージョン情報(&V), closed with Esc.
    void expectVersionBoxOpensAndCloses(const XWindow& icon, const std::string& shot)
    {
        click(icon, 1, 2);
        const std::uint32_t box = waitForWindow(kAboutTitle);
        ASSERT_NE(box, 0u) << "no version box";
        EXPECT_EQ(shownWindows(), std::vector<std::uint32_t>{box});
        screenshot(shot, geometryOf(box));
        EXPECT_TRUE(closeWith("Return", kAboutTitle));
        ASSERT_NE(openFromMenu(icon, "v", kAboutTitle), 0u) << "the menu does not open the version box";
        EXPECT_TRUE(closeWith("Escape", kAboutTitle));
    }
    // 終了(&E) from the open menu ends the program, and its icon goes with it.
    void expectEndFromMenu(Process& program, std::chrono::milliseconds limit)
    {
        key("e");
        EXPECT_EQ(program.wait(limit), 0);
        EXPECT_TRUE(eventually(std::chrono::seconds(10), [&] { return icons().empty(); }))
            << "the icon stays after the end";
    }
    XWindow geometryOf(std::uint32_t id)
    {
        return findWindow([&](const XWindow& w) { return w.id == id; }).value_or(XWindow{});
    }
    // A click (times 2: a double click) there. Separate clicks keep the
    // double-click time apart: the second press of a double right-click
    // opens no menu, as on Windows.
    void click(int atX, int atY, int button, int times = 1)
    {
        std::this_thread::sleep_until(m_lastClick + kDoubleClickTime);
        x({"xdotool", "mousemove", std::to_string(atX), std::to_string(atY), "click", "--repeat",
           std::to_string(times), "--delay", "80", std::to_string(button)});
        m_lastClick = Clock::now();
    }
    // In the window's middle.
    void click(const XWindow& at, int button, int times = 1)
    {
        click(at.x + at.width / 2, at.y + at.height / 2, button, times);
    }
    void key(const std::string& name) { x({"xdotool", "key", "--delay", "60", name}); }
    // Puts the file on the X selection, as that type.
    void copyFile(const std::filesystem::path& file, const std::string& type = "image/png",
                  const std::string& selection = "clipboard")
    {
        const RunResult run = x({"xclip", "-selection", selection, "-t", type, "-i", file.string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    // A part of the screen, kept for a look by eye.
    void screenshot(const std::string& file, const XWindow& area)
    {
        const std::filesystem::path folder = artifacts();
        std::filesystem::create_directories(folder);
        const std::string crop = std::to_string(area.width) + "x" + std::to_string(area.height) + "+" +
                                 std::to_string(area.x) + "+" + std::to_string(area.y);
        const RunResult shot = x({"import", "-window", "root", "-crop", crop, (folder / file).string()});
        EXPECT_EQ(shot.exitCode, 0) << shot.err;
    }

    XServer m_x;
    XDisplay m_display{m_x.name()};
    std::unique_ptr<Process> m_trayer;

private:
    // Qt's double-click time on X is 400 ms, Windows' 500 ms.
    static constexpr auto kDoubleClickTime = std::chrono::milliseconds(550);
    Clock::time_point m_lastClick;
};

} // namespace kumoden::test
