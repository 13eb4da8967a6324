#include "platform/log/file_event_log.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(FileEventLog, MakesAMissingFolderAndAnUnwritableLogIsNoFailure)
{
    TempDir dir;
    // The user's settings folder before the first save.
    FileEventLog log(dir.slash() + "config/kumoden/kumoden.log");
    log.append("kept");
    EXPECT_EQ(readFile(dir.path() / "config" / "kumoden" / "kumoden.log"), "kept\n");

    dir.write("file", "");
    FileEventLog lost(dir.slash() + "file/kumoden.log");
    lost.append("lost");
    EXPECT_EQ(readFile(dir.path() / "file"), "");
}

} // namespace
} // namespace kumoden::test
