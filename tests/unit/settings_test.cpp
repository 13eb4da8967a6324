#include "app/command_line.h"
#include "model/number_text.h"
#include "model/rounding.h"
#include "model/settings.h"
#include "platform/common/file_event_log.h"
#include "tests/fakes/fake_services.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "tests/unit/profile_fixture.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

// Every field, to compare records whole.
auto fields(const FileCheckInfo& info)
{
    return std::tuple(info.FileChkTime, info.FileChkDir, info.FileSelect, info.AcrExeDir, info.PrinterNm,
                      info.FileDelDate);
}

TEST(Settings, TheIniIsBesideTheProgramWhenItIsThereOrCanBeMadeElseTheUsers)
{
    const std::string user = "/home/me/.config/kumoden";
    // Beside the program, joined as they come.
    EXPECT_EQ(IniPath({"/opt/tools", "kumoden", true, false, user}, '/'), "/opt/tools/kumoden.INI");
    EXPECT_EQ(IniPath({"/opt/tools", "kumoden", false, true, user}, '/'), "/opt/tools/kumoden.INI");
    EXPECT_EQ(IniPath({"C:\\Tools", "Kumoden", true, false, ""}, '\\'), "C:\\Tools\\Kumoden.INI");
    // Installed where the user cannot write: the user's folder, the program's name.
    EXPECT_EQ(IniPath({"/usr/bin", "kumoden", false, false, user}, '/'), user + "/kumoden.INI");
    EXPECT_EQ(IniPath({"/usr/bin", "watcher", false, false, user + "/"}, '/'), user + "/watcher.INI");
    EXPECT_EQ(IniPath({"C:\\Program Files\\Kumoden", "kumoden", false, false,
                       "C:\\Users\\me\\AppData\\Roaming\\Kumoden"},
                      '\\'),
              "C:\\Users\\me\\AppData\\Roaming\\Kumoden\\kumoden.INI");
    // A user without a settings folder still gets the program's own path.
    EXPECT_EQ(IniPath({"/usr/bin", "kumoden", false, false, ""}, '/'), "/usr/bin/kumoden.INI");
}

TEST(Settings, TheIniIsFoundFromThePlatformsFactsAndANamedOneWins)
{
    const test::TempDir dir;
    const auto files = test::MakeFileSystem();
    const char sep = files->separator();
    const std::string folder = dir.path().string();
    fake::FakeApplication app(folder, "kumoden");
    app.userFolder = "/home/me/.config/kumoden";

    // A portable INI is taken without asking whether the folder is writable.
    dir.write("kumoden.INI", "");
    app.writable = false;
    EXPECT_EQ(IniPath(app, *files), folder + sep + "kumoden.INI");
    EXPECT_TRUE(app.askedWritable.empty());
    EXPECT_EQ(IniPath(app, *files, "/srv/other.ini"), "/srv/other.ini");

    std::filesystem::remove(dir.path() / "kumoden.INI");
    EXPECT_EQ(IniPath(app, *files), "/home/me/.config/kumoden" + std::string(1, sep) + "kumoden.INI");
    EXPECT_EQ(app.askedWritable, std::vector<std::string>{folder});
    app.writable = true;
    EXPECT_EQ(IniPath(app, *files), folder + sep + "kumoden.INI");
}

TEST(Settings, TheLogIsBesideTheIniUnderItsName)
{
    EXPECT_EQ(LogPath("/opt/tools/kumoden.INI", '/'), "/opt/tools/kumoden.log");
    EXPECT_EQ(LogPath("/home/me/.config/kumoden/watcher.INI", '/'), "/home/me/.config/kumoden/watcher.log");
    EXPECT_EQ(LogPath("C:\\Tools\\Kumoden.INI", '\\'), "C:\\Tools\\Kumoden.log");
    EXPECT_EQ(LogPath("C:/v1.2/settings", '\\'), "C:/v1.2/settings.log"); // the dot is the folder's
    EXPECT_EQ(LogPath("/srv/print.d/.kumoden", '/'), "/srv/print.d/.kumoden.log");
    // Never the INI itself.
    EXPECT_EQ(LogPath("/srv/odd.LOG", '/'), "/srv/odd.LOG.log");
}

