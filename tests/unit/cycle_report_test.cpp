#include "app/notices.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_time.h"
#include "watch/cycle_report.h"
#include "watch/reader_ends.h"

#include <gtest/gtest.h>

namespace kumoden::test {
namespace {

using fake::Journal;

class CycleReport : public ::testing::Test {
protected:
    CycleReport()
    {
        info.AcrExeDir = "/opt/reader";
        info.PrinterNm = "PDF";
    }
    void report(std::vector<FileResult> files, std::vector<std::string> purged = {})
    {
        kumoden::CycleReport report("/in/", info, notices);
        for (const FileResult& file : files) {
            if (file.outcome == FileOutcome::Printed) {
                report.archived(file.name);
            }
            report.finished(file);
        }
        for (const std::string& name : purged) {
            report.purged("/in/BackPdf", name);
        }
    }

    FileCheckInfo info;
    Journal journal;
    fake::FakeTrayIcon icon{journal};
    fake::FakeEventLog log;
    fake::FakeClock clock;
    Notices notices{icon, log, clock, "T"};
};

TEST_F(CycleReport, WorkDoneIsLoggedAndFailuresAreToldOnceUntilAFilePrints)
{
    report({{"a.pdf", FileOutcome::ReaderNotStarted, "a.pdf"},
            {"b.pdf", FileOutcome::ReaderNotStarted, "b (2).pdf"}});
    // One reader, one cause: told once for both files.
    EXPECT_EQ(journal,
              (Journal{"notice T: 印刷プログラムを起動できません: /opt/reader。a.pdf は監視フォルダーに "
                       "a.pdf として戻しました。"}));
    report({{"a.pdf", FileOutcome::ReaderNotStarted, "a.pdf"}});
    EXPECT_EQ(journal.size(), 1u);

    report({{"a.pdf", FileOutcome::Printed, {}}, {"c.pdf", FileOutcome::InUse, {}}}, {"old.pdf"});
    ASSERT_EQ(log.lines.size(), 5u);
    EXPECT_TRUE(log.lines[1].ends_with(" BackPdf に移動: a.pdf"));
    EXPECT_TRUE(
        log.lines[2].ends_with(" 印刷プログラムを起動: /opt/reader (/in/BackPdf/a.pdf, プリンター「PDF」)"));
    EXPECT_TRUE(log.lines[3].ends_with(" 書き込み中のため次の回に: c.pdf"));
    EXPECT_TRUE(log.lines[4].ends_with(" 保存期間を過ぎたため削除: /in/BackPdf の old.pdf"));

    // Printed cleared the reader's failure: it is told again.
    report({{"d.pdf", FileOutcome::ReaderNotStarted, "d.pdf"}});
    EXPECT_EQ(journal.size(), 2u);
}

TEST_F(CycleReport, APrintSystemThatDoesNotAnswerIsToldOnceUntilItAnswers)
{
    FileResult silent{"a.pdf", FileOutcome::Printed, {}, PrinterListStatus::noAnswer};
    report({silent, silent});
    EXPECT_EQ(journal,
              (Journal{"notice T: 印刷スケジューラーが応答しないため、プリンター「PDF」のドライバーと"
                       "ポートを調べられませんでした。"}));
    report({{"b.pdf", FileOutcome::Printed, {}, PrinterListStatus::listed}});
    report({silent});
    EXPECT_EQ(journal.size(), 2u);
    // A file that never reached the lookup says nothing of the print system.
    report({{"c.pdf", FileOutcome::NotArchived, {}, PrinterListStatus::noAnswer}});
    EXPECT_EQ(journal.back(), "notice T: BackPdf に移動できません: c.pdf (/in/BackPdf)");
}

TEST_F(CycleReport, EachReaderEndIsLoggedAndAFailureToldOncePerReasonUntilAReaderEndsWell)
{
    ReaderEnds readers;
    const auto printed = [](const char* name, std::uint64_t task) {
        return FileResult{name, FileOutcome::Printed, {}, PrinterListStatus::listed, task};
    };
    readers.started({"/in/", {printed("a.pdf", 7), printed("b.pdf", 8), printed("c.pdf", 9)}, {}}, info);
    readers.started({"/in/", {{"d.pdf", FileOutcome::InUse, {}}}, {}}, info);
    EXPECT_EQ(readers.running(), 3u);

    const std::string noQueue = "kumoden-print: no print queue named PDF";
    readers.report({{8, 1, 0, noQueue}, {42, 1, 0, "not ours"}, {9, 1, 0, noQueue}}, notices);
    EXPECT_EQ(journal, (Journal{"notice T: 印刷プログラムがエラーで終了しました: " + noQueue +
                                " (/in/BackPdf/b.pdf, プリンター「PDF」)"}));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(log.lines[1].ends_with(noQueue + " (/in/BackPdf/c.pdf, プリンター「PDF」)"));

    // Another reason is another failure; a good end clears them all.
    readers.report({{7, 0, 0, "warning only"}}, notices);
    EXPECT_TRUE(log.lines.back().ends_with(" 印刷プログラムが終了: /in/BackPdf/a.pdf, プリンター「PDF」"));
    EXPECT_EQ(readers.running(), 0u);
    readers.started({"/in/", {printed("e.pdf", 10), printed("f.pdf", 11)}, {}}, info);
    readers.report({{10, 1, 0, noQueue}, {11, 0, 9, {}}}, notices);
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_TRUE(journal[1].ends_with(noQueue + " (/in/BackPdf/e.pdf, プリンター「PDF」)"));
    EXPECT_TRUE(journal[2].starts_with("notice T: 印刷プログラムがエラーで終了しました: シグナル 9 ("));
    EXPECT_EQ(ReaderFailureReason({1, 3, 0, {}}), "終了コード 3");
}

TEST_F(CycleReport, AFileIsLoggedPrintedOnlyOnceItsJobCompletedAndOneThatDidNotIsToldOncePerPrinterAndCause)
{
    ReaderEnds readers;
    FileCheckInfo other = info;
    other.PrinterNm = "FAIL";
    const auto start = [&](const char* name, std::uint64_t task, const FileCheckInfo& on) {
        readers.started({"/in/", {{name, FileOutcome::Printed, {}, PrinterListStatus::listed, task}}, {}},
                        on);
    };
    const std::string stopped = "kumoden-print: queue stopped: queue PDF has been stopped for 5 min; job ";
    start("a.pdf", 1, info);
    start("b.pdf", 2, info);
    start("c.pdf", 3, other);
    readers.report({{1, 4, 0, stopped + "1 waits there until the queue is resumed"},
                    {2, 4, 0, stopped + "2 waits there until the queue is resumed"},
                    {3, 4, 0, "kumoden-print: queue stopped: queue FAIL has been stopped"}},
                   notices);
    // One notice per printer and cause; every file in the log.
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0],
              "notice T: 印刷されていません: /in/BackPdf/a.pdf, プリンター「PDF」。キューが停止して"
              "います: " +
                  stopped + "1 waits there until the queue is resumed");
    EXPECT_TRUE(
        journal[1].starts_with("notice T: 印刷されていません: /in/BackPdf/c.pdf, プリンター「FAIL」。"));
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_TRUE(
        log.lines[1].ends_with(" 印刷されていません: /in/BackPdf/b.pdf, プリンター「PDF」。キューが停止して"
                               "います: " +
                               stopped + "2 waits there until the queue is resumed"));

