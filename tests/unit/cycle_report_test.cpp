// What a tick tells of its work: the log's lines, and the notices from the
// icon, each told once until it no longer holds.
#include "model/notices.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_time.h"
#include "watch/cycle_report.h"
#include "watch/reader_ends.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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
        report.leftovers(leftovers);
        report.tickEnded();
    }
    std::vector<std::pair<std::string, std::string>> leftovers;

    // A file handed to a reader started as task `task`.
    static FileResult printed(std::string name, std::uint64_t task)
    {
        return {std::move(name), FileOutcome::Printed, {}, PrinterListStatus::listed, task};
    }

    FileCheckInfo info;
    ReaderEnds readers;
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
    // One reader, one cause: told once for both files, each file named in the log.
    const std::string held = "印刷プログラムが変わるまで印刷を待ちます。";
    EXPECT_EQ(journal,
              (Journal{"notice T: 印刷プログラムを起動できません: /opt/reader。a.pdf は監視フォルダーに "
                       "a.pdf として戻しました。" +
                       held}));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(log.lines[1].ends_with("b.pdf は監視フォルダーに b (2).pdf として戻しました。" + held));
    report({{"a.pdf", FileOutcome::ReaderNotStarted, "a.pdf"}});
    EXPECT_EQ(journal.size(), 1u);
    EXPECT_EQ(log.lines.size(), 2u);

    report({{"a.pdf", FileOutcome::Printed, {}}, {"c.pdf", FileOutcome::InUse, {}}}, {"old.pdf"});
    ASSERT_EQ(log.lines.size(), 6u);
    EXPECT_TRUE(log.lines[2].ends_with(" BackPdf に移動: a.pdf"));
    EXPECT_TRUE(
        log.lines[3].ends_with(" 印刷プログラムを起動: /opt/reader (/in/BackPdf/a.pdf, プリンター「PDF」)"));
    EXPECT_TRUE(log.lines[4].ends_with(" 書き込み中のため次の回に: c.pdf"));
    EXPECT_TRUE(log.lines[5].ends_with(" 保存期間を過ぎたため削除: /in/BackPdf の old.pdf"));

    // Printed cleared the reader's failure: it is told again, for b too.
    report({{"d.pdf", FileOutcome::ReaderNotStarted, "d.pdf"},
            {"b.pdf", FileOutcome::ReaderNotStarted, "b.pdf"}});
    EXPECT_EQ(journal.size(), 2u);
    EXPECT_EQ(log.lines.size(), 8u);

    // The archive's failures name each file once, with the system's words.
    report({{"e.pdf", FileOutcome::NoRoom, {}, PrinterListStatus::listed, 0, "no room"},
            {"f.pdf", FileOutcome::NoRoom, {}, PrinterListStatus::listed, 0, "no room"},
            {"e.pdf", FileOutcome::NoRoom, {}, PrinterListStatus::listed, 0, "no room"}});
    EXPECT_EQ(journal.size(), 3u);
    ASSERT_EQ(log.lines.size(), 10u);
    EXPECT_NE(log.lines[9].find("f.pdf (no room)"), std::string::npos);
}

