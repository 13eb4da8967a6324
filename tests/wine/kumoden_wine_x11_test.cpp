// kumoden.exe under Wine's X11 driver with a real tray host: the splash,
// the icon, its menu, the version box, the settings dialog writing the INI,
// one copy at a time and the end from the menu.
#include "tests/support/print_outputs.h"
#include "tests/wine/wine_x11_fixture.h"

namespace kumoden::test {
namespace {

// "; 設定" in the Japanese code page, as a Windows editor saves it.
const std::string kCp932Comment = "; \x90\xdd\x92\xe8\r\n";

class WineTray : public WineX11 {
protected:
    // The program on an INI of the given lines, with the tray host up, once
    // its icon sits in the tray. The reader is one every prefix has: a
    // missing one would be told in a balloon over the tray.
    void startWith(const std::string& ini = "", const std::filesystem::path& folder = {})
    {
        m_ini = ini.empty()
                    ? kCp932Comment +
                          "[FileCheck_Info]\r\nFileChkTime=1000\r\nFileChkDir=" + UnderWine(in().string()) +
                          "\r\nFileSelect=job\r\nAcrExeDir=C:\\windows\\notepad.exe" +
                          "\r\nPrinterNm=PDF2\r\nFileDelDate=7\r\n[Other]\r\nKey=value\r\n"
                    : ini;
        m_dir.write("app/kumoden.INI", m_ini);
        std::filesystem::create_directories(in());
        startTrayHost();
        start(folder);
    }
    std::filesystem::path in() const { return m_dir.path() / "in"; }
    // The program's shown windows on the Windows side, the controls too;
    // the listing is kept in shown for the failure messages.
    std::vector<WinWindow> programWindows()
    {
        shown = winWindows();
        std::erase_if(shown, [](const WinWindow& w) { return !w.shown || w.process != "kumoden.exe"; });
        return shown;
    }
    // The topmost of the program's shown windows that match (the lowest).
    std::optional<WinWindow> shownWindow(const std::function<bool(const WinWindow&)>& match,
                                         bool lowest = false)
    {
        std::optional<WinWindow> found;
        for (const WinWindow& w : programWindows()) {
            if (match(w) && (!found || (lowest ? w.y > found->y : w.y < found->y))) {
                found = w;
            }
        }
        return found;
    }
    std::optional<WinWindow> waitForShown(const std::function<bool(const WinWindow&)>& match,
                                          std::chrono::milliseconds limit = 5s)
    {
        std::optional<WinWindow> found;
        eventually(limit, [&] { return (found = shownWindow(match)).has_value(); });
        return found;
    }
    static std::function<bool(const WinWindow&)> control(const std::string& className,
                                                         const std::string& text)
    {
        return [=](const WinWindow& w) {
            return !w.topLevel && w.className == className && (text.empty() || w.text == text);
        };
    }
    void clickOn(const WinWindow& w) { click(w.x + w.width / 2, w.y + w.height / 2, 1); }
    std::string classes() const
    {
        std::string names;
        for (const WinWindow& w : shown) {
            names += w.className + " \"" + w.text + "\" at " + std::to_string(w.x) + "," +
                     std::to_string(w.y) + "\n";
        }
        return names;
    }

    std::vector<WinWindow> shown;
    std::string m_ini;
};

TEST_F(WineTray, SplashThenOneIconWhoseMenuAndVersionBoxOpenAndCloseUntilTheMenuEndsIt)
{
    startWith();
    // The splash, and the icon only once it has gone.
    expectSplashBeforeIcon(kSplashTitle, "wine-splash.png", 30s);
    ASSERT_FALSE(HasFatalFailure());
    const XWindow icon = waitForIcon();
    const std::optional<XWindow> host = panel();
    ASSERT_TRUE(host);
    EXPECT_TRUE(icon.width > 0 && icon.x >= host->x && icon.x + icon.width <= host->x + host->width &&
                icon.y >= host->y && icon.y + icon.height <= host->y + host->height)
        << "the icon is not inside the tray";
    screenshot("wine-tray.png", *host);

    // A second copy ends at once, and adds no icon: the tray has passed the
    // menu's click on since the copy ended, and shows one icon.
    const std::unique_ptr<Process> second = launch(Process::Output::Capture);
    EXPECT_EQ(second->wait(30s), 0) << second->out() << second->err();
    EXPECT_TRUE(m_kumoden->running());
    // A right click opens the menu: one popup window of the program.
    const std::uint32_t menu = openMenu(icon);
    ASSERT_NE(menu, 0u) << "no menu";
    EXPECT_EQ(icons().size(), 1u);
    programWindows();
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(),
                            [](const WinWindow& w) { return w.topLevel && w.className == "#32768"; }),
              1)
        << classes();
    const XWindow placed = geometryOf(menu);
    // Four entries in a line each, three separators between them.
    EXPECT_GT(placed.height, 4 * 16);
    screenshot("wine-menu.png", placed);
    key("Escape");
    EXPECT_TRUE(eventually(10s, [&] { return shownWindows().empty(); })) << "Esc leaves the menu open";

    // A double click opens the version box, and nothing besides; Enter closes it.
    click(icon, 1, 2);
    const std::uint32_t box = waitForWindow(kAboutTitle);
    ASSERT_NE(box, 0u) << "no version box";
    EXPECT_EQ(shownWindows().size(), 1u);
    screenshot("wine-about.png", geometryOf(box));
    key("Return");
    EXPECT_TRUE(waitUntilGone(kAboutTitle));

