#include "tests/unit/resident_fixture.h"

#include "tests/fakes/fake_services.h"

#include <algorithm>

namespace kumoden::test {
namespace {

using std::chrono::milliseconds;

TEST_F(Resident, TheServiceManagerHearsWhatIsWatchedEachFileHandedOverAndEachFailureOnce)
{
    frmDummy.Form_Load();
    EXPECT_TRUE(serviceManager.messages.empty()) << "nothing before the program is ready";
    service.ready();
    const std::string watching = "監視中: " + dir.path().string() + " — 印刷 ";
    EXPECT_EQ(serviceManager.messages, (Journal{"READY=1 STATUS=" + watching + "0、失敗 0"}));

    drop({"a.pdf", "b.pdf"});
    ASSERT_TRUE(timer.tick());
    ASSERT_TRUE(timer.tick());
    EXPECT_EQ(serviceManager.messages,
              (Journal{"READY=1 STATUS=" + watching + "0、失敗 0", "STATUS=" + watching + "1、失敗 0",
                       "STATUS=" + watching + "2、失敗 0"}));

    // A failure is counted once however many ticks meet it, and quoted.
    std::filesystem::rename(reader(), reader() + ".away");
    drop("c.pdf");
    serviceManager.messages.clear();
    ASSERT_TRUE(timer.tick());
    ASSERT_TRUE(timer.tick());
    EXPECT_EQ(
        serviceManager.messages,
        (Journal{"STATUS=" + watching + "2、失敗 1 (印刷プログラムが見つかりません: " + reader() + ")"}));

    // Settings changed in the dialog are told when it closes.
    serviceManager.messages.clear();
    settings.FileChkTime = 0;
    frmDummy.mnuConf_Click();
    ASSERT_EQ(serviceManager.messages.size(), 1u);
    EXPECT_TRUE(serviceManager.messages[0].starts_with("STATUS=監視間隔が 0 以下のため監視していません: "))
        << serviceManager.messages[0];
}

TEST_F(Resident, APassOfManyFilesSaysItIsAliveAtEveryWait)
{
    frmDummy.Form_Load();
    for (int i = 0; i < 20; ++i) {
        drop("f" + std::to_string(i) + ".pdf");
    }
    const LocalTime start = clock.now();
    ASSERT_TRUE(timer.tick());
    ASSERT_EQ(printedFiles().size(), 20u);

    // The pass took many waits; no stretch of it went without a sign of
    // life longer than one wait, so a watchdog longer than the longest wait
    // never fires on a pass, however many files it prints.
    const Waits& waits = sleeper.waits();
    ASSERT_GE(waits.size(), 40u);
    const milliseconds longest = *std::max_element(waits.begin(), waits.end());
    const std::vector<LocalTime>& alives = serviceManager.alives;
    ASSERT_GE(alives.size(), waits.size());
    EXPECT_EQ(alives.front(), start);
    EXPECT_EQ(alives.back(), clock.now());
    for (std::size_t i = 1; i < alives.size(); ++i) {
        EXPECT_LE(alives[i] - alives[i - 1], longest) << "between signs " << i - 1 << " and " << i;
    }
}

TEST(ServiceStatusLine, ALastFailureIsOneLineCutAtACharacterBoundary)
{
    EXPECT_EQ(OneLine("  印刷されていません:\n  a.pdf\r\n\tプリンター「P」 ", 200),
              "印刷されていません: a.pdf プリンター「P」");
    // Each of these characters takes three bytes: a cut at 10 bytes keeps
    // two of them and the ellipsis (three bytes), never half a character.
    EXPECT_EQ(OneLine("用紙切れです", 10), "用紙…");
    EXPECT_EQ(OneLine("abc", 3), "abc");
}

TEST(ServiceStatusLine, NamesWhatIsWatchedOrWhyNothingIs)
{
    fake::FakeClock clock;
    fake::FakeServiceManager manager{clock};
    FileCheckInfo info;
    ServiceStatus status{manager, info};
    EXPECT_EQ(status.text(), "監視フォルダーが設定されていません — 印刷 0、失敗 0");
    info.FileChkDir = "/srv/in";
    info.FileChkTime = 1000;
    status.handedToReader();
    status.failed("請求書_3.pdf: 用紙切れ");
    EXPECT_EQ(status.text(), "監視中: /srv/in — 印刷 1、失敗 1 (請求書_3.pdf: 用紙切れ)");
    EXPECT_TRUE(manager.messages.empty()) << "nothing is told before ready";
    status.ready();
    status.refresh();
    status.stopping();
    EXPECT_EQ(manager.messages,
              (std::vector<std::string>{
                  "READY=1 STATUS=監視中: /srv/in — 印刷 1、失敗 1 (請求書_3.pdf: 用紙切れ)", "STOPPING=1"}));
}

TEST(NoticesLevels, FailuresAreErrorsNotesWarningsAndWorkDoneInfoEachFailureCountedOnce)
{
    fake::FakeClock clock;
    fake::FakeServiceManager manager{clock};
    fake::Journal journal;
    fake::FakeTrayIcon icon{journal};
    fake::FakeEventLog log;
    FileCheckInfo info;
    ServiceStatus status{manager, info};
    Notices notices{icon, log, clock, "T", &status};

    notices.record("done");
    notices.recordHandedToReader("launched");
    notices.fail("printers", "no scheduler");
    notices.fail("printers", "no scheduler"); // told already: nothing
    notices.note("reading:a", "waits");
    notices.failFor("swapped:", "a.pdf", "swapped a");
    notices.failFor("swapped:", "b.pdf", "swapped b"); // no notice, but a line of its own
    notices.failEveryTime("reader", "reader failed", std::nullopt);
    notices.failEveryTime("reader", "reader failed", std::nullopt);
    EXPECT_EQ(log.levels,
              (std::vector<LogLevel>{LogLevel::info, LogLevel::info, LogLevel::error, LogLevel::warning,
                                     LogLevel::error, LogLevel::error, LogLevel::error, LogLevel::error}));
    EXPECT_EQ(status.text(), "監視フォルダーが設定されていません — 印刷 1、失敗 5 (reader failed)");
}

} // namespace
} // namespace kumoden::test
