// The resident program on an X server of each test's own, with a tray host:
// the splash, the icon, its menu and the version box, driven by xdotool.
// A private server per test keeps the pointer, the keyboard and the tray's
// icons away from the other tests that run meanwhile.
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/x_session.h"
#include "tests/integration/cups_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kSplashTitle = "Kumoden Start";
const std::string kAboutTitle = "ﾊﾞｰｼﾞｮﾝ情報";
// The splash's bar: 20 steps of 100 ms.
constexpr auto kSplashTime = 2000ms;

class Tray : public E2e {
protected:
    void TearDown() override
    {
        // The program goes before its X server does.
        kumoden.reset();
    }

    void startTrayHost()
    {
        m_trayer = std::make_unique<Process>(
            std::vector<std::string>{programPath("trayer"), "--edge", "top", "--align", "right",
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
        const fs::path folder = fs::path(buildDir()) / "artifacts";
        fs::create_directories(folder);
        const fs::path target = folder / file;
        const std::string crop = std::to_string(area.width) + "x" + std::to_string(area.height) + "+" +
                                 std::to_string(area.x) + "+" + std::to_string(area.y);
        const RunResult shot = x({"import", "-window", "root", "-crop", crop, target.string()});
        EXPECT_EQ(shot.exitCode, 0) << shot.err;
        EXPECT_TRUE(fs::exists(target));
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

TEST_F(Tray, SplashGoesBeforeTheIconComes)
{
    startTrayHost();
    const auto start = Clock::now();
    startProgram();
    std::optional<Clock::duration> splashSeen;
    std::optional<Clock::duration> splashGone;
    std::optional<Clock::duration> iconSeen;
    bool together = false;
    bool splashShown = false;
    while (!iconSeen && Clock::now() - start < 15s) {
        const std::vector<XWindow> windows = tree();
        const auto at = Clock::now() - start;
        const bool splash = std::any_of(windows.begin(), windows.end(), [](const XWindow& w) {
            return w.name == kSplashTitle && w.isOurs();
        });
        const bool icon = std::any_of(windows.begin(), windows.end(),
                                      [](const XWindow& w) { return w.inTray && w.isOurs(); });
        together = together || (splash && icon);
        if (splash && !splashSeen) {
            splashSeen = at;
            splashShown = !windowNamed(kSplashTitle).empty();
            for (const XWindow& w : windows) {
                if (w.name == kSplashTitle) {
                    screenshot("splash.png", w);
                }
            }
        }
        if (!splash && splashSeen && !splashGone) {
            splashGone = at;
        }
        if (icon) {
            iconSeen = at;
        }
    }
    ASSERT_TRUE(splashSeen) << "no splash";
    ASSERT_TRUE(iconSeen) << "no icon";
    EXPECT_TRUE(splashShown);
    EXPECT_FALSE(together) << "the splash was still there when the icon came";
    ASSERT_TRUE(splashGone);
    EXPECT_LE(*splashGone, *iconSeen);
    const auto splashToIcon = *iconSeen - *splashSeen;
    std::cout << "start to splash " << millis(*splashSeen) << " ms, splash to icon " << millis(splashToIcon)
              << " ms, start to icon " << millis(*iconSeen) << " ms\n";
    RecordProperty("start_to_icon_ms", std::to_string(millis(*iconSeen)));
    EXPECT_GE(splashToIcon, kSplashTime - 100ms);
    EXPECT_LE(splashToIcon, kSplashTime + 200ms);
    EXPECT_TRUE(kumoden->running());
}

TEST_F(Tray, IconSitsInTheTray)
{
    startTrayHost();
    startProgram();
    const XWindow icon = waitForIcon();
    const std::optional<XWindow> host = panel();
    ASSERT_TRUE(host);
    EXPECT_GE(icon.x, host->x);
    EXPECT_LE(icon.x + icon.width, host->x + host->width);
    EXPECT_GE(icon.y, host->y);
    EXPECT_LE(icon.y + icon.height, host->y + host->height);
    EXPECT_GT(icon.width, 0);
    screenshot("tray.png", *host);
    EXPECT_TRUE(shownWindows().empty()) << "no window of its own besides the icon";

    // Resting the pointer on the icon shows its tip.
    const std::string cx = std::to_string(icon.x + icon.width / 2);
    const std::string cy = std::to_string(icon.y + icon.height / 2);
    x({"xdotool", "mousemove", cx, cy, "sleep", "0.2", "mousemove", "--", cx, std::to_string(icon.y + 2)});
    std::vector<std::string> shown;
    ASSERT_TRUE(eventually(5s, [&] { return (shown = shownWindows()).size() == 1; })) << "no tip";
    const XWindow tip = geometryOf(shown.front());
    EXPECT_LT(std::abs(tip.y - (icon.y + icon.height)), 40);
    screenshot("tip.png", tip);
}

TEST_F(Tray, MenuHasTheFourCommands)
{
    startTrayHost();
    startProgram();
    const XWindow icon = waitForIcon();

    const std::string menu = openMenu(icon);
    ASSERT_FALSE(menu.empty());
    // The tray is at the top: the menu hangs below the icon, right edges in line.
    const XWindow placed = geometryOf(menu);
    EXPECT_EQ(placed.x + placed.width, icon.x + icon.width);
    EXPECT_GE(placed.y, icon.y + icon.height);
    screenshot("menu.png", placed);

    // 環境設定(&C): the settings dialog is not part of this build, so the
    // menu closes and nothing opens.
    key("c");
    expectQuietFor(700ms);

    // バージョン情報(&V), closed with Enter.
    openMenu(icon);
    key("v");
    ASSERT_FALSE(waitForWindow(kAboutTitle).empty());
    key("Return");
    EXPECT_TRUE(waitUntilGone(kAboutTitle));
    expectQuietFor(300ms);

    // The second command, which has no access key: the printer dialog.
    openAndCancelPrinterSetup(icon);
    EXPECT_TRUE(kumoden->running());

    // 終了(&E) ends the program, and its icon goes with it.
    openMenu(icon);
    key("e");
    EXPECT_EQ(kumoden->wait(10s), 0);
    EXPECT_TRUE(eventually(5s, [&] { return icons().empty(); }));
}

TEST_F(Tray, PrinterSetupWithoutAnyPrinterIsNoCrash)
{
    startTrayHost();
    // No scheduler to ask: no printer at all.
    startProgram({"CUPS_SERVER=" + (dir.path() / "no-scheduler.sock").string()});
    const XWindow icon = waitForIcon();
    openAndCancelPrinterSetup(icon);
    EXPECT_TRUE(kumoden->running());
    // The menu still answers afterwards.
    EXPECT_FALSE(openMenu(icon).empty());
    key("Escape");
    EXPECT_TRUE(kumoden->running());
}

TEST_F(Tray, DoubleClickOpensTheVersionBox)
{
    startTrayHost();
    startProgram();
    const XWindow icon = waitForIcon();

    click(icon, 1, 2);
    const std::string id = waitForWindow(kAboutTitle);
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(shownWindows(), std::vector<std::string>{id});
    const XWindow box = geometryOf(id);
    EXPECT_EQ(box.width, 356);
    EXPECT_EQ(box.height, 133);
    screenshot("about.png", box);
    // The OK button sits at the bottom right.
    XWindow ok{};
    ok.x = box.x + 256;
    ok.y = box.y + 104;
    ok.width = 92;
    ok.height = 23;
    click(ok, 1);
    EXPECT_TRUE(waitUntilGone(kAboutTitle));
    expectQuietFor(300ms);

    // Again, closed with Esc this time.
    click(icon, 1, 2);
    ASSERT_FALSE(waitForWindow(kAboutTitle).empty());
    key("Escape");
    EXPECT_TRUE(waitUntilGone(kAboutTitle));
    expectQuietFor(300ms);
}

TEST_F(Tray, IconStaysLiveWhileTheVersionBoxIsOpen)
{
    startTrayHost();
    startProgram();
    const XWindow icon = waitForIcon();
    click(icon, 1, 2);
    const std::string box = waitForWindow(kAboutTitle);
    ASSERT_FALSE(box.empty());

    // One version box at a time, however it is asked for.
    click(icon, 1, 2);
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(shownWindows(), std::vector<std::string>{box});
    ASSERT_FALSE(openMenu(icon, 1).empty());
    key("v");
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(shownWindows(), std::vector<std::string>{box});

    // 終了 ends the program from inside the box's modal loop.
    ASSERT_FALSE(openMenu(icon, 1).empty());
    key("e");
    EXPECT_EQ(kumoden->wait(10s), 0);
}

TEST_F(Tray, SingleLeftClickOpensNothing)
{
    startTrayHost();
    startProgram();
    const XWindow icon = waitForIcon();
    click(icon, 1);
    // Longer than a double-click's interval.
    expectQuietFor(1000ms);
    click(icon, 2);
    expectQuietFor(500ms);
}

TEST_F(Tray, SecondInstanceEndsAtOnce)
{
    startTrayHost();
    startProgram();
    waitForIcon();

    const auto start = Clock::now();
    Process second({(app() / "kumoden").string()}, programEnv());
    EXPECT_EQ(second.wait(10s), 0);
    EXPECT_LT(Clock::now() - start, kSplashTime / 2) << "it ended without a splash";
    EXPECT_TRUE(windowNamed(kSplashTitle).empty());
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(icons().size(), 1u);
    EXPECT_TRUE(kumoden->running());
}

TEST_F(Tray, IconFollowsTheTrayHost)
{
    startProgram();
    // No tray host: the program runs on, without an icon.
    std::this_thread::sleep_for(kSplashTime + 1500ms);
    EXPECT_TRUE(kumoden->running());
    EXPECT_TRUE(icons().empty());

    startTrayHost();
    EXPECT_TRUE(eventually(5s, [&] { return icons().size() == 1; })) << "no icon in the tray host that came";

    // The tray host restarts: the icon docks in the new one.
    stopTrayHost();
    startTrayHost();
    EXPECT_TRUE(eventually(5s, [&] { return icons().size() == 1; })) << "no icon after the restart";

    // And its menu still opens there.
    const XWindow icon = waitForIcon();
    EXPECT_FALSE(openMenu(icon).empty());
    key("Escape");
    EXPECT_TRUE(eventually(5s, [&] { return shownWindows().empty(); }));
    EXPECT_TRUE(kumoden->running());
}

} // namespace
} // namespace kumoden::test