    // The menu's バージョン情報(&V) opens it too, after the box has gone.
    ASSERT_NE(openMenu(icon), 0u) << "no menu after the version box";
    key("v");
    ASSERT_NE(waitForWindow(kAboutTitle), 0u) << "the menu does not open the version box";
    key("Escape");
    EXPECT_TRUE(waitUntilGone(kAboutTitle));

    // 終了(&E) ends the program; its icon goes with it.
    ASSERT_NE(openMenu(icon), 0u) << "no menu after the version box closed";
    key("e");
    EXPECT_EQ(m_kumoden->wait(20s), 0);
    EXPECT_TRUE(eventually(10s, [&] { return icons().empty(); })) << "the icon stays after the end";
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
    const std::optional<WinWindow> dialog =
        waitForShown([](const WinWindow& w) { return w.topLevel && w.className == "#32770"; }, 30s);
    ASSERT_TRUE(dialog) << "no printer setup\n" << classes();
    const std::optional<WinWindow> box = shownWindow(control("ComboBox", "PDF"));
    ASSERT_TRUE(box) << "the setup does not show the current printer PDF\n" << classes();
    const std::uint32_t window = windowNamed(dialog->text);
    ASSERT_NE(window, 0u);
    screenshot("wine-printer-setup.png", geometryOf(window));
    // The list drops down under a click; the next queue is PDF2.
    clickOn(*box);
    EXPECT_TRUE(waitForShown([](const WinWindow& w) { return w.topLevel && w.className == "ComboLBox"; }))
        << "the list does not drop down\n"
        << classes();
    key("Down");
    key("Return");
    EXPECT_TRUE(waitForShown(control("ComboBox", "PDF2"))) << classes();
    ASSERT_TRUE(takeFocus(window));
    key("Return");
    ASSERT_TRUE(waitUntilGone(dialog->text)) << "OK leaves the setup open";

    // A bitmap on the clipboard prints on PDF2, and on nothing else.
    const std::filesystem::path png = m_dir.path() / "picture.png";
    const std::filesystem::path bmp = m_dir.path() / "picture.bmp";
    ASSERT_EQ(
        runProgram({builtProgram("clipboard_owner").string(), "picture", png.string(), "240", "160"}, {}, 20s)
            .exitCode,
        0);
    ASSERT_EQ(runProgram({"convert", png.string(), "BMP3:" + bmp.string()}, {}, 20s).exitCode, 0);
    const RunResult copied = x({"xclip", "-selection", "clipboard", "-t", "image/bmp", "-i", bmp.string()});
    ASSERT_EQ(copied.exitCode, 0) << copied.err;
    EXPECT_EQ(pdf2.waitForNew(60s).size(), 1u) << "no hard copy on PDF2";
    EXPECT_TRUE(pdf.newFiles().empty()) << "a hard copy went to PDF";
    EXPECT_TRUE(m_kumoden->running());
}

TEST_F(WineTray, ThePickersHandTheirChoiceToTheSettingsDialogCancelKeepsTheIniAndOkWritesIt)
{
    // The pickers open at the program's current folder: the watched one.
    std::filesystem::create_directories(in() / "sub");
    startWith("", in());
    const XWindow icon = waitForIcon();
    const std::uint32_t conf = openSettings(icon);
    ASSERT_NE(conf, 0u) << "no settings dialog";
    key("ctrl+Tab");
    // The upper 参照 is the watched folder's.
    const std::optional<WinWindow> browse = waitForShown(control("Button", "参照"));
    ASSERT_TRUE(browse) << classes();
    clickOn(*browse);
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
    const std::optional<WinWindow> choose = shownWindow(control("Button", "選   択"));
    ASSERT_TRUE(choose) << classes();
    clickOn(*choose);
    ASSERT_TRUE(waitUntilGone("PDF File")) << "the picker stays open";

    const std::string chosen = UnderWine((in() / "sub").string());
    EXPECT_TRUE(waitForShown([&](const WinWindow& w) { return w.className == "Edit" && w.text == chosen; }))
        << chosen << "\n"
        << classes();
    // The lower 参照 opens the program picker; キャンセル leaves the field.
    const std::optional<WinWindow> program = shownWindow(control("Button", "参照"), true);
    ASSERT_TRUE(program) << classes();
    clickOn(*program);
    const std::uint32_t programPicker = waitForWindow("PDF File");
    ASSERT_NE(programPicker, 0u) << "no program picker";
    const XWindow area = geometryOf(programPicker);
    screenshot("wine-program-picker.png", area);
    // The picker's own キャンセル, not the dialog's beneath it.
    const std::optional<WinWindow> cancel = shownWindow([&](const WinWindow& w) {
        return control("Button", "キャンセル")(w) && w.x >= area.x && w.x < area.x + area.width &&
               w.y >= area.y && w.y < area.y + area.height;
    });
    ASSERT_TRUE(cancel) << classes();
    clickOn(*cancel);
    ASSERT_TRUE(waitUntilGone("PDF File")) << "the program picker stays open";

    // Cancel: the INI keeps every byte.
    ASSERT_TRUE(takeFocus(conf));
    key("Escape");
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));
    EXPECT_EQ(readFile(ini()), m_ini);

    // Opened again, the dialog holds the INI's values.
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

} // namespace
} // namespace kumoden::test
