#include "platform/linux/profile/profile_store.h"
#include "platform/linux/profile/text_encoding.h"
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

TEST_F(PortableStoreTest, ReadsEachEncodingByteForByteAndNeverWaitsOnAPipe)
{
    const std::string ini = "[s]\njp=\xE3\x81\x82\xE3\x81\x82\n"; // ああ
    EXPECT_EQ(read(ini, "s", "jp", 6), "\xE3\x81\x82");
    EXPECT_EQ(read(ini, "s", "jp", 7), "\xE3\x81\x82\xE3\x81\x82");
    EXPECT_EQ(read(std::string("[s]\nk=a\0b\n", 10), "s", "k"), std::string("a\0b", 3));
    EXPECT_EQ(read("[s]\r\nk=\x82\xA0\r\nBroken=a\x80\x82\r\n", "s", "broken"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
    // As Windows wrote it: a yen sign in a name is the byte 5C.
    EXPECT_EQ(read("[s]\r\nC:\\=\x82\xA0\r\n", "s", "C:¥"), "あ");

    const std::string fifo = m_dir.slash() + "pipe.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(m_store.readString("s", "k", fifo, 1024), "");
}

TEST_F(PortableStoreTest, SurvivesGarbageAndMegabyteValues)
{
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::string garbage(64 * 1024, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(random());
        }
        garbage.insert(garbage.size() / 2, "\n[s]\nk=");
        EXPECT_LE(read(garbage, "s", "k").size(), 1023u * 3);
    }

    const std::string big(1 << 20, 'v');
    EXPECT_EQ(read("[s]\nk=" + big + "\n", "s", "k", big.size() + 1), big);
    EXPECT_EQ(read("[s]\nk=" + big, "s", "k").size(), 1023u);
    std::string cp932Big;
    for (int i = 0; i < (1 << 19); ++i) {
        cp932Big += "\x82\xA0"; // あ
    }
    EXPECT_EQ(read("[s]\nk=" + cp932Big, "s", "k", cp932Big.size() + 1).size(), cp932Big.size() / 2 * 3);
    EXPECT_EQ(rewrite("[s]\nk=" + cp932Big, "s", "k", "short"), "[s]\nk=short");
}

TEST_F(PortableStoreTest, AWriteChangesOnlyItsLineInTheFilesOwnStyle)
{
    const std::string head = "; head\r\n[Other]\r\nPath=x\r\n\r\n  [Main] \r\n";
    const std::string tail = "\r\nPath=second\r\n[main]\r\nPath=third";
    EXPECT_EQ(rewrite(head + "  PATH = \"old\" " + tail, "main", "path", "new"), head + "  PATH =new" + tail);
    EXPECT_EQ(rewrite(head + "  PATH = \"old\" " + tail, "Main", "Path", ""), head + "  PATH =" + tail);
    EXPECT_EQ(rewrite("[s]\nFlag\nk=1\n", "s", "flag", "on"), "[s]\nFlag=on\nk=1\n");
    // A CP932 name and value, and a file left plain ASCII (a byte order
    // mark aside), which reads the same in either encoding.
    EXPECT_EQ(rewrite("[s]\r\nC:\\=\x82\xA0\r\n", "s", "C:\\", "い"), "[s]\r\nC:\\=\x82\xA2\r\n");
    EXPECT_EQ(rewrite("\xEF\xBB\xBF[s]\r\nk=\x82\xA0\r\n", "s", "k", "plain"),
              "\xEF\xBB\xBF[s]\r\nk=plain\r\n");

    // Keys go to the end of their section, new sections to the end of the file.
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

TEST_F(PortableStoreTest, AWriteThatWouldNotReadBackAsWrittenIsRefused)
{
    const std::string cp932 = "[s]\nk=\x82\xA0\n";
    const std::string utf8 = "[s]\nk=1\n";
    const struct {
        std::string before, section, key, value;
    } refused[] = {
        {cp932 + "kana=\xC3\xBD\n", "s", "k", "plain"}, // the file would turn into UTF-8
        {cp932, "s", "k", "ﾃｽ"},                        // its CP932 bytes are UTF-8
        {"[s]\r\nC:\\=\x82\xA0\r\n", "s", "C:¥", "x"},  // a best-fit name, lost once the file is UTF-8
        {utf8, "s", "k", "\xE3\x81"},                   // the file would turn into CP932
        {utf8, "s", "", "2"},
        {utf8, "s", "k", std::string("a\0b", 3)},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(rewrite(c.before, c.section, c.key, c.value), std::nullopt) << c.key << "=" << c.value;
    }
    EXPECT_EQ(folderNames(), std::vector<std::string>{"a.ini"});
}

TEST_F(PortableStoreTest, AFileItCannotWriteIsLeftAsItWas)
{
    const std::string before = "[s]\nk=1\n";
    m_dir.write("a.ini", before);
    EXPECT_FALSE(m_store.writeString("s", "k", "2", m_dir.slash())); // a folder
    // Read-only means no owner-write bit, for root too.
    fs::permissions(path(), fs::perms::owner_read | fs::perms::group_write | fs::perms::others_write);
    EXPECT_FALSE(m_store.writeString("s", "k", "2", path()));
    EXPECT_EQ(readFile(path()), before);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"a.ini"});
}