    // Another cause on the same printer is told; a print there clears both,
    // not the other printer's.
    start("d.pdf", 4, info);
    start("e.pdf", 5, info);
    readers.report({{4, 5, 0, "kumoden-print: failed at the printer: job 4 on queue PDF (paper jam)"},
                    {5, 0, 0, "kumoden-print: printed: job 5 on queue PDF"}},
                   notices);
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_TRUE(
        journal[2].ends_with("プリンターでエラーになりました: kumoden-print: failed at the printer: job 4 "
                             "on queue PDF (paper jam)"));
    EXPECT_TRUE(log.lines.back().ends_with(" 印刷しました: /in/BackPdf/e.pdf, プリンター「PDF」"));
    start("f.pdf", 6, info);
    start("g.pdf", 7, other);
    readers.report({{6, 4, 0, stopped + "6"}, {7, 4, 0, "kumoden-print: queue stopped: queue FAIL"}},
                   notices);
    ASSERT_EQ(journal.size(), 4u);
    EXPECT_TRUE(journal[3].find("/in/BackPdf/f.pdf") != std::string::npos);

    // A reader that tells nothing of its job has only ended; words that are
    // not an outcome's are a failure of the reader; an end that cannot be
    // known says so.
    start("h.pdf", 8, info);
    start("i.pdf", 9, info);
    start("j.pdf", 10, info);
    readers.report({{8, 0, 0, {}},
                    {9, 4, 0, "kumoden-print: no print queue named PDF"},
                    {10, 7, 0, "kumoden-print: not known: the print scheduler no longer knows job 10"}},
                   notices);
    EXPECT_TRUE(log.lines[log.lines.size() - 3].ends_with(
        " 印刷プログラムが終了: /in/BackPdf/h.pdf, プリンター「PDF」"));
    ASSERT_EQ(journal.size(), 6u);
    EXPECT_TRUE(journal[4].starts_with(
        "notice T: 印刷プログラムがエラーで終了しました: kumoden-print: no print queue"));
    EXPECT_EQ(journal[5],
              "notice T: 印刷されたか確かめられません: /in/BackPdf/j.pdf, プリンター「PDF」。kumoden-print: "
              "not known: the print scheduler no longer knows job 10");
    EXPECT_EQ(readers.running(), 0u);
}

} // namespace
} // namespace kumoden::test
