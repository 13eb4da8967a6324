// What every platform's folder reader must do, on real folders.
#ifdef _WIN32
#include "platform/win32/files/win32_folder_reader.h"
#else
#include "platform/linux/qt/qt_folder_reader.h"
#endif
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace kumoden {
namespace {
namespace fs = std::filesystem;
#ifdef _WIN32
using PlatformFolderReader = Win32FolderReader;
#else
using PlatformFolderReader = QtFolderReader;
#endif

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class FolderReaderTest : public testing::Test {
protected:
    FolderReaderTest() : reader(std::make_unique<PlatformFolderReader>())
    {
        fs::create_directories(dir.path() / "sub" / "deeper");
        fs::create_directory(dir.path() / "Other");
        fs::create_directory(dir.path() / ".hidden-folder");
        test::MakeHidden(dir.path() / ".hidden-folder");
        dir.write("file.exe", "MZ");
        dir.write(fs::path(u8"ファイル.txt"), "");
        test::MakeHidden(dir.write(".hidden-file", ""));
        fs::create_directory(dir.path() / "empty");
        folder = reader->normalFolder(test::utf8(dir.path()));
    }

    std::string child(const std::string& name) const { return folder + reader->separator() + name; }

    test::TempDir dir;
    std::unique_ptr<FolderReader> reader;
    std::string folder;
};

TEST_F(FolderReaderTest, ReadsSubFoldersAndFilesApartWithoutHiddenOnesButNotAFolderGoneOrAFile)
{
    const auto contents = reader->read(folder);
    ASSERT_TRUE(contents.has_value());
    EXPECT_EQ(sorted(contents->folders), (std::vector<std::string>{"Other", "empty", "sub"}));
    EXPECT_EQ(sorted(contents->files), (std::vector<std::string>{"file.exe", "ファイル.txt"}));

    const auto empty = reader->read(child("empty"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->folders.empty());
    EXPECT_TRUE(empty->files.empty());
    EXPECT_FALSE(reader->read(child("missing")).has_value());
    EXPECT_FALSE(reader->read(child("file.exe")).has_value());
}

TEST_F(FolderReaderTest, PathsAreFullAndNormalWithTheRootKeepingItsSeparator)
{
    const char separator = reader->separator();
    EXPECT_EQ(reader->normalFolder(child("sub") + separator), child("sub"));
    EXPECT_EQ(reader->normalFolder(child("sub") + separator + ".." + separator + "Other"), child("Other"));

    const std::string root = reader->rootOf(folder);
    ASSERT_FALSE(root.empty());
    EXPECT_TRUE(root.ends_with(separator));
    EXPECT_TRUE(folder.starts_with(root));
    EXPECT_FALSE(folder.ends_with(separator));
    EXPECT_EQ(reader->normalFolder(root), root);
    EXPECT_EQ(reader->rootOf("relative"), "");
}

TEST_F(FolderReaderTest, TheCurrentFolderLiesOnAReadyDrive)
{
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path() / "sub");
    const std::string here = reader->currentFolder();
    const std::string root = reader->rootOf(here);
    const std::string kept = reader->keptFolder(root);
    fs::current_path(previous);

    EXPECT_EQ(here, child("sub"));
    const auto drives = reader->readyDrives();
    EXPECT_NE(std::find(drives.begin(), drives.end(), root), drives.end());
    // Where the system keeps a current folder per drive, it is this one.
    EXPECT_TRUE(kept.empty() || kept == here) << kept;
}

} // namespace
} // namespace kumoden
