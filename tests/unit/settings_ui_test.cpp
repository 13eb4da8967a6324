#include "app/splash_design.h"
#include "settings_ui/folder_model.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_conf.h"
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"
#include "tests/fakes/fake_conf_view.h"
#include "tests/fakes/fake_folder_reader.h"
#include "tests/fakes/fake_picker_view.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_text_field.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "tests/unit/profile_fixture.h"
#include "tray/about_design.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kumoden::test {
namespace {

using F = ConfField;

constexpr const char* kIni = "; written by hand\r\n"
                             "[FileCheck_Info]\r\n"
                             "FileChkTime=1000\r\n"
                             "FileChkDir=/srv/in\r\n"
                             "FileSelect=abc\r\n"
                             "AcrExeDir=/opt/reader\r\n"
                             "PrinterNm=PDF\r\n"
                             "FileDelDate=7\r\n"
                             "[Other]\r\n"
                             "Keep=this\r\n";

class Conf : public ::testing::Test {
protected:
    Conf() { dir.write("kumoden.INI", kIni); }

    static char separator() { return MakeFileSystem()->separator(); }

    std::string ini() const { return readFile(dir.path() / "kumoden.INI"); }

    // Opens the dialog: the test acts while it is open.
    void open(std::function<void()> whileOpen = {})
    {
        view.whileOpen = std::move(whileOpen);
        frmConf.Show();
    }

