// The resident program with a tray host: the splash, the icon, its menu
// and the version box.
#include "tests/e2e/tray_fixture.h"
#include "tests/integration/hard_copy_test_support.h"
#include "tests/support/print_outputs.h"
#include "tray/about_design.h"

#include <cstdlib>
#include <map>

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;

// Every file below the folder, with its size.
std::map<std::string, std::uintmax_t> filesUnder(const fs::path& folder)
{
    std::map<std::string, std::uintmax_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files[entry.path().string()] = entry.is_regular_file() ? entry.file_size() : 0;
    }
    return files;
}

std::vector<std::uint32_t> sorted(std::vector<std::uint32_t> ids)
{
    std::sort(ids.begin(), ids.end());
    return ids;
}

class Tray : public TrayFixture {
protected:
    // A splash to any window manager: no frame, no taskbar entry, centred.
    void expectAFramelessCentredSplash()
    {
        std::string type;
        std::string hints;
        XWindow seen;
        expectSplashBeforeIcon(kSplashTitle, "splash.png", 15s, [&](const XWindow& splash) {
            seen = splash;
            type = x({"xprop", "-id", std::to_string(splash.id), "_NET_WM_WINDOW_TYPE"}).out;
            hints = x({"xprop", "-id", std::to_string(splash.id), "_MOTIF_WM_HINTS"}).out;
        });
        EXPECT_NE(type.find("_NET_WM_WINDOW_TYPE_SPLASH"), std::string::npos) << type;
        // Window managers that frame by the Motif hints alone (sway) must be
        // told too: decorations given, and none.
        EXPECT_NE(hints.find("0x2, 0x0, 0x0"), std::string::npos) << hints;
        EXPECT_LE(std::abs(seen.x + seen.width / 2 - 512), 1);
        EXPECT_LE(std::abs(seen.y + seen.height / 2 - 384), 1);
    }

    // A second instance ends at once, without a splash of its own.
    void expectASecondInstanceToEndAtOnce()
    {
        Process second({(app() / "kumoden").string()}, programEnv());
        bool splash = false;
        EXPECT_TRUE(eventually(20s, [&] {
            splash = splash || windowNamed(kSplashTitle) != 0;
            return !second.running();
        }));
        EXPECT_EQ(second.wait(1s), 0);
        EXPECT_FALSE(splash);
        EXPECT_EQ(icons().size(), 1u);
    }

    // The tray is at the top: the menu hangs below the icon, right edges in
    // line. Its settings command opens the dialog, its version command the box.
    void expectTheMenuBelowTheIconToOpenTheSettingsAndTheVersionBox(const XWindow& icon)
    {
        const std::uint32_t menu = openMenu(icon);
        ASSERT_NE(menu, 0u);
        const XWindow placed = geometryOf(menu);
        EXPECT_EQ(placed.x + placed.width, icon.x + icon.width);
        EXPECT_GE(placed.y, icon.y + icon.height);
        screenshot("menu.png", placed);

        // 環境設定(&C), closed with Esc.
        key("c");
        ASSERT_NE(waitForWindow(kSettingsTitle), 0u);
        EXPECT_TRUE(closeWith("Escape", kSettingsTitle));

        ASSERT_NO_FATAL_FAILURE(expectVersionBoxOpensAndCloses(icon, "about.png"));
    }

    // Resting the pointer on the icon shows its tip, and no other window.
    void expectATipWhereThePointerRests(const XWindow& icon)
    {
        const std::string cx = std::to_string(icon.x + icon.width / 2);
        const std::string cy = std::to_string(icon.y + icon.height / 2);
        x({"xdotool", "mousemove", cx, cy, "sleep", "0.2", "mousemove", "--", cx,
           std::to_string(icon.y + 2)});
        std::vector<std::uint32_t> shown;
        ASSERT_TRUE(eventually(5s, [&] { return (shown = shownWindows()).size() == 1; })) << "no tip";
        const XWindow tip = geometryOf(shown.front());
        EXPECT_LT(std::abs(tip.y - (icon.y + icon.height)), 40);
        screenshot("tip.png", tip);
    }

