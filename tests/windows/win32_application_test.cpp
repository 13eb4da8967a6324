// What only the Windows program has (the rest: ApplicationContract).
#include "platform/win32/system/win32_application.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace kumoden {
namespace {

TEST(Win32ApplicationTest, TheUsersSettingsAreInRoamingAppData)
{
    wchar_t appData[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH), 0u);
    EXPECT_EQ(Win32Application().userSettingsFolder(), test::utf8(appData) + "\\Kumoden");
}

TEST(Win32ApplicationTest, OneInstancePerIniWhateverTheLetterCase)
{
    const std::string name = "kumoden-test-" + std::to_string(GetCurrentProcessId());
    Win32Application first;
    EXPECT_FALSE(first.prevInstance("C:\\Tools\\" + name + ".INI"));
    EXPECT_TRUE(Win32Application().prevInstance("c:\\tools\\" + name + ".ini"));
}

} // namespace
} // namespace kumoden