TEST(Settings, ReadsEveryKeyInOrderUpToANulAndKeepsFieldsOfEmptyKeysOrABadInterval)
{
    test::RecordingProfile profile;
    profile.values = {{"FileChkTime", " 13.5 "},
                      {"FileChkDir", "/in"},
                      {"FileSelect", std::string("ab\0c", 4)},
                      {"AcrExeDir", std::string("\0/usr/bin", 9)},
                      {"FileDelDate", "7"}};
    FileCheckInfo info;
    info.PrinterNm = "Earlier";
    info.AcrExeDir = "/old"; // a value starting with NUL is stored empty
    LoadSettings(info, profile, "/opt/tools/kumoden.INI");

    EXPECT_EQ(profile.askedKeys, (std::vector<std::string>{"FileChkTime", "FileChkDir", "FileSelect",
                                                           "AcrExeDir", "PrinterNm", "FileDelDate"}));
    EXPECT_EQ(fields(info), fields({14, "/in", "ab", "", "Earlier", "7"}));
    EXPECT_EQ(TrimNull(""), "");

    // A bad interval leaves its field; the other keys are still read.
    for (const char* bad : {"abc", "99999999999", "1e3"}) {
        profile.values = {{"FileChkTime", bad}, {"FileChkDir", "/in2"}, {"FileDelDate", "3"}};
        FileCheckInfo kept;
        kept.FileChkTime = 1000;
        LoadSettings(kept, profile, "/opt/tools/kumoden.INI");
        EXPECT_EQ(fields(kept), fields({1000, "/in2", "", "", "", "3"})) << bad;
    }
    EXPECT_EQ(profile.readFrom, std::set<std::string>{"[FileCheck_Info] /opt/tools/kumoden.INI 1024"});
}

// The whole road from a real file, through the profile store, into the record.
TEST(Settings, LoadsARealFileAndKeepsEarlierValuesOnReload)
{
    test::TempDir dir;
    const std::string ini = (dir.path() / "kumoden.INI").string();
    dir.write("kumoden.INI",
              "; demo\r\n[fileCHECK_info]\r\nFILECHKTIME = 250 \r\nFileChkDir=\"/data/in box\"\r\n"
              "fileselect=abc\r\nPrinterNm=PDF\r\nFileDelDate=7\r\nOther=1\r\n");
    const auto store = test::MakeProfile();
    FileCheckInfo info;
    LoadSettings(info, *store, ini);
    EXPECT_EQ(fields(info), fields({250, "/data/in box", "abc", "", "PDF", "7"}));

    // Emptied keys keep what was read before; a missing file changes nothing.
    dir.write("kumoden.INI", "[FileCheck_Info]\nFileChkTime=\nFileChkDir=   \nFileSelect=x\n");
    LoadSettings(info, *store, ini);
    const auto reloaded = fields({250, "/data/in box", "x", "", "PDF", "7"});
    EXPECT_EQ(fields(info), reloaded);
    LoadSettings(info, *store, (dir.path() / "missing.INI").string());
    EXPECT_EQ(fields(info), reloaded);
}

TEST(NumberText, ReadsBlanksSignsAndGroupedDigitsAndRoundsHalvesToTheEvenNeighbour)
{
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12.5", 12},      {"13.5", 14},     {"-2.5", -2},    {"-3.5", -4}, {"0.5", 0}, {"12.50000", 12},
        {"12.500001", 13}, {"12.49999", 12}, {"12.6", 13},    {".5", 0},    {"1.", 1},  {"  250  ", 250},
        {"\t+60", 60},     {"-5", -5},       {"1,000", 1000}, {"010", 10},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(TextToLong(text), value) << text;
    }
}