    // Only a double click opens the version box. The menu that a right
    // click opens shows that the clicks before it were taken: the program
    // handles them in turn. A single left click (which also takes the tip
    // away), then, longer than a double click's interval later, a middle
    // one: nothing opens.
    void expectNoVersionBoxFromASingleOrAMiddleClick(const XWindow& icon)
    {
        click(icon, 1);
        std::this_thread::sleep_for(1000ms);
        click(icon, 2);
        const std::uint32_t alone = openMenu(icon);
        EXPECT_EQ(shownWindows(), std::vector<std::uint32_t>{alone});
        ASSERT_TRUE(closeWith("Escape"));
    }

    // The version box is laid out as designed: where the design puts OK,
    // the click finds it.
    void expectTheVersionBoxFromADoubleClickToCloseWithItsOk(const XWindow& icon)
    {
        click(icon, 1, 2);
        const std::uint32_t id = waitForWindow(kAboutTitle);
        ASSERT_NE(id, 0u);
        const XWindow box = geometryOf(id);
        const XWindow designed = laidOut(box, FrmAboutDesign());
        EXPECT_EQ(box.width, designed.width);
        EXPECT_EQ(box.height, designed.height);
        click(laidOut(box, FrmAboutDesign().control("cmdOK").box), 1);
        EXPECT_TRUE(waitUntilGone(kAboutTitle));
    }

    // One version box at a time, however it is asked for. The box stays
    // open, and the menu with it.
    void expectOneVersionBoxAtATime(const XWindow& icon)
    {
        click(icon, 1, 2);
        const std::uint32_t open = waitForWindow(kAboutTitle);
        ASSERT_NE(open, 0u);
        click(icon, 1, 2);
        const std::uint32_t menu2 = openMenu(icon);
        ASSERT_NE(menu2, 0u);
        EXPECT_EQ(sorted(shownWindows()), sorted({open, menu2}));
        key("v");
        ASSERT_TRUE(eventually(5s, [&] { return shownWindows() == std::vector<std::uint32_t>{open}; }));
        const std::uint32_t menu3 = openMenu(icon);
        ASSERT_NE(menu3, 0u);
        EXPECT_EQ(sorted(shownWindows()), sorted({open, menu3}));
    }

    // 終了 from the menu open over the version box ends the program from
    // inside the box's modal loop, with a file waiting and ticks falling
    // due: once the icon has gone, nothing of the program runs, no file
    // moves and no line is logged. The file was one to take: the next start
    // does.
    void expectTheExitFromTheVersionBoxToEndEveryTick()
    {
        drop("exit.pdf");
        key("e");
        ASSERT_TRUE(eventually(10s, [&] { return icons().empty(); })) << "the icon stays after the end";
        const auto state = [&] { return std::make_pair(filesUnder(in()), log()); };
        const auto atTheEnd = state();
        EXPECT_EQ(kumoden->wait(10s), 0);
        std::this_thread::sleep_for(1s);
        EXPECT_EQ(state(), atTheEnd);
        startProgram();
        EXPECT_TRUE(eventually(30s, [&] { return fs::exists(in() / "BackPdf" / "exit.pdf"); }));
        EXPECT_EQ(kumoden->terminate(), 0);
    }
};

// The program driven through one start, step by step: each step leaves the
// program where the next one takes it up.
TEST_F(Tray, SplashIconSecondInstanceMenuTipAndVersionBox)
{
    startTrayHost();
    startProgram();
    expectAFramelessCentredSplash();
    const XWindow icon = waitForIconInPanel("tray.png");
    expectASecondInstanceToEndAtOnce();
    ASSERT_NO_FATAL_FAILURE(expectTheMenuBelowTheIconToOpenTheSettingsAndTheVersionBox(icon));

    // The second command, which has no access key: the printer dialog.
    cancelPrinterSetupFrom(openMenu(icon));
    EXPECT_TRUE(kumoden->running());

    ASSERT_NO_FATAL_FAILURE(expectATipWhereThePointerRests(icon));
    ASSERT_NO_FATAL_FAILURE(expectNoVersionBoxFromASingleOrAMiddleClick(icon));
    ASSERT_NO_FATAL_FAILURE(expectTheVersionBoxFromADoubleClickToCloseWithItsOk(icon));
    ASSERT_NO_FATAL_FAILURE(expectOneVersionBoxAtATime(icon));
    expectTheExitFromTheVersionBoxToEndEveryTick();
}

