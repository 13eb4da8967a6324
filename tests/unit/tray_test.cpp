#include "app/start_up.h"
#include "tests/unit/resident_fixture.h"

#include <algorithm>
#include <numeric>

namespace kumoden::test {
namespace {

TEST_F(Resident, ClipboardChangesArePrintedWhileLoaded)
{
    clipboard.holdBitmap(7);
    watcher.change(); // before the hook: nothing
    frmDummy.Form_Load();
    watcher.change();
    EXPECT_EQ(page.printed.size(), 1u);

    journal.clear();
    frmDummy.Form_Unload();
    // The icon stays.
    EXPECT_EQ(journal, (Journal{"clipboard stop"}));
    EXPECT_TRUE(icon.shown);
    watcher.change();
    EXPECT_EQ(page.printed.size(), 1u);
}

TEST_F(Resident, TheTimerTicksOnlyWithAPositiveIntervalAndATickRunsTheWatchOnTheSettingsRead)
{
    drop("a.pdf");
    for (const auto& [text, interval] :
         std::vector<std::pair<std::string, int>>{{"0", 0}, {"-5", -5}, {"60", 60}}) {
        writeIni(text);
        frmDummy.Form_Load();
        EXPECT_EQ(timer.interval(), interval) << text;
        EXPECT_EQ(timer.tick(), interval > 0) << text;
    }
    EXPECT_EQ(printedFiles(), backupTexts({"a.pdf"}));
    EXPECT_EQ(launcher.requests()[0].arguments[0], reader());

    frmDummy.Form_Unload();
    EXPECT_FALSE(timer.tick());
}

TEST_F(Resident, WhileTheReaderOrTheFolderIsMissingOrUnreadableTicksTakeNothingTellItOnceAndResumeAfterwards)
{
    drop("a.pdf");
    // No reader set at all holds the files as a missing one does.
    dir.write("kumoden.INI", "[FileCheck_Info]\nFileChkTime=1000\nFileChkDir=" + dir.path().string() + "\n");
    frmDummy.Form_Load();
    ASSERT_TRUE(timer.tick());
    EXPECT_TRUE(inWatched("a.pdf"));
    EXPECT_EQ(std::ranges::count(journal, notice("印刷プログラム (AcrExeDir) が設定されていません。")), 1);
    writeIni("1000");
    frmDummy.Form_Load();
    journal.clear();
    std::filesystem::rename(reader(), reader() + ".away");
    ASSERT_TRUE(timer.tick());
    ASSERT_TRUE(timer.tick());
    // No take, so no wait: the menu answers at once.
    EXPECT_TRUE(sleeper.waits().empty());
    EXPECT_TRUE(inWatched("a.pdf"));
    EXPECT_EQ(journal, (Journal{notice("印刷プログラムが見つかりません: " + reader())}));

    std::filesystem::rename(reader() + ".away", reader());
    ASSERT_TRUE(timer.tick());
    EXPECT_EQ(printedFiles(), backupTexts({"a.pdf"}));

    // The watched folder goes and comes back while the program runs.
    const auto away = dir.path().string() + ".away";
    for (int time = 0; time < 2; ++time) {
        std::filesystem::rename(dir.path(), away);
        timer.tick();
        timer.tick();
        std::filesystem::rename(away, dir.path());
        timer.tick();
    }
    const std::string gone = notice("監視フォルダーが見つかりません: " + watched());
    // (The reader lies in the folder: it goes and comes back with it.)
    EXPECT_EQ(std::count(journal.begin(), journal.end(), gone), 2);

    // A folder that cannot be read, the same.
    journal.clear();
    files.setQueryError("Too many open files");
    timer.tick();
    timer.tick();
    EXPECT_EQ(journal,
              (Journal{notice("フォルダーの内容を読み取れません: " + watched() + " (Too many open files)")}));
    files.setQueryError(std::nullopt);
    timer.tick();
    files.setQueryError("Too many open files");
    timer.tick();
    EXPECT_EQ(journal.size(), 2u);
}

TEST_F(Resident, WhatKeepsTheWatchFromWorkingIsToldOnceAtLoadAndAfterTheDialog)
{
    dir.write("kumoden.INI", "[FileCheck_Info]\nFileChkTime=abc\nFileChkDir=" + dir.slash() +
                                 "missing\nAcrExeDir=" + dir.slash() + "none/reader\n");
    using namespace std::chrono;
    clock.set(local_days{2026y / December / 7} + 9h + 5min + 3s + 700ms);
    frmDummy.Form_Load();
    const Journal told{"icon add PDF印刷ツール",
                       notice("監視間隔 (FileChkTime) が正の数でないため、フォルダーを監視しません。"),
                       notice("監視フォルダーが見つかりません: " + dir.slash() + "missing" + sep()),
                       notice("印刷プログラムが見つかりません: " + dir.slash() + "none/reader"),
                       "clipboard watch"};
    EXPECT_EQ(journal, told);
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0],
              "2026-12-07 09:05:03 監視間隔 (FileChkTime) が正の数でないため、フォルダーを監視しません。");

