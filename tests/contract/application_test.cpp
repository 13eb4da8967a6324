// The running program's facts about itself on each platform: its folder and
// name, the folders it may write in, and one instance per INI.
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;

const std::string kSeparator(1, static_cast<char>(fs::path::preferred_separator));
// The root of the drive the temporary folder is on: "/", "C:\".
const std::string kRoot = utf8(fs::temp_directory_path().root_path());

TEST(ApplicationContract, IsTheProgramsFolderAndItsNameWithoutTheLastExtension)
{
    const std::string tools = kRoot + "Program Files" + kSeparator + "Kumoden";
    for (const auto& [program, folder, name] :
         {std::tuple{tools + kSeparator + "kumoden.exe", tools, "kumoden"},
          {tools + kSeparator + "kumoden", tools, "kumoden"},
          {kRoot + "kumoden.bin", kRoot, "kumoden"},
          {kRoot + "ツール" + kSeparator + "印刷.v2.EXE", kRoot + "ツール", "印刷.v2"}}) {
        const auto app = MakeApplication(program);
        EXPECT_EQ(app->path(), folder) << program;
        EXPECT_EQ(app->exeName(), name) << program;
    }
    const auto self = MakeApplication();
    EXPECT_EQ(self->exeName(), KUMODEN_TEST_PROGRAM);
    EXPECT_TRUE(fs::is_regular_file(fs::u8path(self->path()) / builtProgram(self->exeName()).filename()));
}

TEST(ApplicationContract, AFolderIsWritableOnlyWhereFilesCanBeMade)
{
    const TempDir dir;
    const auto app = MakeApplication();
    const auto file = dir.write("file", "x");
    EXPECT_TRUE(app->folderWritable(utf8(dir.path())));
    EXPECT_TRUE(app->folderWritable(dir.slash()));
    EXPECT_FALSE(app->folderWritable(utf8(dir.path() / "missing")));
    EXPECT_FALSE(app->folderWritable(utf8(file)));
    EXPECT_FALSE(app->folderWritable(""));
    // Nothing is left of a trial.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ApplicationContract, OneInstancePerIniForAsLongAsTheFirstLives)
{
    const std::string ini = kRoot + "Tools" + kSeparator + "kumoden-contract.INI";
    auto first = MakeApplication();
    EXPECT_FALSE(first->prevInstance(ini));
    // Another program on the same INI is the same instance.
    EXPECT_TRUE(MakeApplication(kRoot + "watcher.exe")->prevInstance(ini));
    EXPECT_FALSE(MakeApplication()->prevInstance(kRoot + "Tools" + kSeparator + "other.INI"));
    first.reset();
    EXPECT_FALSE(MakeApplication()->prevInstance(ini));
}

} // namespace
} // namespace kumoden::test
