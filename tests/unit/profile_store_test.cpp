#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "tests/unit/profile_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kumoden {
namespace {

namespace fs = std::filesystem;
using test::readFile;

// Rules every profile backend must keep.
class ProfileStoreTest : public test::ProfileFixture {
protected:
    ProfileStoreTest() : ProfileFixture(test::MakeProfile()) {}
};

TEST_F(ProfileStoreTest, FindsSectionsAndKeysAsWindowsDoes)
{
    const std::string ini = "k=top\n"
                            "  [Settings]\r\n"
                            "\tChkTime  = 30\r\n"
                            ";Path=commented\n"
                            "  ;Other=commented\n"
                            "Path\n"
                            "Path=first\n"
                            "path=second\n"
                            "[settings]\n"
                            "Late=in a later section of the same name\n";
    EXPECT_EQ(read(ini, "SETTINGS", "chktime"), "30");
    EXPECT_EQ(read(ini, "Settings", "PATH"), ""); // the bare "Path" line is the first such key
    EXPECT_EQ(read(ini, "Settings", "Other"), "");
    EXPECT_EQ(read(ini, "Settings", "Late"), "");
    EXPECT_EQ(read(ini, "Settings", "Missing"), "");
    EXPECT_EQ(read(ini, "Missing", "Path"), "");
    EXPECT_EQ(read(ini, "", "k"), "top"); // keys before the first section: the nameless one
    // Every line end, and a byte order mark.
    const std::string ends = "\xEF\xBB\xBF[a]\rk=1\r[b]\nk=2\r\n[c]\r\nk=3";
    EXPECT_EQ(read(ends, "a", "k"), "1");
    EXPECT_EQ(read(ends, "b", "k"), "2");
    EXPECT_EQ(read(ends, "c", "k"), "3");
}

TEST_F(ProfileStoreTest, TrimsBlanksThenOnePairOfQuotes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"k=  v w \t", "v w"},  {"k=\t\" v \" ", " v "},
        {"k='v'", "v"},         {"k=\"v'", "\"v'"},
        {"k=\"", "\""},         {"k=\"\"", ""},
        {"k=''''", "''"},       {"k= \t ", ""},
        {"k=\"a\"b\"", "a\"b"}, {"k=", ""},
        {"k=a=b", "a=b"},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(read("[s]\n" + line + "\n", "s", "k"), expected) << line;
    }
}

TEST_F(ProfileStoreTest, CapacityCutsAtCharacterBoundaries)
{
    const std::string ini = "[s]\nlong=" + std::string(1500, 'x') + "\nshort=abc\n";
    EXPECT_EQ(read(ini, "s", "long"), std::string(1023, 'x'));
    EXPECT_EQ(read(ini, "s", "short"), "abc"); // nothing left over from the longer value
    EXPECT_EQ(read(ini, "s", "short", 3), "ab");
    EXPECT_EQ(read(ini, "s", "short", 1), "");
    EXPECT_EQ(read(ini, "s", "short", 0), "");

    // CP932: ソソ is 4 bytes; with room for 3 one character fits. The
    // stray 0x80 makes the file invalid UTF-8.
    const std::string cp932 = "[s]\nk=\x83\x5C\x83\x5C\nbad=\x80\n";
    EXPECT_EQ(read(cp932, "s", "k", 4), "ソ");
    EXPECT_EQ(read(cp932, "s", "k", 5), "ソソ");
}

TEST_F(ProfileStoreTest, WritesReplaceTheFirstKeyAndAddWhatIsMissing)
{
    m_dir.write("a.ini", "; head\r\n[Other]\r\nPath=x\r\n\r\n[Main]\r\nPATH=old\r\nPath=second\r\n"
                         "[main]\r\nPath=third\r\n");
    ASSERT_TRUE(m_store.writeString("main", "path", "new", path()));
    ASSERT_TRUE(m_store.writeString("MAIN", "Added", "1", path()));
    ASSERT_TRUE(m_store.writeString("Fresh", "Key", "2", path()));
    ASSERT_TRUE(m_store.writeString("Other", "Path", "", path()));
    EXPECT_EQ(m_store.readString("Main", "Path", path(), 1024), "new");
    EXPECT_EQ(m_store.readString("main", "added", path(), 1024), "1");
    EXPECT_EQ(m_store.readString("fresh", "key", path(), 1024), "2");
    EXPECT_EQ(m_store.readString("Other", "Path", path(), 1024), "");
    const std::string file = readFile(path());
    EXPECT_NE(file.find("; head"), std::string::npos);
    EXPECT_NE(file.find("Path=second"), std::string::npos);
    EXPECT_NE(file.find("Path=third"), std::string::npos);
    EXPECT_EQ(file.find("old"), std::string::npos);
    EXPECT_NE(file.find("Path=\r\n"), std::string::npos); // an empty value leaves "key="
}