    TempDir dir;
    std::string iniPath = dir.path().string() + separator() + "kumoden.INI";
    RecordingProfile profile{MakeProfile()};
    fake::FakeTimer timer;
    const std::vector<PrinterEntry> kPrinters{{"PDF", "PDF", "cups-pdf:/"},
                                              {"PDF2", "PDF2", "cups-pdf:/PDF2"}};
    fake::FakePrinterList printers{kPrinters};
    fake::FakeConfView view;
    fake::FakeMessageDialog messages;
    std::function<void(TextField&)> folderPicker;
    std::function<void(TextField&)> programPicker;
    std::vector<std::string> logged;
    FileCheckInfo info;
    FrmConf frmConf{info,
                    {view, profile, iniPath, separator(), timer, printers, messages,
                     [this](TextField& f) { folderPicker(f); }, [this](TextField& f) { programPicker(f); },
                     [this](const std::string& line) { logged.push_back(line); }}};
};

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

TEST_F(Conf, OkAndApplyRefuseOnlyWhatTheWatchCannotUse)
{
    struct Case {
        F field;
        std::string text;
        bool accepted;
        std::string readAs; // the record's value after the save, for an accepted text
    };
    const Case cases[] = {
        // Every interval the record reads as 0 ms or more (see NumberText for the reading).
        {F::txtChkTime, " 2147483647 ", true, "2147483647"},
        {F::txtChkTime, "13.5", true, "14"},
        {F::txtChkTime, "-0.4", true, "0"},
        {F::txtChkTime, "abc", false, ""},
        {F::txtChkTime, "", false, ""},
        {F::txtChkTime, "-1", false, ""},
        {F::txtChkTime, "１０００", false, ""},
        // Every retention the purge reads as days; blank turns it off.
        {F::txtFileDelDate, "-3", true, "-3"},
        {F::txtFileDelDate, "2.5", true, "2.5"},
        {F::txtFileDelDate, "-32768", true, "-32768"},
        {F::txtFileDelDate, "32767", true, "32767"},
        {F::txtFileDelDate, "abc", false, ""},
        {F::txtFileDelDate, "32768", false, ""},
        {F::txtFileDelDate, "32767.5", false, ""},
        // A file-name start that stays in the watched folder.
        {F::txtPrintFile, "請求*", true, "請求*"},
        {F::txtPrintFile, "../x", false, ""},
        {F::txtPrintFile, "sub\\x", false, ""},
    };
    const auto recordOf = [&](F field) {
        return field == F::txtChkTime       ? std::to_string(info.FileChkTime)
               : field == F::txtFileDelDate ? info.FileDelDate
                                            : info.FileSelect;
    };
    const auto labelOf = [](F field) {
        return field == F::txtChkTime       ? "チェック間隔"
               : field == F::txtFileDelDate ? "保存期間"
                                            : "出力ファイル名";
    };
    open([&] {
        for (const Case& c : cases) {
            const auto shown = messages.shown().size();
            const auto written = profile.written.size();
            const std::string accepted = view.text(c.field);
            view.type(c.field, c.text);
            view.clickApply();
            if (c.accepted) {
                EXPECT_EQ(messages.shown().size(), shown) << c.text;
                EXPECT_EQ(recordOf(c.field), c.readAs) << c.text;
                continue;
            }
            view.clickOK();
            ASSERT_EQ(messages.shown().size(), shown + 2) << c.text;
            const fake::ShownMessage& told = messages.shown().back();
            EXPECT_NE(told.text.find(labelOf(c.field)), std::string::npos) << told.text;
            EXPECT_EQ(told.title, "環境設定画面");
            // Nothing written; the edit stays, the dialog stays dirty and open.
            EXPECT_EQ(profile.written.size(), written) << c.text;
            EXPECT_EQ(view.text(c.field), c.text);
            EXPECT_TRUE(view.applyEnabled());
            EXPECT_TRUE(view.isOpen());
            view.type(c.field, accepted);
        }
        view.type(F::txtChkTime, "0");
        view.type(F::txtFileDelDate, "");
        view.type(F::txtPrintFile, "abc");
        view.clickOK();
    });
    EXPECT_EQ(view.unloads, 1);
    EXPECT_EQ(timer.interval(), 0);
    EXPECT_NE(ini().find("FileDelDate=\r\n"), std::string::npos);

    // What the file holds and the user leaves alone is no edit: marked by
    // the fill, it goes back exactly as read, beside the field the user did
    // change, and nothing is refused.
    const auto told = messages.shown().size();
    const std::string unreadable = "[FileCheck_Info]\r\nFileChkTime=1000\r\nFileSelect=sub/abc\r\n"
                                   "FileDelDate=7 ; days\r\n";
    dir.write("kumoden.INI", unreadable);
    profile.written.clear();
    open([&] {
        EXPECT_EQ(view.text(F::txtFileDelDate), "7 ; days");
        EXPECT_EQ(frmConf.Tag(F::txtFileDelDate), "C_UPDATE");
        view.type(F::txtChkTime, "2000");
        view.clickOK();
    });
    EXPECT_EQ(messages.shown().size(), told);
    EXPECT_EQ(view.unloads, 2);
    EXPECT_EQ(timer.interval(), 2000);
    EXPECT_EQ(profile.written,
              (std::vector<std::string>{"FileChkTime=2000", "FileChkDir=/srv/in", "AcrExeDir=/opt/reader",
                                        "FileSelect=sub/abc", "FileDelDate=7 ; days"}));
    EXPECT_NE(ini().find("FileDelDate=7 ; days\r\n"), std::string::npos);
    EXPECT_EQ(info.FileDelDate, "7 ; days");

    // Typed over a readable value, the same texts are the user's and are
    // refused; put back as read, they are not.
    dir.write("kumoden.INI", kIni);
    profile.written.clear();
    open([&] {
        view.type(F::txtFileDelDate, "7 ; days");
        view.clickApply();
        view.type(F::txtFileDelDate, "7");
        view.type(F::txtPrintFile, "sub/abc");
        view.clickApply();
        EXPECT_TRUE(profile.written.empty());
        view.type(F::txtPrintFile, "abc");
        view.clickOK();
    });
    EXPECT_EQ(messages.shown().size(), told + 2);
    EXPECT_EQ(view.unloads, 3);
    EXPECT_EQ(profile.written.back(), "FileDelDate=7");
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

// What every view, on every platform, takes for granted of a design.
void checkDesign(const FormDesign& form)
{
    SCOPED_TRACE(std::string(form.name));
    std::set<std::string_view> names;
    std::set<int> stops;
    for (const ControlDesign& control : form.controls) {
        SCOPED_TRACE(std::string(control.name));
        EXPECT_TRUE(names.insert(control.name).second) << "named twice";
        // Inside what holds it: a page made before it, or the form.
        TwipsBox outer{0, 0, form.clientWidth, form.clientHeight};
        if (!control.container.empty()) {
            ASSERT_TRUE(names.contains(control.container)) << "its page comes later or not at all";
            const ControlDesign& page = form.control(control.container);
            EXPECT_EQ(page.kind, ControlKind::Page);
            outer = {0, 0, page.box.width, page.box.height};
        }
        const TwipsBox& box = control.box;
        EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.left + box.width <= outer.width &&
                    box.top + box.height <= outer.height);
        if (control.tabIndex >= 0) {
            EXPECT_TRUE(stops.insert(control.tabIndex).second)
                << "tab index " << control.tabIndex << " twice";
        }
    }
    // Tab indexes run 0, 1, 2, ... as the platforms number them.
    EXPECT_TRUE(stops.empty() ||
                (*stops.begin() == 0 && *stops.rbegin() == static_cast<int>(stops.size()) - 1));
    EXPECT_EQ(form.tabOrder().size(), stops.size());
}

TEST(FormDesigns, EveryControlIsNamedOnceFitsWhatHoldsItAndHasItsOwnTabStop)
{
    for (const FormDesign* form :
         {&FrmConfDesign(), &FrmFileDesign(), &FrmExeDesign(), &FrmAboutDesign(), &FrmStartDesign()}) {
        checkDesign(*form);
    }
    // The settings dialog's focus starts past the disabled Apply, on Cancel.
    const auto order = FrmConfDesign().tabOrder();
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], "cmdApply");
    EXPECT_FALSE(FrmConfDesign().control(order[0]).enabled);
    EXPECT_EQ(order[1], "cmdCancel");
    EXPECT_THROW(FrmConfDesign().control("nothing"), std::out_of_range);
}

