#include "platform/linux/systemd/journal_log.h"
#include "tests/fakes/fake_services.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kumoden::test {
namespace {

std::string streamOf(int fd)
{
    struct stat status {};
    EXPECT_EQ(fstat(fd, &status), 0);
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

TEST(JournalStream, OnlyTheStreamNamedIsTheJournals)
{
    TempDir dir;
    const int stream = open((dir.path() / "stream").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const int other = open((dir.path() / "other").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const std::string named = streamOf(stream);
    EXPECT_TRUE(IsJournalStream(named.c_str(), stream));
    EXPECT_FALSE(IsJournalStream(named.c_str(), other)) << "handed on to another file";
    for (const std::string& bad :
         {std::string(), named + "x", named.substr(0, named.find(':')), std::string("a:b")}) {
        EXPECT_FALSE(IsJournalStream(bad.c_str(), stream)) << bad;
    }
    EXPECT_FALSE(IsJournalStream(nullptr, stream));
    close(stream);
    close(other);
}

TEST(JournalStream, EachLineBearsItsLevelAndTheFileLogGetsTheLineAsItIs)
{
    EXPECT_EQ(JournalLines("2026-12-09 10:00:00 印刷されていません: a.pdf", LogLevel::error),
              "<3>2026-12-09 10:00:00 印刷されていません: a.pdf\n");
    // A text of several lines stays at its level on each of them.
    EXPECT_EQ(JournalLines("one\ntwo", LogLevel::warning), "<4>one\n<4>two\n");
    EXPECT_EQ(JournalLines("done", LogLevel::info), "<6>done\n");

    TempDir dir;
    const int stream = open((dir.path() / "journal").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    fake::FakeEventLog file;
    JournalEventLog log(file, stream);
    log.append("failed", LogLevel::error);
    log.append("moved", LogLevel::info);
    close(stream);
    EXPECT_EQ(readFile(dir.path() / "journal"), "<3>failed\n<6>moved\n");
    EXPECT_EQ(file.lines, (std::vector<std::string>{"failed", "moved"}));
    EXPECT_EQ(file.levels, (std::vector<LogLevel>{LogLevel::error, LogLevel::info}));
}

} // namespace
} // namespace kumoden::test
