// The program picker: the reader it hands back, and its lists.
#include "tests/unit/picker_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kumoden::test {
namespace {

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

} // namespace
} // namespace kumoden::test
