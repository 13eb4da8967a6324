#include "platform/log/file_event_log.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kumoden::test {
namespace {

TEST(FileEventLog, KeepsLinesUpToItsCapThenStartsAfreshKeepingOneOldFile)
{
    TempDir dir;
    const std::string path = dir.slash() + "kumoden.log";
    FileEventLog log(path, 40);
    log.append("2026-12-07 09:00:00 one"); // 24 bytes with its line end
    log.append("two");                     // 28
    EXPECT_EQ(readFile(path), "2026-12-07 09:00:00 one\ntwo\n");

    log.append("a line that would go past"); // the file starts afresh
    EXPECT_EQ(readFile(path), "a line that would go past\n");
    EXPECT_EQ(readFile(path + ".1"), "2026-12-07 09:00:00 one\ntwo\n");

    log.append("and another one past it"); // the old copy is replaced
    EXPECT_EQ(readFile(path), "and another one past it\n");
    EXPECT_EQ(readFile(path + ".1"), "a line that would go past\n");
}

TEST(FileEventLog, MakesAMissingFolderAndTellsEachOutageOnce)
{
    TempDir dir;
    // The user's settings folder before the first save.
    FileEventLog made(dir.slash() + "config/kumoden/kumoden.log");
    made.append("kept");
    EXPECT_EQ(readFile(dir.path() / "config" / "kumoden" / "kumoden.log"), "kept\n");

    // A file where the log's folder should be: nothing can be written there.
    std::vector<std::string> told;
    const std::string path = dir.slash() + "box/kumoden.log";
    FileEventLog log(path, FileEventLog::kDefaultCap, [&](const std::string& text) { told.push_back(text); });
    dir.write("box", "");
    log.append("lost");
    log.append("lost too");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(path), std::string::npos);
    EXPECT_EQ(readFile(dir.path() / "box"), "");

    std::filesystem::remove(dir.path() / "box");
    log.append("written again");
    EXPECT_EQ(told.size(), 1u);
    std::filesystem::remove_all(dir.path() / "box");
    dir.write("box", "");
    log.append("lost once more");
    EXPECT_EQ(told.size(), 2u);
}

#ifdef __linux__
TEST(FileEventLog, AFullDiskIsTold)
{
    // Linux always has it: a disk with no room left, for every write.
    ASSERT_TRUE(std::filesystem::exists("/dev/full"));
    int told = 0;
    FileEventLog log("/dev/full", FileEventLog::kDefaultCap, [&](const std::string&) { ++told; });
    log.append("no room");
    EXPECT_EQ(told, 1);
}
#endif

} // namespace
} // namespace kumoden::test
