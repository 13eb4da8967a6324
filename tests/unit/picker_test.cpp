#include "platform/fake/fake_picker_view.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_text_field.h"
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

using fake::FakePickerView;
using fake::FakeTextField;

// A Linux-like machine: the process runs in /home/user on the root file
// system, whose root holds a copy of the reader; /data is a second file
// system; /media/usb is a drive that cannot be read.
class PickerTest : public testing::Test {
protected:
    PickerTest()
    {
        view.addDrive("/", "/", "/home/user");
        view.addDrive("/data", "/data", "/data");
        view.addDrive("/media/usb", "/media/usb", "/media/usb");
        view.setCurrentDrive("/");
        view.addFolder("/", {"kumoden-print"});
        view.addFolder("/home/user", {"notes.txt"});
        view.addFolder("/opt/kumoden", {"kumoden", "kumoden-print", "kumoden-print.ini"});
        view.addFolder("/data", {"kumoden-print"});
    }

    // Shows a picker on the view, the user acting as the script says.
    void runExe(std::function<void()> actions)
    {
        FrmExe frmExe(view, messages, "kumoden-print", '/');
        run(frmExe, std::move(actions));
    }
    void runFile(std::function<void()> actions)
    {
        FrmFile frmFile(view, messages);
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
        EXPECT_EQ(view.filePath(), "/home/user");
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

TEST_F(PickerTest, ProgramPickerHandsBackFolderSeparatorAndName)
{
    runExe([&] {
        view.openEntry("/opt/kumoden");
        view.chooseFile("kumoden-print");
        view.clickExec();
    });
    EXPECT_EQ(field.writes(), std::vector<std::string>{"/opt/kumoden/kumoden-print"});
    EXPECT_EQ(field.changes(), 1);
    EXPECT_TRUE(view.unloaded());
    EXPECT_FALSE(view.closedByUser());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PickerTest, ProgramPickerWithWindowsPathsKeepsTheNameAsListed)
{
    FakePickerView windows;
    windows.addDrive("c:", "C:\\", "C:\\Users\\me");
    windows.setCurrentDrive("c:");
    windows.addFolder("C:\\", {"AcroRd32.exe"});
    windows.addFolder("C:\\Users\\me");
    windows.addFolder("C:\\Program Files\\Reader", {"AcroRd32.exe"});
    FrmExe picker(windows, messages, "acrord32.exe", '\\');
    picker.objRetField = &field;
    windows.whileShown = [&] {
        windows.openEntry("C:\\Program Files\\Reader");
        windows.chooseFile("AcroRd32.exe");
        windows.clickExec();
    };
    picker.Show();
    EXPECT_EQ(field.text(), "C:\\Program Files\\Reader\\AcroRd32.exe");

    // In the drive's root the separator comes twice.
    FrmExe again(windows, messages, "acrord32.exe", '\\');
    again.objRetField = &field;
    windows.whileShown = [&] {
        windows.openEntry("C:\\");
        windows.chooseFile("AcroRd32.exe");
        windows.clickExec();
    };
    again.Show();
    EXPECT_EQ(field.text(), "C:\\\\AcroRd32.exe");
}

TEST_F(PickerTest, FolderPickerHandsBackTheOpenedFolder)
{
    // Select at once: the platform's current drive and folder.
    runFile([&] {
        EXPECT_EQ(view.drive(), "/");
        view.clickExec();
    });
    EXPECT_EQ(field.writes(), std::vector<std::string>{"/home/user"});
    EXPECT_TRUE(view.unloaded());

    // A root keeps its separator.
    FakePickerView second;
    second.addDrive("/", "/", "/home/user");
    second.setCurrentDrive("/");
    second.addFolder("/");
    second.addFolder("/home/user");
    FrmFile picker(second, messages);
    picker.objRetField = &field;
    second.whileShown = [&] {
        second.openEntry("/");
        second.clickExec();
    };
    picker.Show();
    EXPECT_EQ(field.writes(), (std::vector<std::string>{"/home/user", "/"}));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PickerTest, CancelAndCloseHandNothingBack)
{
    runExe([&] {
        view.openEntry("/opt/kumoden");
        view.chooseFile("kumoden-print");
        view.clickCancel();
    });
    expectUntouched();
    EXPECT_TRUE(view.unloaded());
    EXPECT_FALSE(view.closedByUser());

    FakePickerView closed;
    closed.addDrive("/", "/", "/");
    closed.setCurrentDrive("/");
    closed.addFolder("/");
    FrmFile picker(closed, messages);
    picker.objRetField = &field;
    closed.whileShown = [&] { closed.openEntry("/"); };
    picker.Show();
    expectUntouched();
    EXPECT_TRUE(closed.closedByUser());
}

TEST_F(PickerTest, ListsFollowANewDrive)
{
    runExe([&] {
        EXPECT_EQ(view.filePattern(), "kumoden-print");
        EXPECT_EQ(view.filePath(), "/home/user");
        view.openEntry("/opt/kumoden");
        view.chooseFile("kumoden-print");
        view.chooseDrive("/data");
        EXPECT_EQ(view.dirPath(), "/data");
        EXPECT_EQ(view.filePath(), "/data");
        // The file chosen on the other drive is gone with its list.
        EXPECT_EQ(view.fileName(), "");
        view.clickCancel();
    });
    runFile([&] {
        view.chooseDrive("/data");
        view.clickExec();
    });
    EXPECT_EQ(field.writes(), std::vector<std::string>{"/data"});
}

TEST_F(PickerTest, UnreadableDriveOrFolderLeavesTheListsWhereTheyWere)
{
    runExe([&] {
        view.openEntry("/opt/kumoden");
        view.chooseFile("kumoden-print");

        view.chooseDrive("/media/usb");
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_NE(messages.shown()[0].text.find("/media/usb"), std::string::npos);
        EXPECT_EQ(view.drive(), "/");
        EXPECT_EQ(view.dirPath(), "/opt/kumoden");
        EXPECT_EQ(view.filePath(), "/opt/kumoden");
        EXPECT_EQ(view.fileName(), "kumoden-print");

        view.openEntry("/root");
        ASSERT_EQ(messages.shown().size(), 2u);
        EXPECT_NE(messages.shown()[1].text.find("/root"), std::string::npos);
        EXPECT_EQ(view.dirPath(), "/opt/kumoden");
        EXPECT_FALSE(view.unloaded());

        // Still usable: the same drive can be tried again once it is ready.
        view.addFolder("/media/usb", {"kumoden-print"});
        view.chooseDrive("/data");
        view.chooseDrive("/media/usb");
        EXPECT_EQ(view.dirPath(), "/media/usb");
        view.chooseFile("kumoden-print");
        view.clickExec();
    });
    for (const auto& shown : messages.shown()) {
        EXPECT_EQ(shown.title, "PDF File");
        EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(field.writes(), std::vector<std::string>{"/media/usb/kumoden-print"});
}

TEST_F(PickerTest, UnreadableCurrentFolderStartsAtTheDriveRoot)
{
    view.makeUnreadable("/home/user");
    runFile([&] { view.clickExec(); });
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_NE(messages.shown()[0].text.find("/home/user"), std::string::npos);
    EXPECT_EQ(field.writes(), std::vector<std::string>{"/"});
}

} // namespace
} // namespace kumoden