using fake::FakeFolderReader;
using fake::FakePickerView;
using fake::FakeTextField;

// A Linux-like machine: the process runs in /home/user on the root file
// system, whose root holds a copy of the reader; /data is a second file
// system; /media/usb is a drive that cannot be read.
class PickerTest : public testing::Test {
protected:
    PickerTest()
    {
        folders.addDrive("/");
        folders.addDrive("/media/usb");
        folders.addDrive("/data");
        folders.setCurrentFolder("/home/user");
        folders.addFolder("/", {"kumoden-print"});
        folders.addFolder("/home/user", {"notes.txt"});
        folders.addFolder("/opt/kumoden", {"kumoden", "kumoden-print", "kumoden-print.ini"});
        folders.addFolder("/data", {"kumoden-print"});
    }

    // Shows a picker on the view, the user acting as the script says.
    void runExe(std::function<void()> actions) { runExe(folders, "kumoden-print", std::move(actions)); }
    void runExe(FakeFolderReader& disk, const char* reader, std::function<void()> actions)
    {
        FrmExe frmExe(view, disk, messages, reader);
        run(frmExe, std::move(actions));
    }
    void runFile(std::function<void()> actions)
    {
        FrmFile frmFile(view, folders, messages);
        run(frmFile, std::move(actions));
    }
    template <typename Picker> void run(Picker& picker, std::function<void()> actions)
    {
        picker.objRetField = &field;
        view.whileShown = std::move(actions);
        picker.Show();
    }

    void expectUntouched() const
    {
        EXPECT_TRUE(field.writes().empty());
        EXPECT_EQ(field.changes(), 0);
        EXPECT_EQ(field.text(), "old");
    }

    FakeFolderReader folders;
    FakePickerView view;
    fake::FakeMessageDialog messages;
    FakeTextField field{"old"};
};

TEST_F(PickerTest, ProgramPickerAsksForAFileWhenNoneIsChosen)
{
    runExe([&] {
        // The reader is listed but not chosen.
        view.openEntry("/opt/kumoden");
        ASSERT_EQ(view.fileList(), std::vector<std::string>{"kumoden-print"});
        view.clickExec();
        EXPECT_FALSE(view.unloaded());
        // A folder without the reader: an empty list, the same answer.
        view.openEntry("/home/user");
        EXPECT_TRUE(view.fileList().empty());
        view.clickExec();
        EXPECT_FALSE(view.unloaded());
        EXPECT_EQ(view.dirPath(), "/home/user");
        view.openEntry("/");
        view.chooseFile("kumoden-print");
        view.clickExec();
    });
    ASSERT_EQ(messages.shown().size(), 2u);
    for (const auto& shown : messages.shown()) {
        EXPECT_EQ(shown.text, "実行ファイルを選択して下さい。");
        EXPECT_EQ(shown.title, "Acrobat Reader 指定");
        EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    }
    // Still usable afterwards: the program in a root comes back.
    EXPECT_EQ(field.writes(), std::vector<std::string>{"//kumoden-print"});
}

