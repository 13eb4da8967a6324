#include "tests/unit/watch_fixture.h"
#include "tray/frm_dummy.h"
#include "watch/watch_cycle.h"

namespace kumoden::test {
namespace {

TEST(WatchedPath, EndsInExactlyOneSeparator)
{
    EXPECT_EQ(WatchedPath("/in", '/'), "/in/");
    EXPECT_EQ(WatchedPath("/in/", '/'), "/in/");
    EXPECT_EQ(WatchedPath("", '/'), "/");
    EXPECT_EQ(WatchedPath("C:\\In", '\\'), "C:\\In\\");
    EXPECT_EQ(WatchedPath("C:\\In\\", '\\'), "C:\\In\\");
    EXPECT_EQ(WatchedPath("", '\\'), "\\");
}

TEST(WatchedPath, MatchPatternTakesTheSelectionAsItStands)
{
    EXPECT_EQ(MatchPattern("/in/", ""), "/in/*.pdf");
    EXPECT_EQ(MatchPattern("/in/", "*"), "/in/**.pdf");
    EXPECT_EQ(MatchPattern("/in/", " abc"), "/in/ abc*.pdf");
}

class WatchCycle : public WatchFixture {
protected:
    void tick() { RunWatchCycle(info, services); }
};

TEST_F(WatchCycle, WithNothingToPrintOnlyThePurgeRuns)
{
    info.FileDelDate = "0";
    dir.write("BackPdf/old.pdf", "x");
    files.setDateCreated(backupText("old.pdf"), clock.now() - std::chrono::seconds(1));
    drop("note.txt");
    tick();

    EXPECT_TRUE(sleeper.waits().empty());
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_FALSE(std::filesystem::exists(inBackup("old.pdf")));
    EXPECT_TRUE(std::filesystem::exists(inFolder("note.txt")));
}

TEST_F(WatchCycle, ThePurgeRunsAfterThePrintPassOfTheSameTick)
{
    // Retention 0 on the real clock: the file archived by this tick is
    // already due when the purge of the same tick looks at it.
    clock.set(MakeClock()->now());
    info.FileDelDate = "0";
    drop("a.pdf");
    tick();

    EXPECT_EQ(launcher.requests().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(inBackup("a.pdf")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "BackPdf"));
}

TEST_F(WatchCycle, AMissingWatchedFolderIsNoError)
{
    info.FileChkDir = watched() + "nowhere";
    tick();
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(WatchCycle, AMissingFileFacilityIsToldOnceByEachPass)
{
    files.setObjectAvailable(false);
    drop("a.pdf");
    tick();
    EXPECT_EQ(messages.shown().size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(inFolder("a.pdf")));
}

// The resident window reads the settings and drives the timer.
class ResidentWindow : public WatchFixture {
protected:
    ResidentWindow() : app(dir.path().string(), "kumoden") {}

    void writeIni(const std::string& interval)
    {
        dir.write("kumoden.INI", "[FileCheck_Info]\nFileChkTime=" + interval + "\nFileChkDir=" +
                                     dir.path().string() + "\nPrinterNm=PDF\nAcrExeDir=/opt/reader\n");
    }

    fake::FakeApplication app;
    fake::FakeTimer timer;
    std::unique_ptr<Profile> profileStore = MakeProfile();
    Profile& profile = *profileStore;
};

TEST_F(ResidentWindow, ArmsTheTimerWithTheIntervalInMilliseconds)
{
    for (const auto& [text, interval] :
         std::vector<std::pair<std::string, int>>{{"60", 60}, {"0", 0}, {"-5", -5}}) {
        writeIni(text);
        FileCheckInfo settings;
        FrmDummy frmDummy(settings, {app, profile, timer, services});
        frmDummy.Form_Load();
        EXPECT_EQ(timer.interval(), interval) << text;
        EXPECT_EQ(timer.tick(), interval > 0) << text;
    }
}

TEST_F(ResidentWindow, ATickRunsTheWatchOnTheSettingsRead)
{
    writeIni("1000");
    drop("a.pdf");
    FileCheckInfo settings;
    FrmDummy frmDummy(settings, {app, profile, timer, services});
    frmDummy.Form_Load();
    ASSERT_TRUE(timer.tick());
    EXPECT_EQ(printedFiles(), (std::vector<std::string>{backupText("a.pdf")}));
    EXPECT_EQ(launcher.requests()[0].arguments[0], "/opt/reader");

    frmDummy.Form_Unload();
    EXPECT_FALSE(timer.tick());
}

} // namespace
} // namespace kumoden::test
