#pragma once

// The resident program on an X server of the test's own, with a tray host,
// driven by xdotool. A private server per test keeps the pointer, the
// keyboard and the tray's icons away from the other tests that run meanwhile.
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/x_session.h"
#include "tests/support/pdf.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/programs.h"

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

inline const std::string kSplashTitle = "Kumoden Start";
inline const std::string kAboutTitle = "ﾊﾞｰｼﾞｮﾝ情報";
// The splash's bar: 20 steps of 100 ms.
inline constexpr auto kSplashTime = 2000ms;

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

    // The program with an empty watched folder, one tick a second.
    void startProgram(const std::vector<std::string>& extraEnv = {})
    {
        writeIni("FileChkTime=1000\r\nFileChkDir=" + in().string() + "\r\n");
        std::vector<std::string> env = programEnv();
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        kumoden = std::make_unique<Process>(std::vector<std::string>{(app() / "kumoden").string()}, env);
    }
    std::vector<std::string> programEnv() const { return {"DISPLAY=" + m_x.name(), "QT_QPA_PLATFORM=xcb"}; }

    RunResult x(const std::vector<std::string>& argv)
    {
        return runProgram(argv, {"DISPLAY=" + m_x.name()}, std::chrono::seconds(20));
    }
    std::vector<XWindow> tree() { return parseTree(x({"xwininfo", "-root", "-tree"}).out); }
    std::optional<XWindow> panel()
    {
        for (const XWindow& w : tree()) {
            if (w.wmClass == kTrayPanelClass) {
                return w;
            }
        }
        return std::nullopt;
    }
    std::vector<XWindow> icons()
    {
        std::vector<XWindow> found;
        for (const XWindow& w : tree()) {
            if (w.inTray && w.isOurs()) {
                found.push_back(w);
            }
        }
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
            if (now.size() == 1 && !before.empty() && sameGeometry(now.front(), before.front()) &&
                x({"xwininfo", "-id", now.front().id}).out.find("IsViewable") != std::string::npos) {
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
    static bool sameGeometry(const XWindow& a, const XWindow& b)
    {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    }
    // Ids of the program's windows on the screen, the tray icon left out.
    std::vector<std::string> shownWindows()
    {
        std::vector<std::string> trayIds;
        for (const XWindow& w : tree()) {
            if (w.inTray) {
                trayIds.push_back(std::to_string(std::stoul(w.id, nullptr, 16)));
            }
        }
        std::vector<std::string> shown;
        std::istringstream ids(x({"xdotool", "search", "--onlyvisible", "--class", "^kumoden$"}).out);
        std::string id;
        while (ids >> id) {
            if (std::find(trayIds.begin(), trayIds.end(), id) == trayIds.end()) {
                shown.push_back(id);
            }
        }
        return shown;
    }
    std::string windowNamed(const std::string& title)
    {
        return trimmed(x({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}).out);
    }
    // Keys typed before a new window has the focus go elsewhere.
    bool waitForFocus(const std::string& id)
    {
        return eventually(5s, [&] { return trimmed(x({"xdotool", "getwindowfocus"}).out) == id; });
    }
    // The window's id once it is shown and has the focus; empty if it never does.
    std::string waitForWindow(const std::string& title)
    {
        std::string id;
        eventually(5s, [&] { return !(id = windowNamed(title)).empty(); });
        return !id.empty() && waitForFocus(id) ? id : std::string();
    }
    bool waitUntilGone(const std::string& title)
    {
        return eventually(5s, [&] { return windowNamed(title).empty(); });
    }
    void click(const XWindow& at, int button, int times = 1)
    {
        x({"xdotool", "mousemove", std::to_string(at.x + at.width / 2), std::to_string(at.y + at.height / 2),
           "click", "--repeat", std::to_string(times), "--delay", "80", std::to_string(button)});
    }
    void key(const std::string& name) { x({"xdotool", "key", name}); }
    // Opens the icon's menu over the windows already open and waits for it.
    std::string openMenu(const XWindow& icon, std::size_t alreadyOpen = 0)
    {
        const std::vector<std::string> before = shownWindows();
        click(icon, 3);
        std::vector<std::string> shown;
        eventually(5s, [&] { return (shown = shownWindows()).size() == alreadyOpen + 1; });
        EXPECT_EQ(shown.size(), alreadyOpen + 1) << "the menu does not open";
        // Time for its grab of the keyboard to take hold.
        std::this_thread::sleep_for(200ms);
        for (const std::string& id : shown) {
            if (std::find(before.begin(), before.end(), id) == before.end()) {
                return id;
            }
        }
        return {};
    }
    // Opens the printer setup (the menu's second command, which has no
    // access key) and closes it with Esc.
    void openAndCancelPrinterSetup(const XWindow& icon)
    {
        const std::string menu = openMenu(icon);
        ASSERT_FALSE(menu.empty());
        key("Down");
        key("Down");
        key("Return");
        std::vector<std::string> shown;
        ASSERT_TRUE(eventually(10s, [&] {
            return (shown = shownWindows()).size() == 1 && shown.front() != menu;
        })) << "no printer dialog";
        ASSERT_TRUE(waitForFocus(shown.front()));
        key("Escape");
        EXPECT_TRUE(eventually(5s, [&] { return shownWindows().empty(); }));
    }
    // Nothing opens meanwhile and the program runs on.
    void expectQuietFor(std::chrono::milliseconds time)
    {
        std::this_thread::sleep_for(time);
        EXPECT_TRUE(shownWindows().empty());
        EXPECT_TRUE(kumoden->running());
    }
    // A part of the screen, kept beside the build for a look by eye.
    void screenshot(const std::string& file, const XWindow& area)
    {
        const std::filesystem::path folder = std::filesystem::path(buildDir()) / "artifacts";
        std::filesystem::create_directories(folder);
        const std::filesystem::path target = folder / file;
        const std::string crop = std::to_string(area.width) + "x" + std::to_string(area.height) + "+" +
                                 std::to_string(area.x) + "+" + std::to_string(area.y);
        const RunResult shot = x({"import", "-window", "root", "-crop", crop, target.string()});
        EXPECT_EQ(shot.exitCode, 0) << shot.err;
        EXPECT_TRUE(std::filesystem::exists(target));
    }
    XWindow geometryOf(const std::string& id)
    {
        const std::string out = x({"xwininfo", "-id", id}).out;
        const auto field = [&](const std::string& label) {
            const std::size_t at = out.find("  " + label + ":");
            return at == std::string::npos ? 0 : std::atoi(out.c_str() + at + label.size() + 3);
        };
        XWindow w;
        w.id = id;
        w.x = field("Absolute upper-left X");
        w.y = field("Absolute upper-left Y");
        w.width = field("Width");
        w.height = field("Height");
        return w;
    }

    XServer m_x;
    std::unique_ptr<Process> m_trayer;
};

} // namespace kumoden::test
