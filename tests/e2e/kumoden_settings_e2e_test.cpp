// The settings dialog opened from the tray menu of the running program:
// what it writes to the INI file, and a new interval taking effect at once.
#include "settings_ui/form_designs.h"
#include "tests/e2e/tray_fixture.h"

namespace kumoden::test {
namespace {

class SettingsDialog : public TrayFixture {
protected:
    // The program on the working setup with an interval of ten minutes (no
    // tick until the interval changes), and a retention the purge cannot
    // read, which the dialog leaves to the file.
    void SetUp() override
    {
        m_ini = "; kept as it is\r\n[FileCheck_Info]\r\nFileChkTime=600000\r\nFileChkDir=" + in().string() +
                "\r\nFileSelect=job\r\nAcrExeDir=" + builtProgram("kumoden-print").string() +
                "\r\nPrinterNm=PDF2\r\nFileDelDate=7 ; days\r\n\r\n[Other]\r\nKey=value\r\n";
        dir.write("app/kumoden.INI", m_ini);
        ASSERT_NO_FATAL_FAILURE(startTrayHost());
        kumoden =
            std::make_unique<Process>(std::vector<std::string>{(app() / "kumoden").string()}, programEnv());
        m_icon = waitForIcon();
    }
    // Types into the focused text box over what it holds.
    void retype(const std::string& text)
    {
        key("ctrl+a");
        x({"xdotool", "type", "--delay", "30", text});
    }
    std::string ini() const { return readFile(app() / "kumoden.INI"); }
    // The INI as it was at the start, with the text `was` in it replaced by `now`.
    std::string iniWith(const std::string& was, const std::string& now) const
    {
        std::string text = m_ini;
        text.replace(text.find(was), was.size(), now);
        return text;
    }

    std::string m_ini;
    XWindow m_icon;
};

// A change closed with Esc writes nothing.
TEST_F(SettingsDialog, EscClosesTheDialogAndWritesNothing)
{
    ASSERT_NE(openSettings(m_icon), 0u);
    key("shift+Tab");
    retype("99");
    key("Escape");
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));
    EXPECT_EQ(ini(), m_ini);
}

// The Cancel button, which has the focus at the opening, closes the dialog
// and writes nothing.
TEST_F(SettingsDialog, TheCancelButtonHasTheFocusClosesTheDialogAndWritesNothing)
{
    ASSERT_NE(openSettings(m_icon), 0u);
    key("space");
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));
    EXPECT_EQ(ini(), m_ini);
}

// A bad interval is refused with a message and writes nothing; then, back
// in the interval box, a good value saves and closes, and the watch takes
// it without a restart; the retention, never touched, goes back as it was.
TEST_F(SettingsDialog, ABadIntervalWritesNothingAndAGoodOneIsWrittenAndTakesEffectAtOnce)
{
    const std::filesystem::path file = drop("job1.pdf");
    const std::uint32_t conf = openSettings(m_icon);
    ASSERT_NE(conf, 0u);
    {
        SCOPED_TRACE("an interval out of range");
        // Cancel, OK, the tab strip, then the interval.
        for (int i = 0; i < 3; ++i) {
            key("Tab");
        }
        retype("2147483648");
        key("Return");
        std::vector<std::uint32_t> shown;
        ASSERT_TRUE(eventually(5s, [&] { return (shown = shownWindows()).size() == 2; })) << "no message";
        const std::uint32_t message = shown.front() == conf ? shown.back() : shown.front();
        EXPECT_EQ(geometryOf(message).name, kSettingsTitle);
        screenshot("settings-refused.png", geometryOf(message));
        EXPECT_EQ(ini(), m_ini);

        ASSERT_TRUE(waitForFocus(message));
        key("Return");
        ASSERT_TRUE(eventually(5s, [&] { return shownWindows() == std::vector<std::uint32_t>{conf}; }));
        EXPECT_EQ(ini(), m_ini);
        ASSERT_TRUE(std::filesystem::exists(file));
    }
    SCOPED_TRACE("a good interval");
    ASSERT_TRUE(waitForFocus(conf));
    retype("300");
    key("Return");
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));
    EXPECT_EQ(ini(), iniWith("FileChkTime=600000", "FileChkTime=300"));
    EXPECT_TRUE(eventually(30s, [&] { return std::filesystem::exists(backup("job1.pdf")); }))
        << "the new interval did not reach the watch";
    EXPECT_FALSE(std::filesystem::exists(file));
}