    // The dialog mends two of them: the one left is not told again; the
    // mended ones are, should they come back.
    journal.clear();
    settings.FileChkTime = 1000;
    settings.FileChkDir = dir.path().string();
    frmDummy.mnuConf_Click();
    EXPECT_EQ(journal, (Journal{"settings open", "settings closed"}));
    settings.FileChkDir = dir.slash() + "missing";
    frmDummy.mnuConf_Click();
    EXPECT_EQ(journal.back(), told[2]);
    EXPECT_EQ(log.lines.size(), 4u);
}

TEST_F(Resident, ASettingsFileThatCannotBeReadIsToldOnceNamingIt)
{
    // A folder stands where the file should be: every setting reads as missing.
    const auto breakIni = [&] {
        std::filesystem::remove(iniPath);
        std::filesystem::create_directory(iniPath);
    };
    breakIni();
    const std::string told =
        notice("設定ファイルを読み取れないため、すべての設定を未設定として扱います: " + iniPath);
    frmDummy.Form_Load();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), told), 1);
    frmDummy.mnuConf_Click();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), told), 1) << "told again while it lasts";

    // Mended, it clears; broken again, it is told again.
    std::filesystem::remove(iniPath);
    writeIni("1000");
    frmDummy.mnuConf_Click();
    breakIni();
    frmDummy.mnuConf_Click();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), told), 2);
}

TEST_F(Resident, AContextRequestOpensOneMenuBesideTheNotificationArea)
{
    popup.whileOpen = [&] {
        EXPECT_TRUE(frmDummy.PopupActive());
        icon.send(TrayAction::Context); // a second right press opens no second menu
    };
    icon.send(TrayAction::Context);
    EXPECT_EQ(journal, (Journal{"foreground", "doEvents", "track"}));
    EXPECT_EQ(popup.defaultEntry, 0);
    // The placement reaches the menu as computed, for the platform to apply.
    EXPECT_EQ(popup.shownAt,
              std::vector<PopupPlacement>{(PopupPlacement{72, 1024, 768, {900, 738, 1024, 768}})});
    EXPECT_FALSE(frmDummy.PopupActive());
}

TEST_F(Resident, AFirstClickDoesNothingTheIconsActionOpensTheVersionBoxAndAChosenCommandRunsAfterTheMenu)
{
    icon.send(TrayAction::PrimaryClick);
    EXPECT_TRUE(journal.empty());
    icon.send(TrayAction::Activate);
    EXPECT_EQ(journal, (Journal{"about open", "about closed"}));

    // The host draws the program's own menu, entry for entry; an entry runs
    // the same whether chosen there or in the program's menu.
    ASSERT_EQ(icon.hostMenu.size(), popup.entries.size());
    for (std::size_t i = 0; i < popup.entries.size(); ++i) {
        EXPECT_EQ(icon.hostMenu[i].caption, popup.entries[i].caption);
    }
    about.whileOpen = [&] { EXPECT_FALSE(frmDummy.PopupActive()); };
    // バージョン情報, プリンター設定, 環境設定
    for (const auto& [entry, modal] :
         {std::pair{4, &about}, std::pair{2, &printerSetup}, std::pair{0, &settingsDialog}}) {
        const int before = modal->opened;
        icon.chooseInHostMenu(entry);
        popup.choice = entry;
        icon.send(TrayAction::Context);
        EXPECT_EQ(modal->opened, before + 2) << entry;
    }
    EXPECT_EQ(popup.shownAt.size(), 3u); // the host's choices drew no menu
    popup.choice = -1;                   // closed without a choice
    icon.send(TrayAction::Context);
    EXPECT_EQ(about.opened + printerSetup.opened + settingsDialog.opened, 7);
    EXPECT_THROW(icon.chooseInHostMenu(6), fake::ProcessEnded);
    EXPECT_FALSE(icon.shown);
}

TEST_F(Resident, OneWindowAtATimeOpensFromTheMenu)
{
    settingsDialog.whileOpen = [&] {
        EXPECT_TRUE(frmDummy.DialogOpen());
        icon.send(TrayAction::Activate); // the version box stays shut
        icon.chooseInHostMenu(2);
        icon.chooseInHostMenu(4);
        frmDummy.mnuPrint_Click();
        frmDummy.mnuConf_Click();
        popup.choice = -1;
        icon.send(TrayAction::Context); // the menu itself still opens
    };
    frmDummy.mnuConf_Click();
    EXPECT_EQ(about.opened, 0);
    EXPECT_EQ(printerSetup.opened, 0);
    EXPECT_EQ(settingsDialog.opened, 1);
    EXPECT_EQ(popup.shownAt.size(), 1u);
    EXPECT_FALSE(frmDummy.DialogOpen());
    frmDummy.mnuVer_Click();
    EXPECT_EQ(about.opened, 1);

    // Nor does one that fails to open lock the menu.
    about.whileOpen = [] { throw std::runtime_error("no window"); };
    EXPECT_THROW(frmDummy.mnuVer_Click(), std::runtime_error);
    EXPECT_FALSE(frmDummy.DialogOpen());
}