TEST_F(PortableStoreTest, ANewFileIsUtf8WithTheSystemsLineEndsInFoldersOfTheUsersOwn)
{
    const std::string ini = m_dir.slash() + "config/kumoden/new.ini";
    ASSERT_TRUE(m_store.writeString("New", "Key", "値", ini));
    EXPECT_EQ(readFile(ini), "[New]\nKey=値\n");
    for (const char* folder : {"config", "config/kumoden"}) {
        EXPECT_EQ(fs::status(m_dir.path() / folder).permissions() & fs::perms::all, fs::perms::owner_all)
            << folder;
    }
}

TEST_F(PortableStoreTest, KeepsPermissionsAndWritesThroughLinks)
{
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    m_dir.write("real/a.ini", "[s]\nk=1\n");
    fs::permissions(m_dir.path() / "real/a.ini", mode);
    fs::create_symlink("real/a.ini", path());
    ASSERT_TRUE(m_store.writeString("s", "k", "2", path()));
    EXPECT_TRUE(fs::is_symlink(path()));
    EXPECT_EQ(readFile(m_dir.path() / "real/a.ini"), "[s]\nk=2\n");
    EXPECT_EQ(fs::status(m_dir.path() / "real/a.ini").permissions(), mode);
}

} // namespace

// The encodings the store reads and writes.
namespace profile {
namespace {

TEST(ProfileText, Utf8ValidityIsStrict)
{
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8(std::string("a\0b", 3)));
    EXPECT_TRUE(isValidUtf8("\xE3\x81\x82"));      // あ
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));  // U+1F600
    EXPECT_FALSE(isValidUtf8("\xC0\x80"));         // overlong NUL
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));     // overlong '/'
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE3\x81"));         // cut short
    EXPECT_FALSE(isValidUtf8("\x82\xA0"));         // あ in CP932
}

TEST(ProfileText, CutNeverSplitsACharacter)
{
    // あい: 3 bytes each in UTF-8.
    EXPECT_EQ(cutAtCharBoundary("\xE3\x81\x82\xE3\x81\x84", 5, TextEncoding::Utf8), 3u);
    EXPECT_EQ(cutAtCharBoundary("\xE3\x81\x82\xE3\x81\x84", 6, TextEncoding::Utf8), 6u);
    EXPECT_EQ(cutAtCharBoundary("\xE3\x81\x82", 2, TextEncoding::Utf8), 0u);
    // ソソ in CP932: the trail byte 0x5C looks like '\', so the cut must
    // count from the start rather than look back.
    EXPECT_EQ(cutAtCharBoundary("\x83\x5C\x83\x5C", 3, TextEncoding::Cp932), 2u);
    EXPECT_EQ(cutAtCharBoundary("a\x83\x5C", 2, TextEncoding::Cp932), 1u);
    // A lead byte without a trail counts alone.
    EXPECT_EQ(cutAtCharBoundary("\x83 \x83", 2, TextEncoding::Cp932), 2u);
}

TEST(ProfileText, Cp932ConversionBothWays)
{
    EXPECT_EQ(cp932ToUtf8("C:\\\x83\x5C\x83\x74\x83\x67"), "C:\\ソフト");
    // Undecodable bytes and a lead byte at the end become U+FFFD.
    EXPECT_EQ(cp932ToUtf8("\x80"
                          "a\xA0\x82"),
              "\xEF\xBF\xBD"
              "a\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(utf8ToCp932("新しい値"), "\x90\x56\x82\xB5\x82\xA2\x92\x6C");
    EXPECT_EQ(utf8ToCp932("\xF0\x9F\x98\x80"), std::nullopt); // no such character in CP932
    EXPECT_EQ(utf8ToCp932("é"), std::nullopt);                // Windows fits it as "e": refused here
    EXPECT_EQ(utf8ToCp932("\xFF"), std::nullopt);
}

TEST(ProfileText, OnlyTheDocumentedBestFitChangesACharacter)
{
    for (const Cp932Fit& fit : kCp932BestFit) {
        const auto bytes = utf8ToCp932(fit.written);
        ASSERT_TRUE(bytes.has_value()) << fit.written;
        EXPECT_EQ(cp932ToUtf8(*bytes), fit.readsAs) << fit.written;
        EXPECT_EQ(cp932ToUtf8(*utf8ToCp932(fit.readsAs)), fit.readsAs) << fit.readsAs;
    }
    EXPECT_EQ(cp932ReadBack("C:¥a〜b"), "C:\\a～b");
    EXPECT_EQ(*utf8ToCp932("¥"), "\\");
}

} // namespace
} // namespace profile
} // namespace kumoden
