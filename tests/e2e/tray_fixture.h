#pragma once

// The resident program on an X server of the test's own, with a tray host,
// driven by xdotool and watched through a connection of the test's own. A
// private server per test keeps the pointer, the keyboard and the tray's
// icons away from the other tests that run meanwhile.
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/x_display.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kumoden::test {

using namespace std::chrono_literals;

inline const std::string kSplashTitle = "Kumoden Start";
inline const std::string kAboutTitle = "ﾊﾞｰｼﾞｮﾝ情報";

class TrayFixture : public E2e {
protected:
    void TearDown() override
    {
        // The program goes before its X server does.
        kumoden.reset();
    }

    void startTrayHost()
    {
        m_trayer = std::make_unique<Process>(
            std::vector<std::string>{installedProgram("trayer").string(), "--edge", "top", "--align", "right",
                                     "--widthtype", "pixel", "--width", "200", "--height", "32"},
            std::vector<std::string>{"DISPLAY=" + m_x.name()});
        ASSERT_TRUE(eventually(10s, [&] { return panel().has_value(); })) << "trayer does not come up";
    }
    void stopTrayHost() { m_trayer.reset(); }

    // The program with an empty watched folder, one tick a second, and the
    // reader it needs (or the one given).
    void startProgram(const std::vector<std::string>& extraEnv = {},
                      Process::Output output = Process::Output::Inherit,
                      const std::string& reader = builtProgram("kumoden-print").string())
    {
        writeIni("FileChkTime=1000\r\nFileChkDir=" + in().string() + "\r\nAcrExeDir=" + reader + "\r\n");
        std::vector<std::string> env = programEnv();
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        kumoden =
            std::make_unique<Process>(std::vector<std::string>{(app() / "kumoden").string()}, env, output);
    }
    std::vector<std::string> programEnv() const { return {"DISPLAY=" + m_x.name(), "QT_QPA_PLATFORM=xcb"}; }

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
        std::erase_if(found, [](const XWindow& w) { return !w.inTray || !w.isOurs(); });
        return found;
    }
    // The icon once it is shown and has stopped moving: the tray host
    // reparents it, then maps it and lays out its icons, and a click that
    // comes before that lands on the host.
    XWindow waitForIcon()
    {
        std::optional<XWindow> settled;
        std::vector<XWindow> before;
        eventually(10s, [&] {
            std::vector<XWindow> now = icons();
            const auto same = [](const XWindow& a, const XWindow& b) {
                return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
            };
            if (now.size() == 1 && now.front().viewable && !before.empty() &&
                same(now.front(), before.front())) {
                settled = now.front();
            }
            before = std::move(now);
            return settled.has_value();
        });
        if (!settled) {
            ADD_FAILURE() << before.size() << " icons in the tray, none settled";
            return {};
        }
        return *settled;
    }
    // The program's windows on the screen, the tray icon left out.
    std::vector<std::uint32_t> shownWindows()
    {
        std::vector<std::uint32_t> shown;
        for (const XWindow& w : m_display.windows()) {
            if (w.isOurs() && w.viewable && !w.inTray) {
                shown.push_back(w.id);
            }
        }
        return shown;
    }
    // The shown window of that name; 0 for none.
    std::uint32_t windowNamed(const std::string& title)
    {
        return findWindow([&](const XWindow& w) { return w.viewable && w.name == title; })
            .value_or(XWindow{})
            .id;
    }
    // Keys typed before a new window has the focus go elsewhere.
    bool waitForFocus(std::uint32_t id)
    {
        return eventually(5s, [&] { return m_display.focus() == id; });
    }
    // The window once it is shown and has the focus; 0 if it never does.
    std::uint32_t waitForWindow(const std::string& title)
    {
        std::uint32_t id = 0;
        eventually(5s, [&] { return (id = windowNamed(title)) != 0; });
        return id != 0 && waitForFocus(id) ? id : 0;
    }
    bool waitUntilGone(const std::string& title)
    {
        return eventually(5s, [&] { return windowNamed(title) == 0; });
    }
    XWindow geometryOf(std::uint32_t id)
    {
        return findWindow([&](const XWindow& w) { return w.id == id; }).value_or(XWindow{});
    }
    // A click (times 2: a double click) in the middle of the window. Two
    // clicks on one spot within the double-click time are a double click to
    // the program as to the user (the second press of a double right-click
    // opens no menu, as on Windows), so separate clicks keep that time apart.
    void click(const XWindow& at, int button, int times = 1)
    {
        std::this_thread::sleep_until(m_lastClick + kDoubleClickTime);
        x({"xdotool", "mousemove", std::to_string(at.x + at.width / 2), std::to_string(at.y + at.height / 2),
           "click", "--repeat", std::to_string(times), "--delay", "80", std::to_string(button)});
        m_lastClick = std::chrono::steady_clock::now();
    }
    void key(const std::string& name) { x({"xdotool", "key", name}); }
    // Opens the icon's menu over the windows already open and waits for it.
    std::uint32_t openMenu(const XWindow& icon, std::size_t alreadyOpen = 0)
    {
        const std::vector<std::uint32_t> before = shownWindows();
        std::vector<std::uint32_t> shown;
        click(icon, 3);
        EXPECT_TRUE(eventually(10s, [&] { return (shown = shownWindows()).size() == alreadyOpen + 1; }))
            << "the menu does not open";
        // Time for its grab of the keyboard to take hold.
        std::this_thread::sleep_for(200ms);
        for (std::uint32_t id : shown) {
            if (std::find(before.begin(), before.end(), id) == before.end()) {
                return id;
            }
        }
        return 0;
    }
    // Opens the printer setup (the menu's second command, which has no
    // access key) and closes it with Esc.
    void openAndCancelPrinterSetup(const XWindow& icon)
    {
        const std::uint32_t menu = openMenu(icon);
        ASSERT_NE(menu, 0u);
        key("Down");
        key("Down");
        key("Return");
        std::vector<std::uint32_t> shown;
        ASSERT_TRUE(eventually(10s, [&] {
            return (shown = shownWindows()).size() == 1 && shown.front() != menu;
        })) << "no printer dialog";
        ASSERT_TRUE(waitForFocus(shown.front()));
        key("Escape");
        EXPECT_TRUE(eventually(5s, [&] { return shownWindows().empty(); }));
    }
    // A part of the screen, kept beside the build for a look by eye.
    void screenshot(const std::string& file, const XWindow& area)
    {
        const std::filesystem::path folder = builtProgram("artifacts");
        std::filesystem::create_directories(folder);
        const std::string crop = std::to_string(area.width) + "x" + std::to_string(area.height) + "+" +
                                 std::to_string(area.x) + "+" + std::to_string(area.y);
        const RunResult shot = x({"import", "-window", "root", "-crop", crop, (folder / file).string()});
        EXPECT_EQ(shot.exitCode, 0) << shot.err;
    }

    // Qt's double-click time on X is 400 ms.
    static constexpr auto kDoubleClickTime = 500ms;
    std::chrono::steady_clock::time_point m_lastClick;
    XServer m_x;
    XDisplay m_display{m_x.name()};
    std::unique_ptr<Process> m_trayer;
};

} // namespace kumoden::test
