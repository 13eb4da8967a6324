// The settings dialog's presenter: what it shows, what it writes to the
// INI file and when, and its tabs.
#include "tests/unit/conf_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kumoden::test {
namespace {

TEST_F(Conf, OpeningLaysThePagesShowsTheFileAndStartsClean)
{
    info.FileChkTime = 50; // the file's values replace these
    info.FileChkDir = "/old";
    open([&] {
        EXPECT_EQ(view.zOrder.back(), 0); // page 1 on top
        for (int page = 0; page < 3; ++page) {
            EXPECT_EQ(view.pageBox(page), view.clientArea);
            EXPECT_TRUE(view.pageEnabled(page)); // the others stay enabled beneath it
        }
        EXPECT_EQ(view.printers, (std::vector<std::string>{"PDF", "PDF2"}));
        // The fill marked every text box it wrote into, but not the printer.
        const std::pair<F, const char*> filled[] = {
            {F::txtChkTime, "1000"}, {F::txtFileChkDir, "/srv/in"}, {F::txtAcroExe, "/opt/reader"},
            {F::cmbPrint, "PDF"},    {F::txtPrintFile, "abc"},      {F::txtFileDelDate, "7"}};
        for (const auto& [field, text] : filled) {
            EXPECT_EQ(view.text(field), text);
            EXPECT_EQ(frmConf.Tag(field), field == F::cmbPrint ? "" : "C_UPDATE") << text;
        }
        EXPECT_EQ(timer.interval(), 1000);
        EXPECT_FALSE(view.applyEnabled());
    });
    EXPECT_EQ(info.FileChkDir, "/srv/in");
}

TEST_F(Conf, OkCancelOrACleanApplyWriteNothingMoreAndTheFileIsReadAgain)
{
    open([&] { view.clickOK(); });
    EXPECT_FALSE(view.isOpen());
    open([&] {
        view.type(F::txtFileDelDate, "30");
        view.clickCancel();
    });
    EXPECT_FALSE(view.isOpen());
    EXPECT_TRUE(profile.written.empty());
    EXPECT_EQ(ini(), kIni);
    // Nor after an Apply whose refill changes nothing: the dialog is clean.
    open([&] {
        view.type(F::txtFileDelDate, "14");
        view.clickApply();
        EXPECT_FALSE(view.applyEnabled());
        const auto writes = profile.written.size();
        view.clickOK();
        EXPECT_EQ(profile.written.size(), writes);
    });
    EXPECT_EQ(view.unloads, 3);

    dir.write("kumoden.INI", "[FileCheck_Info]\nFileChkTime=250\nFileChkDir=/edited\n");
    open([&] { view.clickCancel(); });
    EXPECT_EQ(info.FileChkTime, 250);
    EXPECT_EQ(info.FileChkDir, "/edited");
    EXPECT_EQ(timer.interval(), 250);
}

TEST_F(Conf, ChangingTheRetentionWritesEveryMarkedFieldInOrder)
{
    open([&] {
        view.type(F::txtFileDelDate, "30");
        EXPECT_TRUE(view.applyEnabled());
        view.clickOK();
    });
    EXPECT_EQ(profile.written,
              (std::vector<std::string>{"FileChkTime=1000", "FileChkDir=/srv/in", "AcrExeDir=/opt/reader",
                                        "FileSelect=abc", "FileDelDate=30"}));
    std::string expected = kIni;
    expected.replace(expected.find("FileDelDate=7"), 13, "FileDelDate=30");
    EXPECT_EQ(ini(), expected); // every other byte kept
    EXPECT_EQ(info.FileDelDate, "30");
}

TEST_F(Conf, OnlyAChoiceFromTheListMarksThePrinter)
{
    // Without printers there is nothing to choose.
    printers.set({});
    open([&] {
        EXPECT_TRUE(view.printers.empty());
        view.type(F::cmbPrint, "PDF2");
        view.clickOK();
    });
    EXPECT_EQ(frmConf.Tag(F::cmbPrint), "");
    EXPECT_TRUE(profile.written.empty());
    printers.set(kPrinters);

    // Typed beside another change: the other field goes, the printer not.
    open([&] {
        view.type(F::cmbPrint, "PDF2");
        view.type(F::txtPrintFile, "xyz");
        view.clickOK();
    });
    EXPECT_EQ(profile.written.back(), "FileDelDate=7");
    for (const std::string& write : profile.written) {
        EXPECT_NE(write.rfind("PrinterNm", 0), 0u) << write;
    }
    // Chosen, then typed over: the typed name is written.
    open([&] {
        view.choosePrinter(1);
        EXPECT_TRUE(view.applyEnabled());
        EXPECT_EQ(frmConf.Tag(F::cmbPrint), "C_UPDATE");
        view.type(F::cmbPrint, "Office 3F");
        view.clickOK();
    });
    EXPECT_EQ(profile.written.back(), "PrinterNm=Office 3F");
    EXPECT_EQ(info.PrinterNm, "Office 3F");
}

TEST_F(Conf, TheRefillAfterASaveShowsWhatTheFileReadsAs)
{
    open([&] {
        view.type(F::txtChkTime, "010");
        view.clickApply();
        EXPECT_EQ(view.text(F::txtChkTime), "10"); // read back as a number
        EXPECT_TRUE(view.applyEnabled());          // so the refill made it dirty again
        EXPECT_EQ(timer.interval(), 10);           // the new interval, without a restart
        EXPECT_NE(ini().find("FileChkTime=010\r\n"), std::string::npos); // written as typed

        view.type(F::txtFileChkDir, "");
        view.clickApply();
        EXPECT_EQ(view.text(F::txtFileChkDir), "/srv/in"); // an empty entry is no setting
        EXPECT_TRUE(view.applyEnabled());
        view.clickCancel();
    });
    // The second save wrote the refilled interval again.
    const std::string text = ini();
    EXPECT_NE(text.find("FileChkTime=10\r\n"), std::string::npos);
    EXPECT_NE(text.find("FileChkDir=\r\n"), std::string::npos);
    EXPECT_EQ(info.FileChkDir, "/srv/in"); // the watch goes on with the previous folder
}
TEST_F(Conf, AWriteTheFileRefusesIsToldAndTheEditsStay)
{
    open([&] {
        view.type(F::txtChkTime, "500");
        view.type(F::txtPrintFile, "two\nlines"); // no INI line can hold it
        view.clickOK();
        ASSERT_EQ(messages.shown().size(), 1u);
        const std::string& told = messages.shown().back().text;
        EXPECT_NE(told.find("出力ファイル名"), std::string::npos) << told;
        EXPECT_NE(told.find(dir.slash() + "kumoden.INI"), std::string::npos) << told;
        EXPECT_EQ(logged,
                  (std::vector<std::string>{"設定ファイル「" + dir.slash() +
                                            "kumoden.INI」に「出力ファイル名」を書き込めませんでした"}));
        EXPECT_TRUE(view.isOpen());
        EXPECT_EQ(view.text(F::txtPrintFile), "two\nlines");
        EXPECT_TRUE(view.applyEnabled());
        // The interval before it did reach the file: the watch follows the file.
        EXPECT_EQ(timer.interval(), 500);
        EXPECT_EQ(info.FileSelect, "abc");

        view.type(F::txtPrintFile, "xyz");
        view.clickOK();
    });
    EXPECT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(view.unloads, 1);
    EXPECT_EQ(info.FileSelect, "xyz");
    EXPECT_NE(ini().find("FileSelect=xyz\r\n"), std::string::npos);

    // A file that cannot be written at all.
    const std::string saved = ini();
    MakeReadOnly(dir.path() / "kumoden.INI");
    open([&] {
        view.type(F::txtFileDelDate, "30");
        view.clickOK();
        EXPECT_EQ(messages.shown().size(), 2u);
        EXPECT_TRUE(view.isOpen());
        EXPECT_EQ(view.text(F::txtFileDelDate), "30");
        EXPECT_EQ(info.FileDelDate, "7");
        view.clickCancel();
    });
    EXPECT_EQ(view.unloads, 2);
    EXPECT_EQ(ini(), saved);
}

TEST_F(Conf, CtrlTabCyclesThroughTheTabsAndOnlyTheChosenPageIsInTheDialog)
{
    open([&] {
        const auto pressFrom = [&](int from, int shift) {
            view.selectTab(from);
            view.press(kKeyTab, shift);
            return view.selectedTab();
        };
        EXPECT_EQ(pressFrom(3, kCtrlMask), 1);
        EXPECT_EQ(pressFrom(3, kCtrlMask | kAltMask), 1); // Alt does not matter
        EXPECT_EQ(pressFrom(2, 0), 2);                    // Tab alone
        EXPECT_EQ(pressFrom(2, kShiftMask), 2);           // Shift+Tab
        view.selectTab(2);
        view.press('A', kCtrlMask);
        EXPECT_EQ(view.selectedTab(), 2);

        view.clickTab(3);
        for (int page = 0; page < 3; ++page) {
            const TwipsBox box = view.pageBox(page);
            EXPECT_EQ(box.left, page == 2 ? view.clientArea.left : kPageAwayLeft) << page;
            EXPECT_EQ(view.pageEnabled(page), page == 2) << page;
            // Only the left edge moves.
            EXPECT_EQ(box.top, view.clientArea.top);
            EXPECT_EQ(box.width, view.clientArea.width);
            EXPECT_EQ(box.height, view.clientArea.height);
        }
        view.clickTab(1);
        EXPECT_TRUE(view.pageEnabled(0));
        EXPECT_FALSE(view.pageEnabled(2));
        view.clickCancel();
    });
}

TEST_F(Conf, APickersResultIsAnOrdinaryChange)
{
    folderPicker = [](TextField& field) {
        EXPECT_EQ(field.text(), "/srv/in");
        field.setText("/srv/new");
    };
    programPicker = [](TextField& field) { field.setText(field.text()); }; // the same path again
    open([&] {
        view.clickAcrExeDir();
        EXPECT_FALSE(view.applyEnabled());
        view.clickChkDir();
        EXPECT_EQ(view.text(F::txtFileChkDir), "/srv/new");
        EXPECT_TRUE(view.applyEnabled());
        view.clickOK();
    });
    EXPECT_EQ(info.FileChkDir, "/srv/new");
    EXPECT_NE(ini().find("FileChkDir=/srv/new\r\n"), std::string::npos);
}

} // namespace
} // namespace kumoden::test
