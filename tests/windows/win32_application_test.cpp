// The Windows program's facts about itself: its path, where a user's
// settings go, which folders it may write in, and one instance per INI.
#include "platform/win32/win32_application.h"
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <tuple>

namespace kumoden {
namespace {

using test::TempDir;
using test::utf8;

TEST(Win32ApplicationTest, SplitsTheProgramPath)
{
    for (const auto& [program, folder, name] :
         {std::tuple{"C:\\Program Files\\Kumoden\\kumoden.exe", "C:\\Program Files\\Kumoden", "kumoden"},
          std::tuple{"C:\\kumoden.exe", "C:\\", "kumoden"},
          std::tuple{"D:\\ツール\\印刷.v2.EXE", "D:\\ツール", "印刷.v2"}}) {
        const Win32Application app(program);
        EXPECT_EQ(app.path(), folder);
        EXPECT_EQ(app.exeName(), name);
    }
    const Win32Application self;
    EXPECT_EQ(self.path(), utf8(test::builtProgram("win32_application_test").parent_path()));
    EXPECT_EQ(self.exeName(), "win32_application_test");
}

TEST(Win32ApplicationTest, TheUsersSettingsAreInRoamingAppData)
{
    wchar_t appData[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH), 0u);
    EXPECT_EQ(Win32Application().userSettingsFolder(), utf8(appData) + "\\Kumoden");
}

TEST(Win32ApplicationTest, AFolderIsWritableWhenAFileCanBeMadeInIt)
{
    const TempDir dir;
    const Win32Application app;
    EXPECT_TRUE(app.folderWritable(utf8(dir.path())));
    EXPECT_TRUE(app.folderWritable(utf8(dir.path()) + "\\"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())); // the trial file is gone
    EXPECT_FALSE(app.folderWritable(utf8(dir.path() / "missing")));
    EXPECT_FALSE(app.folderWritable(""));
}

TEST(Win32ApplicationTest, OneInstancePerIniWhateverTheLetterCase)
{
    const std::string name = "kumoden-test-" + std::to_string(GetCurrentProcessId());
    Win32Application first;
    Win32Application second;
    Win32Application other;
    EXPECT_FALSE(first.prevInstance("C:\\Tools\\" + name + ".INI"));
    EXPECT_TRUE(second.prevInstance("c:\\tools\\" + name + ".ini"));
    EXPECT_FALSE(other.prevInstance("C:\\Tools\\other-" + name + ".INI"));
}

} // namespace
} // namespace kumoden