TEST_F(ProfileStoreTest, TheFirstWriteMakesTheMissingFolders)
{
    // A user's settings folder before the first save: reading finds nothing,
    // writing makes it.
    const std::string ini = (m_dir.path() / "config" / "kumoden" / "kumoden.INI").string();
    EXPECT_EQ(m_store.readString("FileCheck_Info", "FileChkTime", ini, 1024), "");
    ASSERT_TRUE(m_store.writeString("FileCheck_Info", "FileChkTime", "500", ini));
    EXPECT_EQ(m_store.readString("FileCheck_Info", "FileChkTime", ini, 1024), "500");
    EXPECT_EQ(m_store.readString("s", "k", m_dir.slash() + "none.ini", 1024), "");
    EXPECT_EQ(m_store.readString("s", "k", m_dir.slash(), 1024), ""); // a folder
    // Never below a file.
    EXPECT_FALSE(m_store.writeString(
        "s", "k", "v", (m_dir.path() / "config" / "kumoden" / "kumoden.INI" / "x" / "y.ini").string()));
}

TEST_F(ProfileStoreTest, AWriteThatWouldNotReadBackIsRefused)
{
    const std::string before = "[Main]\r\nPath=old\r\n";
    m_dir.write("a.ini", before);
    EXPECT_FALSE(m_store.writeString("Main", "Path", "two\nlines", path()));
    EXPECT_FALSE(m_store.writeString("Main", "Path", "cr\rhere", path()));
    EXPECT_FALSE(m_store.writeString("Main", "Pa=th", "x", path()));
    EXPECT_FALSE(m_store.writeString("Main", ";Path", "x", path()));
    EXPECT_FALSE(m_store.writeString("Ma]in", "Path", "x", path()));
    EXPECT_FALSE(m_store.writeString("Main", std::string("Pa\0th", 5), "x", path()));
    EXPECT_EQ(readFile(path()), before);
}

TEST_F(ProfileStoreTest, ACp932FileStaysCp932AndTakesOnlyWhatItsCodePageHolds)
{
    // [設定‐] / フォルダ=C:\ソフト\表 : the ‐ ends in 0x5D, a ']' byte.
    EXPECT_EQ(read("[\x90\xDD\x92\xE8\x81\x5D]\r\n"
                   "\x83\x74\x83\x48\x83\x8B\x83\x5F=\"C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C\"\r\n",
                   "設定‐", "フォルダ"),
              "C:\\ソフト\\表");

    // [設定] with ﾃｽ (C3 BD, which is UTF-8 too) and あ.
    const std::string before = "[\x90\xDD\x92\xE8]\r\nKana=\xC3\xBD\r\nOld=\x82\xA0\r\n";
    m_dir.write("a.ini", before);
    EXPECT_FALSE(m_store.writeString("設定", "Old", "\xF0\x9F\x98\x80", path())); // 😀: no such character
    EXPECT_FALSE(m_store.writeString("設定", "\xF0\x9F\x98\x80", "x", path()));
    EXPECT_EQ(readFile(path()), before);
    ASSERT_TRUE(m_store.writeString("設定", "値", "新しい値", path()));
    const std::string added = "\x92\x6C=\x90\x56\x82\xB5\x82\xA2\x92\x6C\r\n";
    EXPECT_EQ(readFile(path()), before + added);
    EXPECT_EQ(m_store.readString("設定", "値", path(), 1024), "新しい値");
    EXPECT_EQ(m_store.readString("設定", "old", path(), 1024), "あ");

    // The yen sign goes as code page 932 has always written it: the byte
    // 5C, which reads as a backslash.
    ASSERT_TRUE(m_store.writeString("設定", "Old", "C:¥ツール", path()));
    EXPECT_EQ(readFile(path()),
              "[\x90\xDD\x92\xE8]\r\nKana=\xC3\xBD\r\nOld=C:\\\x83\x63\x81\x5B\x83\x8B\r\n" + added);
    EXPECT_EQ(m_store.readString("設定", "Old", path(), 1024), "C:\\ツール");
    EXPECT_EQ(m_store.readString("設定", "Kana", path(), 1024), "ﾃｽ");
}

} // namespace
} // namespace kumoden
