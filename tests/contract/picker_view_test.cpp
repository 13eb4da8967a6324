// The pickers' views of each platform, driven by their presenters through
// the keyboard and the mouse, with real folders.
#include "settings_ui/folder_model.h"
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"
#include "tests/contract/picker_driver.h"

namespace kumoden::test {
namespace {

using PickerContract = PickerWindow;

TEST_F(PickerContract, WindowsFollowTheirDesign)
{
    for (const bool program : {true, false}) {
        driver = MakePickerDriver(program);
        const FormDesign& design = program ? FrmExeDesign() : FrmFileDesign();
        EXPECT_EQ(driver->title(), "PDF File");
        EXPECT_EQ(driver->clientSize(),
                  driver->pixels(TwipsBox{0, 0, design.clientWidth, design.clientHeight}));
        for (const ControlDesign& control : design.controls) {
            const std::string_view name = control.name;
            EXPECT_EQ(driver->box(name), driver->pixels(control.box)) << name;
            const Look look = driver->look(name);
            EXPECT_EQ(look.face, kFormFontFace) << name;
            EXPECT_DOUBLE_EQ(look.points, 12) << name;
            EXPECT_EQ(look.bold, control.font.bold) << name;
        }
        EXPECT_EQ(driver->look("cmdExec").caption, "選   択");
        EXPECT_EQ(driver->look("cmdCancel").caption, "キャンセル");
    }
}

TEST_F(PickerContract, TheFolderListShowsAncestorsThenSubFoldersAndOpensByDoubleClickAndEnter)
{
    driver = MakePickerDriver(false);
    FrmFile frmFile(driver->view(), *folders, messages);
    open(frmFile, [&] {
        std::vector<std::string> expected{folders->rootOf(root)};
        for (const auto& part : std::filesystem::path(root).relative_path()) {
            expected.push_back(utf8(part));
        }
        const int depth = static_cast<int>(expected.size());
        expected.insert(expected.end(), {"alpha", "beta", "gamma"});
        EXPECT_EQ(driver->entries("DirList"), expected);
        // The opened folder is the highlighted entry at first.
        EXPECT_EQ(driver->highlighted("DirList"), depth - 1);
        EXPECT_EQ(driver->highlightedFolder(), root);
        const FolderModel model(*folders);
        EXPECT_EQ(driver->view().drive(), model.currentDrive(model.drives()));

        // Highlighting an entry opens nothing.
        driver->clickEntry("DirList", rowOf("DirList", "alpha"));
        EXPECT_EQ(driver->highlighted("DirList"), rowOf("DirList", "alpha"));
        EXPECT_EQ(driver->entries("DirList"), expected);

        driver->doubleClick(rowOf("DirList", "gamma"));
        EXPECT_EQ(driver->highlightedFolder(), at("gamma"));
        EXPECT_EQ(driver->entries("DirList").back(), kPickerNames.reader);
        driver->doubleClick(depth - 1);
        driver->doubleClick(rowOf("DirList", "beta"));
        EXPECT_EQ(driver->highlightedFolder(), at("beta"));
        EXPECT_EQ(driver->entries("DirList").back(), "beta"); // the hidden folder is not listed
        // Enter on the root entry goes all the way up.
        driver->focus("DirList");
        driver->clickEntry("DirList", 0);
        driver->press(Key::Return);
        EXPECT_EQ(driver->highlightedFolder(), folders->rootOf(root));
        EXPECT_EQ(driver->entries("DirList").front(), folders->rootOf(root));
        driver->click("cmdExec");
    });
    EXPECT_EQ(field.writes(), std::vector<std::string>{folders->rootOf(root)});
}

TEST_F(PickerContract, TabOrderNoDefaultOrCancelKeyAndTheFileListShowsOnlyTheReader)
{
    driver = MakePickerDriver(true);
    FrmExe frmExe(dynamic_cast<ProgramPickerView&>(driver->view()), *folders, messages, kPickerNames.reader);
    std::vector<std::string> order;
    open(frmExe, [&] {
        for (int i = 0; i < 6; ++i) {
            order.push_back(driver->focusName());
            driver->press(Key::Tab);
        }
        // On a button Enter presses nothing; Escape closes nothing. The keys
        // reach the window: Tab, pressed the same way, still moves on.
        driver->focus("cmdCancel");
        driver->press(Key::Return);
        driver->focus("cmdExec");
        driver->press(Key::Return);
        driver->press(Key::Escape);
        EXPECT_TRUE(driver->shown());
        EXPECT_TRUE(messages.shown().empty());
        driver->press(Key::Tab);
        EXPECT_EQ(driver->focusName(), "cmdCancel");

        EXPECT_TRUE(driver->entries("filSelect").empty());
        driver->doubleClick(rowOf("DirList", "gamma"));
        EXPECT_TRUE(driver->entries("filSelect").empty()); // a folder of that name is no program
        driver->doubleClick(rowOf("DirList", utf8(std::filesystem::path(root).filename())));
        driver->doubleClick(rowOf("DirList", "beta"));
        EXPECT_EQ(driver->entries("filSelect"), std::vector<std::string>{kPickerNames.readerOnDisk});
        // Listed but not chosen: the picker asks for it and stays.
        driver->click("cmdExec");
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_TRUE(driver->shown());
        driver->clickEntry("filSelect", 0);
        driver->click("cmdExec");
    });
    // Opened again: the close button closes and tells nobody.
    open(frmExe, [&] { driver->closeWindow(); });
    EXPECT_EQ(order,
              (std::vector<std::string>{"Drive", "DirList", "cmdExec", "cmdCancel", "filSelect", "Drive"}));
    EXPECT_EQ(field.writes(),
              std::vector<std::string>{utf8(std::filesystem::path(at("beta")) / kPickerNames.readerOnDisk)});
}

// Folders of the test stand in for drives beside the real one: the lists
// follow the drive list, and a drive that cannot be read sends it back.
TEST_F(PickerContract, ChoosingAnotherDriveMovesTheLists)
{
    const std::string first = folders->rootOf(root);
    const std::string beta = at("beta");
    const std::string missing = at("missing");
    const auto drives = MakeFolderReader({first, beta, missing});
    driver = MakePickerDriver(true);
    FrmExe frmExe(dynamic_cast<ProgramPickerView&>(driver->view()), *drives, messages, kPickerNames.reader);
    open(frmExe, [&] {
        EXPECT_EQ(driver->view().drive(), first);
        EXPECT_EQ(driver->highlightedFolder(), root);
        driver->chooseDrive(beta);
        EXPECT_EQ(driver->view().drive(), beta);
        EXPECT_EQ(driver->highlightedFolder(), beta);
        EXPECT_EQ(driver->entries("filSelect"), std::vector<std::string>{kPickerNames.readerOnDisk});

        driver->chooseDrive(missing);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_NE(messages.shown()[0].text.find(missing), std::string::npos);
        EXPECT_EQ(driver->view().drive(), beta);
        EXPECT_EQ(driver->highlightedFolder(), beta);

        // Back on the first drive: its current folder, where the process is.
        driver->chooseDrive(first);
        EXPECT_EQ(driver->highlightedFolder(), root);
        EXPECT_TRUE(driver->entries("filSelect").empty());
        driver->click("cmdCancel");
    });
    EXPECT_TRUE(field.writes().empty());
}

} // namespace
} // namespace kumoden::test