// A reader that ends while the pass goes on is logged at the pass's next
// wait, before the next file is taken, with the moment its end was seen;
// one that ends between ticks, at the next tick.
TEST_F(Resident, EachReaderEndIsLoggedAtTheNextWaitWithTheMomentItEnded)
{
    using namespace std::chrono_literals;
    drop({"a.pdf", "b.pdf"});
    frmDummy.Form_Load();
    std::optional<LocalTime> aEnded;
    sleeper.onSleep([&](std::size_t) {
        if (launcher.requests().size() == 1 && !aEnded) {
            aEnded = clock.now() - 2s;
            launcher.end({1, 0, 0, {}, false, aEnded});
        }
    });
    ASSERT_TRUE(timer.tick());
    ASSERT_EQ(launcher.requests().size(), 2u);
    const auto at = [&](const std::string& text) {
        return std::ranges::find_if(log.lines, [&](const std::string& line) { return line.ends_with(text); });
    };
    const auto aEnd = at("印刷プログラムが終了: " + backupText("a.pdf") + ", プリンター「PDF」");
    ASSERT_NE(aEnd, log.lines.end()) << testing::PrintToString(log.lines);
    EXPECT_TRUE(aEnd->starts_with(LogTimestamp(*aEnded) + " "));
    EXPECT_LT(aEnd, at("BackPdf に移動: b.pdf"));

    // b's reader ends between ticks: told by the next, still with its moment.
    clock.advance(30s);
    const LocalTime bEnded = clock.now() - 20s;
    launcher.end({2, 0, 0, {}, false, bEnded});
    ASSERT_TRUE(timer.tick());
    EXPECT_TRUE(log.lines.back().starts_with(LogTimestamp(bEnded) + " "));
    EXPECT_TRUE(log.lines.back().ends_with(backupText("b.pdf") + ", プリンター「PDF」"));
}

TEST_F(Resident, ExitStopsTheTimerFirstRemovesTheIconAndEndsAtOnceEvenWithAWindowOpen)
{
    timer.journal = &journal;
    frmDummy.Form_Load();
    journal.clear();
    // A file waits and a tick is due: the exit leaves it for no tick.
    drop("a.pdf");
    settingsDialog.whileOpen = [&] { frmDummy.mnuEnd_Click(); };
    EXPECT_THROW(frmDummy.mnuConf_Click(), fake::ProcessEnded);
    // The timer stops before anything else, and no event is handled on the
    // way out. It leaves the clipboard, so the viewers after it are not cut
    // off.
    EXPECT_EQ(journal,
              (Journal{"settings open", "timer stop", "icon remove", "clipboard stop", "endProcess"}));
    EXPECT_FALSE(icon.shown);
    EXPECT_FALSE(timer.tick());
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_TRUE(inWatched("a.pdf"));
}

TEST(StartUp, ASecondInstanceEndsBeforeAnyWindowTheFirstShowsTheSplashInTwentyStepsThenLoads)
{
    Journal journal;
    fake::FakeApplication app{"/opt", "kumoden"};
    fake::FakeModal splash{journal, "splash"};
    fake::FakeSleeper sleeper;
    fake::FakeDesktop desktop{journal};
    const auto main = [&] {
        return Main(app, "/opt/kumoden.INI", splash, sleeper, desktop, [&] { journal.push_back("load"); });
    };
    app.setPrevInstance(true);
    EXPECT_FALSE(main());
    EXPECT_EQ(app.lockedOn, "/opt/kumoden.INI"); // one instance per INI
    EXPECT_TRUE(journal.empty());
    EXPECT_TRUE(sleeper.waits().empty());

    app.setPrevInstance(false);
    EXPECT_TRUE(main());
    std::vector<double> steps(20);
    std::iota(steps.begin(), steps.end(), 1.0);
    EXPECT_EQ(splash.progress, steps);
    EXPECT_EQ(sleeper.waits(), Waits(20, milliseconds(100)));
    Journal expected{"splash show"};
    expected.insert(expected.end(), 20, "doEvents");
    expected.insert(expected.end(), {"splash unload", "load"});
    EXPECT_EQ(journal, expected);
}

} // namespace
} // namespace kumoden::test