TEST(NumberText, RefusesWhatIsNotANumberOrLiesOutsideTheField)
{
    for (const char* text :
         {"", "   ", "abc", "12abc", "1 2", "--1", "+", ".", ",5", "1.2.3", "0x10", "1e3", "2147483648",
          "99999999999", "99999999999999999999999999999999", "2147483647.5" /* rounds up out of range */}) {
        EXPECT_FALSE(TextToLong(text).has_value()) << text;
    }
    EXPECT_EQ(TextToLong("2147483647"), 2147483647);
    EXPECT_EQ(TextToLong("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(TextToLong("2147483646.5"), 2147483646);
    EXPECT_EQ(TextToInteger("32767"), 32767);
    EXPECT_EQ(TextToInteger("-32768"), -32768);
    EXPECT_FALSE(TextToInteger("32768"));
    EXPECT_FALSE(TextToInteger("-32769"));
}

TEST(NumberText, RoundsFractionsBelowZeroToTheEvenNeighbourToo)
{
    const std::pair<double, std::int64_t> cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {-0.5, 0}, {-1.25, -1}, {-1.75, -2}, {1024.0, 1024},
    };
    for (const auto& [value, rounded] : cases) {
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    }
}

using Action = CommandLine::Action;

TEST(CommandLine, VersionAndHelpEndTheProgramAndTheFirstOneDecides)
{
    EXPECT_EQ(ParseCommandLine({"--version"}).action, Action::Version);
    EXPECT_EQ(ParseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--help", "--version"}).action, Action::Help);
    // The help names the INI the run would use.
    EXPECT_EQ(ParseCommandLine({"--ini", "/srv/a.INI", "--help"}).iniPath, "/srv/a.INI");
    EXPECT_EQ(VersionText("1.2.0"), "kumoden 1.2.0\n");
    const std::string help =
        HelpText("/home/me/.config/kumoden/kumoden.INI", "/home/me/.config/kumoden/kumoden.log");
    EXPECT_NE(help.find("Settings: /home/me/.config/kumoden/kumoden.INI\n"), std::string::npos);
    EXPECT_NE(help.find("Log:      /home/me/.config/kumoden/kumoden.log\n"), std::string::npos);
}

TEST(CommandLine, NoOptionsRunsAsAlwaysAndIniTakesThePathAsTheNextArgumentOrAfterAnEqualsSign)
{
    EXPECT_EQ(ParseCommandLine({}).action, Action::Run);
    EXPECT_TRUE(ParseCommandLine({}).iniPath.empty());
    EXPECT_EQ(ParseCommandLine({"--ini", "/srv/print.INI"}).iniPath, "/srv/print.INI");
    EXPECT_EQ(ParseCommandLine({"--ini=/srv/print.INI"}).iniPath, "/srv/print.INI");
    // The next argument is the path even when it looks like an option.
    EXPECT_EQ(ParseCommandLine({"--ini", "--odd name.INI"}).iniPath, "--odd name.INI");
    // The last one named wins.
    const CommandLine twice = ParseCommandLine({"--ini", "a.INI", "--ini=b.INI"});
    EXPECT_EQ(twice.action, Action::Run);
    EXPECT_EQ(twice.iniPath, "b.INI");
}

TEST(CommandLine, CheckTakesAnIniButVersionHelpAndARefusalStillDecideFirst)
{
    const CommandLine check = ParseCommandLine({"--check", "--ini", "/srv/a.INI"});
    EXPECT_EQ(check.action, Action::Check);
    EXPECT_EQ(check.iniPath, "/srv/a.INI");
    EXPECT_EQ(ParseCommandLine({"--ini=/srv/a.INI", "--check"}).action, Action::Check);
    EXPECT_EQ(ParseCommandLine({"--check", "--help"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version", "--check"}).action, Action::Version);
    EXPECT_EQ(ParseCommandLine({"--check", "--bogus"}).action, Action::Refused);
    EXPECT_EQ(ParseCommandLine({"--check", "--ini"}).action, Action::Refused);
    EXPECT_NE(HelpText("a.INI", "a.log").find("kumoden --check [--ini PATH]\n"), std::string::npos);
}

TEST(CommandLine, AnythingElseIsRefusedWithOneLine)
{
    const std::vector<std::vector<std::string>> refused{
        {"--verbose"}, {"-platform", "offscreen"}, {"--ini"},    {"--ini="}, {"--ini", ""},
        {"file.pdf"},  {"--version", "--bogus"},   {"--Version"}};
    for (const auto& arguments : refused) {
        const CommandLine line = ParseCommandLine(arguments);
        EXPECT_EQ(line.action, Action::Refused) << arguments.front();
        EXPECT_TRUE(line.error.starts_with("kumoden: ")) << line.error;
        EXPECT_EQ(line.error.find('\n'), std::string::npos) << line.error;
    }
    EXPECT_NE(ParseCommandLine({"--verbose"}).error.find("'--verbose'"), std::string::npos);
    EXPECT_EQ(kUsageExitCode, 2);
}

// The log file on the platform's files (the same code on every platform).

TEST(FileEventLog, KeepsLinesUpToItsCapThenStartsAfreshKeepingOneOldFile)
{
    test::TempDir dir;
    const std::string path = dir.slash() + "kumoden.log";
    FileEventLog log(path, 40);
    log.append("2026-12-07 09:00:00 one", LogLevel::info); // 24 bytes with its line end
    log.append("two", LogLevel::info);                     // 28
    EXPECT_EQ(test::readFile(path), "2026-12-07 09:00:00 one\ntwo\n");

    log.append("a line that would go past", LogLevel::info); // the file starts afresh
    EXPECT_EQ(test::readFile(path), "a line that would go past\n");
    EXPECT_EQ(test::readFile(path + ".1"), "2026-12-07 09:00:00 one\ntwo\n");

    log.append("and another one past it", LogLevel::info); // the old copy is replaced
    EXPECT_EQ(test::readFile(path), "and another one past it\n");
    EXPECT_EQ(test::readFile(path + ".1"), "a line that would go past\n");
}

TEST(FileEventLog, MakesAMissingFolderAndTellsEachOutageOnce)
{
    test::TempDir dir;
    // The user's settings folder before the first save.
    FileEventLog made(dir.slash() + "config/kumoden/kumoden.log");
    made.append("kept", LogLevel::info);
    EXPECT_EQ(test::readFile(dir.path() / "config" / "kumoden" / "kumoden.log"), "kept\n");

    // A file where the log's folder should be: nothing can be written there.
    std::vector<std::string> told;
    const std::string path = dir.slash() + "box/kumoden.log";
    FileEventLog log(path, FileEventLog::kDefaultCap, [&](const std::string& text) { told.push_back(text); });
    dir.write("box", "");
    log.append("lost", LogLevel::info);
    log.append("lost too", LogLevel::info);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(path), std::string::npos);
    EXPECT_EQ(test::readFile(dir.path() / "box"), "");

    std::filesystem::remove(dir.path() / "box");
    log.append("written again", LogLevel::info);
    EXPECT_EQ(told.size(), 1u);
    std::filesystem::remove_all(dir.path() / "box");
    dir.write("box", "");
    log.append("lost once more", LogLevel::info);
    EXPECT_EQ(told.size(), 2u);
}

#ifdef __linux__
TEST(FileEventLog, AFullDiskIsTold)
{
    // Linux always has it: a disk with no room left, for every write.
    ASSERT_TRUE(std::filesystem::exists("/dev/full"));
    int told = 0;
    FileEventLog log("/dev/full", FileEventLog::kDefaultCap, [&](const std::string&) { ++told; });
    log.append("no room", LogLevel::info);
    EXPECT_EQ(told, 1);
}
#endif

} // namespace
} // namespace kumoden
