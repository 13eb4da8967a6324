// The settings dialog opened from the tray menu of the running program:
// what it writes to the INI file, and a new interval taking effect at once.
#include "settings_ui/form_designs.h"
#include "tests/e2e/tray_fixture.h"

namespace kumoden::test {
namespace {

class SettingsDialog : public TrayFixture {
protected:
    // The program on the working setup with the given interval, and a
    // retention the purge cannot read, which the dialog leaves to the file.
    void startWith(const std::string& interval)
    {
        m_ini = "; kept as it is\r\n[FileCheck_Info]\r\nFileChkTime=" + interval +
                "\r\nFileChkDir=" + in().string() +
                "\r\nFileSelect=job\r\nAcrExeDir=" + builtProgram("kumoden-print").string() +
                "\r\nPrinterNm=PDF2\r\nFileDelDate=7 ; days\r\n\r\n[Other]\r\nKey=value\r\n";
        dir.write("app/kumoden.INI", m_ini);
        startTrayHost();
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

    std::string m_ini;
    XWindow m_icon;
};

// Cancel and a bad interval write nothing; OK writes what the dialog holds,
// and the new interval takes effect without a restart.
TEST_F(SettingsDialog, CancelAndABadIntervalWriteNothingAndOkWritesWhatTheDialogHoldsAndTakesEffect)
{
    startWith("600000"); // ten minutes: no tick until the interval changes
    const std::filesystem::path file = drop("job1.pdf");
    // A change closed with Esc, then with the Cancel button, which has the focus.
    ASSERT_NE(openSettings(m_icon), 0u);
    key("shift+Tab");
    retype("99");
    key("Escape");
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));
    EXPECT_EQ(ini(), m_ini);
    ASSERT_NE(openSettings(m_icon), 0u);
    key("space");
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));
    EXPECT_EQ(ini(), m_ini);

    std::uint32_t conf = openSettings(m_icon);
    ASSERT_NE(conf, 0u);
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

    // Back in the interval box, a good value saves and closes, and the
    // watch takes it; the retention, never touched, goes back as it was.
    ASSERT_TRUE(waitForFocus(conf));
    retype("300");
    key("Return");
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));
    std::string expected = m_ini;
    expected.replace(expected.find("FileChkTime=600000"), 18, "FileChkTime=300");
    EXPECT_EQ(ini(), expected);
    EXPECT_TRUE(eventually(30s, [&] { return std::filesystem::exists(backup("job1.pdf")); }))
        << "the new interval did not reach the watch";
    EXPECT_FALSE(std::filesystem::exists(file));

    conf = openSettings(m_icon);
    ASSERT_NE(conf, 0u) << "no settings dialog";
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

    // One window at a time from the menu: the menu that opens next finds
    // the dialog alone.
    ASSERT_NE(openMenu(m_icon), 0u);
    key("c");
    ASSERT_TRUE(eventually(5s, [&] { return shownWindows() == std::vector<std::uint32_t>{conf}; }));
    const std::uint32_t menu = openMenu(m_icon);
    ASSERT_NE(menu, 0u);
    EXPECT_EQ(shownWindows().size(), 2u);
    key("Escape");

    // The focus starts on Cancel; the retention box comes before it.
    ASSERT_TRUE(waitForFocus(conf));
    key("shift+Tab");
    retype("30");
    key("Return");
    ASSERT_TRUE(waitUntilGone(kSettingsTitle));

    // The text fields filled at opening go again with the retention; the
    // printer was not chosen from the list, so it is not written.
    expected.replace(expected.find("FileDelDate=7 ; days"), 20, "FileDelDate=30");
    EXPECT_EQ(ini(), expected);

    // The folder picker hands its folder to the dialog.
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
