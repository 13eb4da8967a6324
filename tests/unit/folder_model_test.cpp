// The pickers' drive, folder and file lists, worked out from what the
// platform's folder reader answers.
#include "settings_ui/folder_model.h"
#include "tests/fakes/fake_folder_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kumoden::test {
namespace {

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