TEST_F(Tray, IconFollowsTheTrayHostAndItsPrinterSetupAndHardCopyNeedNoPrinter)
{
    // No scheduler to ask: no printer at all.
    startProgram({"CUPS_SERVER=" + (dir.path() / "no-scheduler.sock").string(), "LPDEST=" + kHardCopyQueue},
                 Process::Output::Capture);
    // No tray host: the program gets past its splash and runs on, showing nothing.
    ASSERT_TRUE(eventually(10s, [&] { return windowNamed(kSplashTitle) != 0; })) << "no splash";
    ASSERT_TRUE(eventually(10s, [&] { return windowNamed(kSplashTitle) == 0; }));
    EXPECT_TRUE(shownWindows().empty());
    EXPECT_TRUE(kumoden->running());

    startTrayHost();
    EXPECT_TRUE(eventually(5s, [&] { return icons().size() == 1; })) << "no icon in the tray host that came";

    // The tray host restarts: the icon docks in the new one.
    stopTrayHost();
    startTrayHost();
    EXPECT_TRUE(eventually(5s, [&] { return icons().size() == 1; })) << "no icon after the restart";

    // And its menu still opens there; the printer dialog comes without any printer.
    const XWindow icon = waitForIcon();
    cancelPrinterSetupFrom(openMenu(icon));
    EXPECT_TRUE(kumoden->running());
    EXPECT_NE(openMenu(icon), 0u);
    EXPECT_TRUE(closeWith("Escape"));

    // Each picture copied is one hard copy abandoned, told on stderr: the
    // clipboard hook still takes the next one.
    for (std::size_t copied = 1; copied <= 2; ++copied) {
        const std::filesystem::path picture =
            writeQuartersPicture(dir.path() / (std::to_string(copied) + ".png"), 120 * copied, 120);
        copyFile(picture);
        EXPECT_TRUE(eventually(30s, [&] { return countOf(kumoden->err(), "hard copy abandoned") == copied; }))
            << kumoden->err();
    }
    EXPECT_TRUE(kumoden->running());
}

// Without a reader no file is taken, and that is told once; once a reader
// is named, the file that waited prints, once.
TEST_F(Tray, AMissingReaderIsToldOnceFromTheIconAndInTheLogAndTheFileWaitsForOne)
{
    startTrayHost();
    PrintOutputs printed("PDF2");
    drop("job1.pdf");
    const std::string reader = (dir.path() / "no" / "reader").string();
    // No backup is kept: each tick's purge takes what is put in the archive.
    startProgram({}, Process::Output::Inherit, reader,
                 "FileSelect=job\r\nPrinterNm=PDF2\r\nFileDelDate=0\r\n");
    waitForIcon();
    // The icon's notice is a window of the program's own beside the icon.
    EXPECT_TRUE(eventually(10s, [&] { return shownWindows().size() == 1; })) << "no notice";
    const auto toldInLog = [&] { return countOf(log(), "印刷プログラムが見つかりません: " + reader); };
    ASSERT_TRUE(eventually(10s, [&] { return toldInLog() == 1; }));
    // Ticks go on with the same settings: two more purges, the first of
    // them by a tick that began after the telling, and the log says it no
    // second time.
    for (const char* old : {"old1.pdf", "old2.pdf"}) {
        dir.write(backup(old), tinyPdf());
        ASSERT_TRUE(eventually(10s, [&] { return !std::filesystem::exists(backup(old)); })) << old;
    }
    EXPECT_EQ(toldInLog(), 1u);
    EXPECT_EQ(readFile(in() / "job1.pdf"), tinyPdf());
    EXPECT_FALSE(std::filesystem::exists(backup("job1.pdf")));
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(kumoden->terminate(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s) << "a tick held the program up";

    startProgram({}, Process::Output::Inherit, builtProgram("kumoden-print").string(),
                 "FileSelect=job\r\nPrinterNm=PDF2\r\n");
    ASSERT_TRUE(archived({"job1.pdf"}));
    drop("job2.pdf");
    ASSERT_TRUE(archived({"job2.pdf"}));
    EXPECT_EQ(printed.waitForNew(30s, 2).size(), 2u);
    EXPECT_EQ(kumoden->terminate(), 0);
    EXPECT_EQ(printed.newFiles().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(in() / "job1.pdf"));
}

} // namespace
} // namespace kumoden::test
