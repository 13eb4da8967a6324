#include "platform/fake/fake_folder_reader.h"
#include "platform/fake/fake_picker_view.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_text_field.h"
#include "settings_ui/folder_model.h"
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

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
} // namespace kumoden