// The dialog has its designed size and tabs, the menu opens no second one,
// and OK writes the text fields filled at opening again with the retention.
TEST_F(SettingsDialog, IsLaidOutAsDesignedOpensOnceAndOkWritesTheFieldsFilledAtOpening)
{
    const std::uint32_t conf = openSettings(m_icon);
    ASSERT_NE(conf, 0u) << "no settings dialog";
    {
        SCOPED_TRACE("the layout");
        const XWindow placed = geometryOf(conf);
        EXPECT_EQ(placed.width, laidOut(placed, FrmConfDesign()).width);
        EXPECT_EQ(placed.height, laidOut(placed, FrmConfDesign()).height);
        screenshot("settings-1.png", placed);
        // Ctrl+Tab goes round the three tabs and back to the first.
        key("ctrl+Tab");
        screenshot("settings-2.png", placed);
        key("ctrl+Tab");
        screenshot("settings-3.png", placed);
        key("ctrl+Tab");
    }
    {
        SCOPED_TRACE("one window at a time from the menu");
        // The menu that opens next finds the dialog alone.
        ASSERT_NE(openMenu(m_icon), 0u);
        key("c");
        ASSERT_TRUE(eventually(5s, [&] { return shownWindows() == std::vector<std::uint32_t>{conf}; }));
        const std::uint32_t menu = openMenu(m_icon);
        ASSERT_NE(menu, 0u);
        EXPECT_EQ(shownWindows().size(), 2u);
        key("Escape");
    }
    SCOPED_TRACE("the retention");
    // The focus starts on Cancel; the retention box comes before it.
    ASSERT_TRUE(waitForFocus(conf));
    key("shift+Tab");
    retype("30");
    key("Return");
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));
    // The text fields filled at opening go again with the retention; the
    // printer was not chosen from the list, so it is not written.
    EXPECT_EQ(ini(), iniWith("FileDelDate=7 ; days", "FileDelDate=30"));
}

// The folder picker hands its folder to the dialog, which OK writes; the
// program runs on.
TEST_F(SettingsDialog, TheFolderPickerHandsItsFolderToTheDialog)
{
    const std::uint32_t folders = openSettings(m_icon);
    ASSERT_NE(folders, 0u);
    key("ctrl+Tab"); // the folders' tab; the first page goes out of reach
    // Cancel, OK, the tab strip, the folder, the reader, then 参照.
    for (int i = 0; i < 5; ++i) {
        key("Tab");
    }
    key("space");
    const std::uint32_t picker = waitForWindow("PDF File");
    ASSERT_NE(picker, 0u) << "no folder picker";
    screenshot("folder-picker.png", geometryOf(picker));
    // The drive list has the focus; 選択 is two steps on. The picker opens
    // at the program's current folder, which it has from this test.
    key("Tab");
    key("Tab");
    key("space");
    ASSERT_TRUE(waitUntilGone("PDF File"));
    ASSERT_TRUE(waitForFocus(folders));
    key("Return"); // the focus is back on 参照: Enter presses it again
    const std::uint32_t again = waitForWindow("PDF File");
    ASSERT_NE(again, 0u);
    x({"xdotool", "key", "--window", std::to_string(again), "Tab", "Tab", "Tab", "space"}); // キャンセル
    ASSERT_TRUE(waitUntilGone("PDF File"));
    ASSERT_TRUE(waitForFocus(folders));
    key("ctrl+Tab");
    key("ctrl+Tab"); // back on the first tab, where OK saves
    x({"xdotool", "key", "--window", std::to_string(folders), "shift+Tab", "Return"});
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));
    EXPECT_NE(ini().find("FileChkDir=" + std::filesystem::current_path().string() + "\r\n"),
              std::string::npos)
        << ini();
    EXPECT_TRUE(kumoden->running());
}

} // namespace
} // namespace kumoden::test