TEST_F(CycleReport, ANameSwappedOrALeftoverIsToldAgainOnlyAfterATickWithoutIt)
{
    const FileResult swapped{"a.pdf", FileOutcome::NotTheFileFound, {}};
    leftovers = {{"/in/BackPdf/.kumoden/file", "EIO"}};
    report({swapped});
    report({swapped});
    EXPECT_EQ(journal.size(), 2u);
    leftovers.clear();
    report({});
    leftovers = {{"/in/BackPdf/.kumoden/file", "EIO"}};
    report({swapped});
    EXPECT_EQ(journal.size(), 4u);
    EXPECT_NE(journal.back().find("/in/BackPdf/.kumoden/file (EIO)"), std::string::npos);
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

// SumatraPDF tells by its exit code whether the file reached the print
// system: each file is logged handed over or not printed, the failure told
// once per printer until a file is handed over there.
TEST_F(CycleReport, AReaderThatTellsTheHandOverHasEachFileLoggedHandedOverOrNotPrinted)
{
    info.AcrExeDir = "C:\\Tools\\SumatraPDF-3.5.2-64.exe";
    readers.started({"/in/", {printed("a.pdf", 1), printed("b.pdf", 2), printed("c.pdf", 3)}, {}}, info);
    readers.report({{1, 1, 0, {}}, {2, 1, 0, {}}}, notices);
    const std::string notPrinted = "印刷されていません: /in/BackPdf/";
    const std::string why =
        ", プリンター「PDF」。印刷プログラムが印刷システムに渡せませんでした: 終了コード 1";
    EXPECT_EQ(journal, (Journal{"notice T: " + notPrinted + "a.pdf" + why}));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(log.lines[1].ends_with(notPrinted + "b.pdf" + why));

    readers.report({{3, 0, 0, {}}}, notices);
    EXPECT_TRUE(
        log.lines.back().ends_with(" 印刷システムに渡しました: /in/BackPdf/c.pdf, プリンター「PDF」"));
    readers.started({"/in/", {printed("d.pdf", 4)}, {}}, info);
    readers.report({{4, 1, 0, {}}}, notices);
    EXPECT_EQ(journal.size(), 2u);
    // Killed, it tells nothing of the hand-over: a reader's failure.
    readers.started({"/in/", {printed("e.pdf", 5)}, {}}, info);
    readers.report({{5, 0, 9, {}}}, notices);
    EXPECT_TRUE(journal.back().starts_with("notice T: 印刷プログラムがエラーで終了しました: シグナル 9 ("));
}

TEST_F(CycleReport, AFileIsLoggedPrintedOnlyOnceItsJobCompletedAndOneThatDidNotIsToldOncePerPrinterAndCause)
{
    std::uint64_t task = 0;
    // The end of the reader of file f<task>.pdf on the printer.
    const auto end = [&](const char* printer, int status, const std::string& line) {
        FileCheckInfo on = info;
        on.PrinterNm = printer;
        ++task;
        readers.started({"/in/", {printed("f" + std::to_string(task) + ".pdf", task)}, {}}, on);
        readers.report({{task, status, 0, line}}, notices);
    };
    const std::string stopped = "kumoden-print: queue stopped: queue PDF has been stopped for 5 min";
    end("PDF", 4, stopped);
    end("PDF", 4, stopped);
    end("FAIL", 4, stopped);
    end("PDF", 5, "kumoden-print: failed at the printer: job 4 on queue PDF (paper jam)");
    // One notice per printer and cause; every file in the log.
    EXPECT_EQ(journal.size(), 3u);
    ASSERT_EQ(log.lines.size(), 4u);
    EXPECT_EQ(journal[0], "notice T: 印刷されていません: /in/BackPdf/f1.pdf, プリンター「PDF」。"
                          "キューが停止しています: " +
                              stopped);
    EXPECT_TRUE(log.lines[1].ends_with(" 印刷されていません: /in/BackPdf/f2.pdf, プリンター「PDF」。"
                                       "キューが停止しています: " +
                                       stopped));

    // A print clears its printer's causes, not another printer's.
    end("PDF", 0, "kumoden-print: printed: job 5 on queue PDF");
    EXPECT_TRUE(log.lines.back().ends_with(" 印刷しました: /in/BackPdf/f5.pdf, プリンター「PDF」"));
    end("PDF", 4, stopped);
    end("FAIL", 4, stopped);
    ASSERT_EQ(journal.size(), 4u);
    EXPECT_NE(journal.back().find("/in/BackPdf/f6.pdf"), std::string::npos);

    // A reader that tells nothing of its job has only ended; words that are
    // not an outcome's are a failure of the reader; an end not known says so.
    end("PDF", 0, "");
    EXPECT_TRUE(log.lines.back().ends_with(" 印刷プログラムが終了: /in/BackPdf/f8.pdf, プリンター「PDF」"));
    end("PDF", 4, "kumoden-print: no print queue named PDF");
    EXPECT_TRUE(journal.back().starts_with(
        "notice T: 印刷プログラムがエラーで終了しました: kumoden-print: no print"));
    end("PDF", 7, "kumoden-print: not known: the print scheduler no longer knows job 10");
    EXPECT_EQ(journal.back(),
              "notice T: 印刷されたか確かめられません: /in/BackPdf/f10.pdf, プリンター「PDF」。"
              "kumoden-print: not known: the print scheduler no longer knows job 10");
    EXPECT_EQ(readers.running(), 0u);
}

} // namespace
} // namespace kumoden::test
