#include "platform/profile/profile_store.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/profile_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace kumoden {
namespace {

namespace fs = std::filesystem;
using test::readFile;

// The portable store beyond the shared rules: its encodings, its files,
// and input it refuses rather than corrupt.
class PortableStoreTest : public test::ProfileFixture {
protected:
    PortableStoreTest() : ProfileFixture(std::make_unique<ProfileStore>()) {}
};

TEST_F(PortableStoreTest, APipeIsNotWaitedOn)
{
    // A pipe must not make the read wait for a writer.
    const std::string fifo = m_dir.slash() + "pipe.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(m_store.readString("s", "k", fifo, 1024), "");
}

TEST_F(PortableStoreTest, CapacityCutsUtf8AtCharacterBoundaries)
{
    const std::string ini = "[s]\njp=\xE3\x81\x82\xE3\x81\x82\n"; // ああ
    EXPECT_EQ(read(ini, "s", "jp", 6), "\xE3\x81\x82");
    EXPECT_EQ(read(ini, "s", "jp", 7), "\xE3\x81\x82\xE3\x81\x82");
}

TEST_F(PortableStoreTest, ANewFileIsUtf8WithTheSystemsLineEnds)
{
    ASSERT_TRUE(m_store.writeString("New", "Key", "値", m_dir.slash() + "new.ini"));
    EXPECT_EQ(readFile(m_dir.path() / "new.ini"), "[New]\nKey=値\n");
    EXPECT_EQ(m_store.readString("new", "key", m_dir.slash() + "new.ini", 1024), "値");
}

TEST_F(PortableStoreTest, ACharacterCp932CannotHoldIsRefused)
{
    const std::string before = "[\x90\xDD\x92\xE8]\r\nOld=\x82\xA0\r\n";
    m_dir.write("a.ini", before);
    EXPECT_FALSE(m_store.writeString("設定", "Old", "\xF0\x9F\x98\x80", path())); // not in CP932
    EXPECT_EQ(readFile(path()), before);
}

TEST_F(PortableStoreTest, AWriteThatWouldTurnCp932IntoUtf8IsRefused)
{
    // ﾃｽ (0xC3 0xBD) is also UTF-8; あ (0x82 0xA0) alone makes the file CP932.
    const std::string before = "[s]\nk=\x82\xA0\nkana=\xC3\xBD\n";
    m_dir.write("a.ini", before);
    EXPECT_FALSE(m_store.writeString("s", "k", "plain", path()));
    EXPECT_EQ(readFile(path()), before);
    EXPECT_EQ(m_store.readString("s", "kana", path(), 1024), "ﾃｽ");

    // A value whose CP932 bytes are UTF-8 would read back as other characters.
    m_dir.write("a.ini", "[s]\nk=\x82\xA0\n");
    EXPECT_FALSE(m_store.writeString("s", "k", "ﾃｽ", path()));
    EXPECT_EQ(m_store.readString("s", "k", path(), 1024), "あ");

    // A file left plain ASCII (a byte order mark aside) reads the same either way.
    m_dir.write("a.ini", "\xEF\xBB\xBF[s]\r\nk=\x82\xA0\r\n");
    ASSERT_TRUE(m_store.writeString("s", "k", "plain", path()));
    EXPECT_EQ(readFile(path()), "\xEF\xBB\xBF[s]\r\nk=plain\r\n");
}

TEST_F(PortableStoreTest, ACp932FileFindsANameByItsBestFit)
{
    // As Windows wrote it: a yen sign in a name is the byte 5C.
    const std::string before = "[s]\r\nC:\\=\x82\xA0\r\n";
    m_dir.write("a.ini", before);
    EXPECT_EQ(m_store.readString("s", "C:¥", path(), 1024), "あ");
    // Written, such a name could be lost once the file reads as UTF-8.
    EXPECT_FALSE(m_store.writeString("s", "C:¥", "x", path()));
    EXPECT_EQ(readFile(path()), before);
    ASSERT_TRUE(m_store.writeString("s", "C:\\", "い", path()));
    EXPECT_EQ(readFile(path()), "[s]\r\nC:\\=\x82\xA2\r\n");
}

TEST_F(PortableStoreTest, ReplacingKeepsEveryOtherByte)
{
    m_dir.write("a.ini", "; head\r\n[Other]\r\nPath=x\r\n\r\n  [Main] \r\n"
                         "  PATH = \"old\" \r\nPath=second\r\n[main]\r\nPath=third");
    ASSERT_TRUE(m_store.writeString("main", "path", "new", path()));
    EXPECT_EQ(readFile(path()), "; head\r\n[Other]\r\nPath=x\r\n\r\n  [Main] \r\n"
                                "  PATH =new\r\nPath=second\r\n[main]\r\nPath=third");
    ASSERT_TRUE(m_store.writeString("Main", "Path", "", path()));
    EXPECT_EQ(readFile(path()), "; head\r\n[Other]\r\nPath=x\r\n\r\n  [Main] \r\n"
                                "  PATH =\r\nPath=second\r\n[main]\r\nPath=third");
}

TEST_F(PortableStoreTest, AddsKeysAndSectionsInTheFileStyle)
{
    m_dir.write("a.ini", "[a]\nx=1\n\n[b]\ny=2");
    ASSERT_TRUE(m_store.writeString("A", "z", "3", path()));
    ASSERT_TRUE(m_store.writeString("b", "w", "4", path()));
    ASSERT_TRUE(m_store.writeString("c", "v", "5", path()));
    EXPECT_EQ(readFile(path()), "[a]\nx=1\nz=3\n\n[b]\ny=2\nw=4\n[c]\nv=5\n");

    m_dir.write("a.ini", "\xEF\xBB\xBF;c\r\n[a]\r\nx=1");
    ASSERT_TRUE(m_store.writeString("b", "y", "2", path()));
    ASSERT_TRUE(m_store.writeString("b", "z", "3", path()));
    EXPECT_EQ(readFile(path()), "\xEF\xBB\xBF;c\r\n[a]\r\nx=1\r\n[b]\r\ny=2\r\nz=3\r\n");
}

TEST_F(PortableStoreTest, ReadsBrokenCp932AsReplacementCharacters)
{
    const std::string ini = "[s]\r\nk=\x82\xA0\r\nBroken=a\x80\x82\r\n";
    EXPECT_EQ(read(ini, "s", "broken"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(PortableStoreTest, AKeyWithoutEqualsSignGetsOne)
{
    m_dir.write("a.ini", "[s]\nFlag\nk=1\n");
    ASSERT_TRUE(m_store.writeString("s", "flag", "on", path()));
    EXPECT_EQ(readFile(path()), "[s]\nFlag=on\nk=1\n");
}

TEST_F(PortableStoreTest, KeepsNulAndSurvivesGarbage)
{
    EXPECT_EQ(read(std::string("[s]\nk=a\0b\n", 10), "s", "k"), std::string("a\0b", 3));

    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::string garbage(64 * 1024, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(random());
        }
        garbage.insert(garbage.size() / 2, "\n[s]\nk=");
        const std::string value = read(garbage, "s", "k");
        EXPECT_LE(value.size(), 1023u * 3);
    }
}

TEST_F(PortableStoreTest, HandlesMegabyteValues)
{
    const std::string big(1 << 20, 'v');
    EXPECT_EQ(read("[s]\nk=" + big + "\n", "s", "k", big.size() + 1), big);
    EXPECT_EQ(read("[s]\nk=" + big, "s", "k").size(), 1023u);

    std::string cp932Big;
    for (int i = 0; i < (1 << 19); ++i) {
        cp932Big += "\x82\xA0"; // あ
    }
    EXPECT_EQ(read("[s]\nk=" + cp932Big, "s", "k", cp932Big.size() + 1).size(), cp932Big.size() / 2 * 3);
    ASSERT_TRUE(m_store.writeString("s", "k", "short", path()));
    EXPECT_EQ(readFile(path()), "[s]\nk=short");
}

TEST_F(PortableStoreTest, FailedWriteLeavesEverythingAsItWas)
{
    const std::string before = "[s]\nk=1\n";
    m_dir.write("a.ini", before);
    EXPECT_FALSE(m_store.writeString("s", "k", "2", path() + "/below-a-file.ini"));
    EXPECT_FALSE(m_store.writeString("s", "k", "2", path() + "/missing/below-a-file.ini"));
    EXPECT_FALSE(m_store.writeString("s", "k", "2", m_dir.slash())); // a folder
    // Input that would not read back as written.
    EXPECT_FALSE(m_store.writeString("s", "k", "2\n[t]", path()));
    EXPECT_FALSE(m_store.writeString("s", "k=j", "2", path()));
    EXPECT_FALSE(m_store.writeString("s", ";k", "2", path()));
    EXPECT_FALSE(m_store.writeString("s]", "k", "2", path()));
    EXPECT_FALSE(m_store.writeString("s", "", "2", path()));
    EXPECT_FALSE(m_store.writeString("s", "k", "\xE3\x81", path())); // would turn the file into CP932
    EXPECT_FALSE(m_store.writeString("s", "k", std::string("a\0b", 3), path()));
    // Read-only means no owner-write bit, for root too.
    fs::permissions(path(), fs::perms::owner_read | fs::perms::group_write | fs::perms::others_write);
    EXPECT_FALSE(m_store.writeString("s", "k", "2", path()));
    EXPECT_EQ(readFile(path()), before);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"a.ini"});
}

TEST_F(PortableStoreTest, FoldersMadeForANewFileAreTheUsersAlone)
{
    ASSERT_TRUE(m_store.writeString("s", "k", "1", m_dir.slash() + "config/kumoden/a.ini"));
    for (const char* folder : {"config", "config/kumoden"}) {
        EXPECT_EQ(fs::status(m_dir.path() / folder).permissions() & fs::perms::all, fs::perms::owner_all)
            << folder;
    }
}

TEST_F(PortableStoreTest, KeepsPermissionsAndWritesThroughLinks)
{
    m_dir.write("real/a.ini", "[s]\nk=1\n");
    fs::permissions(m_dir.path() / "real/a.ini",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real/a.ini", path());
    ASSERT_TRUE(m_store.writeString("s", "k", "2", path()));
    EXPECT_TRUE(fs::is_symlink(path()));
    EXPECT_EQ(readFile(m_dir.path() / "real/a.ini"), "[s]\nk=2\n");
    EXPECT_EQ(fs::status(m_dir.path() / "real/a.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

} // namespace
} // namespace kumoden
