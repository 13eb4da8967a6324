// The resident program with a tray host: the splash, the icon, its menu
// and the version box.
#include "tests/e2e/tray_fixture.h"
#include "tests/support/pdf.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/programs.h"

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

using Tray = TrayFixture;
namespace fs = std::filesystem;

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

    // 環境設定(&C), closed with Esc.
    key("c");
    ASSERT_FALSE(waitForWindow("環境設定画面").empty());
    key("Escape");
    EXPECT_TRUE(waitUntilGone("環境設定画面"));
    expectQuietFor(300ms);

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
