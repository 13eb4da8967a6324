// The folder picker: the folder it hands back, and what Cancel and a close
// hand back from either picker.
#include "tests/unit/picker_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kumoden::test {
namespace {

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

} // namespace
} // namespace kumoden::test
