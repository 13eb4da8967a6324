// The resident program in an XFCE session: with the panel there first its
// icon is a D-Bus tray item whose menu the panel draws; started before the
// panel it docks as an XEmbed icon and places its own menu.
#include "tests/desktop/xfce_session.h"

namespace kumoden::test {
namespace {

class Xfce : public XfceSession {
protected:
    // The right button: the panel's own menu, nothing of the program's. V:
    // one version box, closed with Enter.
    void expectThePanelsMenuToOpenOneVersionBox(const XWindow& item)
    {
        const std::uint32_t menu = openHostMenu(item);
        ASSERT_NE(menu, 0u) << "the panel shows no menu";
        const XWindow drawn = geometryOf(menu);
        EXPECT_GE(drawn.y, item.y + item.height - 1);
        screenshot("xfce_menu.png", drawn);
        EXPECT_TRUE(shownWindows().empty());

        key("v");
        ASSERT_NE(waitForWindow(kAboutTitle), 0u);
        EXPECT_EQ(shownWindows().size(), 1u);
        key("Return");
        EXPECT_TRUE(waitUntilGone(kAboutTitle));
    }

    // C: the settings dialog, closed with Esc.
    void expectThePanelsMenuToOpenTheSettings(const XWindow& item)
    {
        ASSERT_NE(openHostMenu(item), 0u);
        EXPECT_TRUE(shownWindows().empty()) << "a second version box came";
        key("c");
        ASSERT_NE(waitForWindow(kSettingsTitle), 0u);
        key("Escape");
        EXPECT_TRUE(waitUntilGone(kSettingsTitle));
    }

    // The left button is the icon's action: the version box, which stays
    // open (its window in box). A second click while it is open reaches the
    // program and opens no second one.
    void expectTheLeftButtonToOpenOneVersionBox(const XWindow& item, std::uint32_t& box)
    {
        Process activations({"dbus-monitor", "type='method_call',interface='org.kde.StatusNotifierItem'"},
                            sessionEnv(), Process::Output::Capture);
        std::this_thread::sleep_for(200ms);
        click(item, 1);
        box = waitForWindow(kAboutTitle);
        ASSERT_NE(box, 0u) << "the left button opens no version box";
        click(item, 1);
        EXPECT_TRUE(eventually(5s, [&] { return countOf(activations.out(), "member=Activate") == 2; }))
            << activations.out();
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(shownWindows(), std::vector<std::uint32_t>{box});
    }

    // The menu still comes while the box is open; its version command then
    // does nothing, and E ends the program from inside the box's loop. The
    // item leaves the watcher and the panel.
    void expectTheMenuOverTheBoxToEndTheProgram(const XWindow& item, std::uint32_t box)
    {
        ASSERT_NE(openHostMenu(item), 0u);
        key("v");
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(shownWindows(), std::vector<std::uint32_t>{box});
        ASSERT_NE(openHostMenu(item), 0u);
        key("e");
        EXPECT_EQ(kumoden->wait(10s), 0);
        EXPECT_TRUE(eventually(5s, [&] { return m_bus.trayItems().empty(); }));
        EXPECT_TRUE(eventually(5s, [&] { return trayPlugin().value_or(XWindow{}).width < item.width; }));
    }
};

TEST_F(Xfce, ThePanelDrawsTheProgramsMenuAndEachCommandRuns)
{
    startPanel();
    const int emptyWidth = trayPlugin().value_or(XWindow{}).width;
    startProgramInSession();
    const XWindow item = waitForItem(emptyWidth);
    ASSERT_GT(item.width, 0);
    const std::vector<std::string> items = m_bus.trayItems();
    ASSERT_EQ(items.size(), 1u);
    screenshot("xfce_tray.png", *topPanel());
    // The tip, as the panel shows it on hover.
    EXPECT_NE(m_bus.itemProperty(items.front(), "ToolTip").find("\"PDF印刷ツール\""), std::string::npos);
    // The four commands and their separators, the access keys in the
    // form the host draws them in.
    EXPECT_EQ(hostMenuLayout(items.front()),
              (std::vector<std::string>{"環境設定(_C)", "-", "ハードコピー用（プリンター設定）", "-",
                                        "バージョン情報(_V)", "-", "終了(_E)"}));

    ASSERT_NO_FATAL_FAILURE(expectThePanelsMenuToOpenOneVersionBox(item));
    ASSERT_NO_FATAL_FAILURE(expectThePanelsMenuToOpenTheSettings(item));
    // The printer setup: the printer dialog.
    cancelPrinterSetupFrom(openHostMenu(item));
    std::uint32_t box = 0;
    ASSERT_NO_FATAL_FAILURE(expectTheLeftButtonToOpenOneVersionBox(item, box));
    expectTheMenuOverTheBoxToEndTheProgram(item, box);
}

TEST_F(Xfce, StartedBeforeThePanelTheIconDocksAsXEmbed)
{
    startProgramInSession();
    // Past its splash the program has made its icon, with no tray to show it in.
    ASSERT_TRUE(eventually(10s, [&] { return windowNamed(kSplashTitle) != 0; })) << "no splash";
    ASSERT_TRUE(waitUntilGone(kSplashTitle));
    startPanel();

    // The panel's tray docks it as an XEmbed icon; the watcher has no item.
    std::optional<XWindow> icon;
    ASSERT_TRUE(eventually(10s, [&] {
        const std::optional<XWindow> tray = trayPlugin();
        icon = findWindow([&](const XWindow& w) {
            return tray && w.viewable && w.isOurs() && w.x >= tray->x &&
                   w.x + w.width <= tray->x + tray->width;
        });
        return icon.has_value();
    })) << "the icon does not dock in the panel";
    EXPECT_TRUE(m_bus.trayItems().empty());

    // Its right button opens the program's own menu, below the icon.
    const std::uint32_t menu = openMenu(*icon);
    ASSERT_NE(menu, 0u);
    const XWindow placed = geometryOf(menu);
    EXPECT_EQ(placed.x + placed.width, icon->x + icon->width);
    EXPECT_GE(placed.y, icon->y + icon->height);
    screenshot("xfce_xembed_menu.png", placed);
    key("e");
    EXPECT_EQ(kumoden->wait(10s), 0);
}

} // namespace
} // namespace kumoden::test