TEST_F(PickerTest, ProgramPickerHandsBackFolderSeparatorAndNameAsListed)
{
    runExe([&] {
        view.openEntry("/opt/kumoden");
        view.chooseFile("kumoden-print");
        view.clickExec();
    });
    EXPECT_EQ(field.writes(), std::vector<std::string>{"/opt/kumoden/kumoden-print"});
    EXPECT_EQ(field.changes(), 1);
    EXPECT_FALSE(view.closedByUser());
    EXPECT_TRUE(messages.shown().empty());

    FakeFolderReader disk('\\');
    disk.addDrive("C:\\");
    disk.setCurrentFolder("C:\\Users\\me");
    disk.addFolder("C:\\", {"AcroRd32.exe"});
    disk.addFolder("C:\\Users\\me");
    disk.addFolder("C:\\Program Files\\Reader", {"AcroRd32.exe"});
    const auto pick = [&](const std::string& folder) {
        runExe(disk, "acrord32.exe", [&] {
            view.openEntry(folder);
            view.chooseFile("AcroRd32.exe");
            view.clickExec();
        });
        return field.text();
    };
    EXPECT_EQ(pick("C:\\Program Files\\Reader"), "C:\\Program Files\\Reader\\AcroRd32.exe");
    EXPECT_EQ(pick("C:\\"), "C:\\\\AcroRd32.exe"); // in the drive's root the separator comes twice
}

TEST_F(PickerTest, FolderPickerHandsBackTheOpenedFolder)
{
    // Select at once: the platform's current drive and folder.
    runFile([&] {
        EXPECT_EQ(view.drive(), "/");
        view.clickExec();
    });
    EXPECT_EQ(field.writes(), std::vector<std::string>{"/home/user"});
    EXPECT_FALSE(view.closedByUser());
    // A root keeps its separator.
    runFile([&] {
        view.openEntry("/");
        view.clickExec();
    });
    EXPECT_EQ(field.writes(), (std::vector<std::string>{"/home/user", "/"}));
    EXPECT_TRUE(messages.shown().empty());

    // An unreadable current folder: the drive's root.
    folders.makeUnreadable("/home/user");
    runFile([&] { view.clickExec(); });
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_NE(messages.shown()[0].text.find("/home/user"), std::string::npos);
    EXPECT_EQ(field.writes().back(), "/");
    EXPECT_EQ(field.writes().size(), 3u);
}

TEST_F(PickerTest, CancelAndCloseHandNothingBack)
{
    runExe([&] {
        view.openEntry("/opt/kumoden");
        view.chooseFile("kumoden-print");
        view.clickCancel();
    });
    expectUntouched();
    EXPECT_FALSE(view.closedByUser());
    runFile([&] { view.openEntry("/"); });
    expectUntouched();
    EXPECT_TRUE(view.closedByUser());
}

TEST_F(PickerTest, ListsFollowAReadableDriveAndStayWhereTheyWereForAnUnreadableDriveOrFolder)
{
    runExe([&] {
        EXPECT_EQ(view.drives(), (std::vector<std::string>{"/", "/data", "/media/usb"}));
        EXPECT_TRUE(view.fileList().empty());
        view.openEntry("/opt/kumoden");
        view.chooseFile("kumoden-print");

        view.chooseDrive("/media/usb");
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_NE(messages.shown()[0].text.find("/media/usb"), std::string::npos);
        EXPECT_EQ(view.drive(), "/");
        EXPECT_EQ(view.dirPath(), "/opt/kumoden");
        EXPECT_EQ(view.fileName(), "kumoden-print");

        view.openEntry("/root");
        ASSERT_EQ(messages.shown().size(), 2u);
        EXPECT_NE(messages.shown()[1].text.find("/root"), std::string::npos);
        EXPECT_EQ(view.dirPath(), "/opt/kumoden");
        EXPECT_FALSE(view.unloaded());

        view.chooseDrive("/data");
        EXPECT_EQ(view.dirPath(), "/data");
        EXPECT_EQ(view.fileList(), std::vector<std::string>{"kumoden-print"});
        // The file chosen on the other drive is gone with its list.
        EXPECT_EQ(view.fileName(), "");
        // Still usable: the same drive can be tried again once it is ready.
        folders.addFolder("/media/usb", {"kumoden-print"});
        view.chooseDrive("/media/usb");
        EXPECT_EQ(view.dirPath(), "/media/usb");
        view.chooseFile("kumoden-print");
        view.clickExec();
    });
    for (const auto& shown : messages.shown()) {
        EXPECT_EQ(shown.title, "PDF File");
        EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    }
    runFile([&] {
        view.chooseDrive("/data");
        view.clickExec();
    });
    EXPECT_EQ(field.writes(), (std::vector<std::string>{"/media/usb/kumoden-print", "/data"}));
}

// The lists as worked out for either platform, on a Windows-like disk.
class FolderModelTest : public testing::Test {
protected:
    FolderModelTest()
    {
        disk.addDrive("E:\\");
        disk.addDrive("C:\\");
        disk.addDrive("C:\\work"); // a volume mounted in a folder
        disk.addDrive("C:\\");
        disk.setCurrentFolder("C:\\work\\in");
        disk.addFolder("C:\\Users\\me", {"b.txt", "ACRORD32.EXE", "AcroRd32.exe.lnk", "acrord32.exe"});
        disk.addFolder("C:\\Users\\me\\zeta");
        disk.addFolder("C:\\Users\\me\\Alpha");
        disk.addFolder("C:\\Users\\me\\alpha");
        disk.addFolder("C:\\Users\\me\\Ｂｅｔａ");
        disk.addFolder("C:\\Users\\me\\ａｌｐｈａ２");
    }

    fake::FakeFolderReader disk{'\\'};
    FolderModel model{disk};
};

TEST_F(FolderModelTest, DrivesAreListedOnceInOrderAndHoldWhatLiesBelowThem)
{
    const auto drives = model.drives();
    EXPECT_EQ(drives, (std::vector<std::string>{"C:\\", "C:\\work", "E:\\"}));
    EXPECT_EQ(model.currentDrive(drives), "C:\\work");
    EXPECT_EQ(model.driveOf("c:\\Temp", drives), "C:\\");
    EXPECT_EQ(model.driveOf("C:\\WORK\\in", drives), "C:\\work");
    EXPECT_EQ(model.driveOf("C:\\work", drives), "C:\\work");
    // A namesake beside a mounted folder is not on it.
    EXPECT_EQ(model.driveOf("C:\\workshop", drives), "C:\\");
    // A folder on no listed drive: its own root.
    EXPECT_EQ(model.driveOf("Z:\\x", drives), "Z:\\");

    // A drive opens at the folder the system keeps for it, else at the
    // current folder when that lies on it, else at its root.
    disk.keepFolder("E:\\", "E:\\photos");
    EXPECT_EQ(model.driveFolder("E:\\", drives), "E:\\photos");
    EXPECT_EQ(model.driveFolder("C:\\work", drives), "C:\\work\\in");
    EXPECT_EQ(model.driveFolder("C:\\", drives), "C:\\");
}

TEST_F(FolderModelTest, AFolderShowsItsChainThenItsSubFoldersInReadingOrder)
{
    const auto folder = model.open("C:\\Users\\me\\");
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(folder->path, "C:\\Users\\me");
    EXPECT_EQ(folder->opened, 2u);
    const std::vector<FolderEntry> expected{
        {"C:\\", "C:\\", 0},
        {"Users", "C:\\Users", 1},
        {"me", "C:\\Users\\me", 2},
        // Letter case aside (full-width letters too), then as written.
        {"Alpha", "C:\\Users\\me\\Alpha", 3},
        {"alpha", "C:\\Users\\me\\alpha", 3},
        {"zeta", "C:\\Users\\me\\zeta", 3},
        {"ａｌｐｈａ２", "C:\\Users\\me\\ａｌｐｈａ２", 3},
        {"Ｂｅｔａ", "C:\\Users\\me\\Ｂｅｔａ", 3},
    };
    EXPECT_EQ(folder->entries, expected);

    // A root is its own chain.
    disk.addFolder("E:\\");
    const auto root = model.open("E:\\");
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->entries, (std::vector<FolderEntry>{{"E:\\", "E:\\", 0}}));
    EXPECT_EQ(root->opened, 0u);

    EXPECT_FALSE(model.open("C:\\gone").has_value());
    EXPECT_FALSE(model.open("relative\\path").has_value());
}

TEST_F(FolderModelTest, TheFileListHoldsTheReaderByNameLetterCaseAside)
{
    EXPECT_EQ(model.filesNamed("C:\\Users\\me", "AcroRd32.exe"),
              (std::vector<std::string>{"ACRORD32.EXE", "acrord32.exe"}));
    EXPECT_TRUE(model.filesNamed("C:\\gone", "AcroRd32.exe").empty());
}

} // namespace
} // namespace kumoden::test
